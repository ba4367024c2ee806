#pragma once
// The automatic archive run as the program runs it: the controller's change
// tracking, the real dialogs, the ZIP engine and the main view behind
// IArchiveRunHost.

#include "autoarchive/ArchiveRun.h"

namespace tb {

class CAutoArchiveController;

class CProgramArchiveHost : public IArchiveRunHost {
public:
    explicit CProgramArchiveHost(CAutoArchiveController& controller) : m_controller(controller) {}

    time_t Now() override;
    unsigned long long NowTicks() override;
    bool PauseMonitor() override;
    void ResumeMonitor() override;
    BuiltChangeList BuildChangeList() override;
    void ReconcileBeforeList() override;
    void DeclineFiles(const std::vector<std::string>& paths) override;
    bool DirectoryChanged() override;
    void ClearDirectoryChanged() override;
    void RequestRebuildAndRestart() override;
    void OpenSettings() override;
    int LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings) override;
    OversizeAnswer AskOversize(const std::string& path, unsigned long long size) override;
    PendingAnswer ShowPendingDialog(const std::vector<std::string>& archive, const std::vector<std::string>& skipped,
                                    int modeFlags) override;
    void OpenEditorWithPending() override;
    void ShowMainWindow() override;
    void ShowError(const std::string& text) override;
    unsigned long long FileSize(const std::string& path) override;
    bool MakeFolder(const std::string& folder) override;
    ZipOutcome ZipFiles(const std::string& archive, const std::string& fileList, int operation) override;
    void ShowArchive(const std::string& archive) override;

private:
    CAutoArchiveController& m_controller;
};

}  // namespace tb
