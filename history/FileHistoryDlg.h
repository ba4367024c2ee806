#pragma once
// CFileHistoryDlg: the File History window. The user types a file name or a
// pattern (report*.doc) and sees every version of the files that fit, found
// in the dated and month archives of both archive folders and in the known
// archives: one line per stored path, its versions below it, newest first,
// each with the days it was archived, its own modified time and its size.
// A version can be restored (to its original folder or one the user picks),
// opened, or shown in the main window's archive lists.
//
// The search runs on a worker thread (reading archives the index does not
// know yet can take a while); the window stays answerable and closing it
// stops the search.

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "framework/Dialog.h"
#include "history/FileHistoryHost.h"
#include "history/HistoryLines.h"
#include "history/VersionRestore.h"

namespace tb {

class CFileHistoryDlg : public CDialog, private IRestorePrompts {
public:
    // The value DoModal returns when the user asked to see a version in the
    // main window; ShowTarget() says which.
    static constexpr INT_PTR kShowInArchive = 100;

    struct Target {
        std::string archive;
        std::string entryName;
    };

    CFileHistoryDlg(IFileHistoryHost& host, std::string initialPattern);
    ~CFileHistoryDlg() override;

    const Target& ShowTarget() const { return m_show; }

    static constexpr const char* kPasswordPrompt =
        "This archive contains password protected files. Enter a password to extract these files.";

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { StartSearch(); }
    void OnCancel() override;

private:
    void StartSearch();
    void StopSearch();
    void OnSearchDone();
    void ShowResult();
    void UpdateButtons();
    void DrawLine(const DRAWITEMSTRUCT& item);
    // The version of the selected line; null when a file line or nothing is selected.
    const FileVersion* SelectedVersion() const;

    void RestoreToOriginalFolder();
    void RestoreToChosenFolder();
    void RestoreInto(const VersionCopy& copy, const std::string& folder);
    void OpenVersion();
    void ShowInArchive();
    // The password of the copy's archive when the copy is protected: asked
    // once per archive. False when the user cancelled.
    bool PasswordFor(const VersionCopy& copy, std::string& password);
    ExistingAnswer AskExisting(const std::string& target, const std::string& alternative) override;

    IFileHistoryHost& m_host;
    std::string m_initialPattern;
    UserPrompts m_prompts;
    int m_tabs[8] = {};

    // The running search: the worker writes m_result, then posts the done
    // message; the window reads it after joining the worker.
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_progressPosted{false};
    std::atomic<unsigned> m_progressDone{0}, m_progressTotal{0};
    std::string m_searching;  // the pattern of the running or last search
    HistorySearchResult m_result;
    std::vector<HistoryLine> m_lines;

    std::map<std::string, std::string> m_passwords;  // by archive (folded path)
    Target m_show;
};

// Opens the window; when the user asked to see a version in its archive,
// returns true with `show` set.
bool OpenFileHistory(HWND owner, IFileHistoryHost& host, const std::string& pattern, CFileHistoryDlg::Target& show);

}  // namespace tb
