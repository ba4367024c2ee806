#pragma once
// The archive editor's way into the program as the main view runs it: its
// settings, change tracking, folder search, known archives and settings sheet.

#include "editor/EditorHost.h"

namespace tb {

class CTallyboxView;

class CViewEditorHost : public IArchiveEditorHost {
public:
    explicit CViewEditorHost(CTallyboxView& view) : m_view(view) {}

    const SettingsRecord& Settings() const override;
    PendingFiles TakePendingFiles() override;
    int SearchChangedFiles(const std::string& folder, FileTicks since, int withSubfolders) override;
    const std::vector<std::string>& SearchResults() const override;
    void KnowArchive(const std::string& path) override;
    void ShowArchive(const std::string& path) override;
    void OpenSettings(HWND owner) override;
    void EditorOpen(bool open) override;

private:
    CTallyboxView& m_view;
};

}  // namespace tb
