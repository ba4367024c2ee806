#pragma once
// The archive editor's way into the program: the live settings and change
// tracking of automatic archiving, the main view's known archives, icons and
// extract dialog.

#include "editor/EditorHost.h"

namespace tb {

class CAutoArchiveController;
class CTallyboxView;

class CProgramEditorHost : public IArchiveEditorHost {
public:
    CProgramEditorHost(CTallyboxView& view, CAutoArchiveController& archiving) : m_view(view), m_archiving(archiving) {}

    const SettingsRecord& Settings() const override;
    PendingFiles TakePendingFiles() override;
    int SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) override;
    const std::vector<std::string>& SearchResults() const override;
    void KnowArchive(const std::string& path) override;
    void ShowArchive(const std::string& path) override;
    HICON FileIcon(const std::string& path, const std::string& name) override;
    void ExtractItems(HWND owner, const std::string& archive, const std::vector<ArchiveItem>& items,
                      int mode) override;
    void OpenSettings(HWND owner) override;
    void EditorOpen(bool open) override;

private:
    CTallyboxView& m_view;
    CAutoArchiveController& m_archiving;
};

}  // namespace tb
