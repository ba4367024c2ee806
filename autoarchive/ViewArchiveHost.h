#pragma once
// The automatic archive run as the program runs it: the main view's change
// tracking, dialogs, ZIP engine and archive list behind IArchiveRunHost.

#include <windows.h>

#include "autoarchive/ArchiveRun.h"

namespace tb {

class CTallyboxView;

class CViewArchiveHost : public IArchiveRunHost {
public:
    explicit CViewArchiveHost(CTallyboxView& view) : m_view(view) {}

    time_t Now() override;
    unsigned long long NowTicks() override;
    void PauseMonitor() override;
    void ResumeMonitor() override;
    std::vector<std::string> BuildChangeList() override;
    bool DirectoryChanged() override;
    void ClearDirectoryChanged() override;
    void RequestRebuildAndRestart() override;
    void OpenSettings() override;
    int LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings) override;
    OversizeAnswer AskOversize(const std::string& path, unsigned long long size) override;
    int ShowPendingDialog(const std::vector<std::string>& archive, const std::vector<std::string>& skipped,
                          int modeFlags) override;
    void OpenEditorWithPending() override;
    void ShowMainWindow() override;
    void ShowError(const std::string& text) override;
    unsigned long long FileSize(const std::string& path) override;
    ZipOutcome ZipFiles(const std::string& archive, const std::string& fileList, int operation) override;
    void ShowArchive(const std::string& archive) override;

private:
    HWND Owner() const;
    CTallyboxView& m_view;
};

}  // namespace tb
