#pragma once
// CZipEngine: the program's one way to the ZIP library (DZIP32.dll `dzip`,
// DUNZIP32.dll `dunzip`). It owns the command records and the entry information
// block the library fills, offers the five jobs (count, step, extract, add,
// delete), routes the library's progress to a window as WM_TB_ZIP_PROGRESS /
// WM_TB_ZIP_ITEM, lets a window stop a running job, renames extracted files by
// numbering and takes the library's name out of its messages.
//
// Each engine keeps the state of its own jobs (progress window, abort and
// rename flags, the last count, the files a zip job could not read); the
// library hands the engine back to its callbacks through the records'
// user-data slots. An engine lives for one job or one dialog and is never
// copied: the records point into it.

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "res/resource.h"
#include "ziplib/dll/ZipRecords.h"

namespace tb {

// Entries an extraction left out for want of the right password.
struct PasswordProblems {
    bool wrongPassword = false;          // a password was given and did not fit
    std::vector<std::string> entries;    // as the library named them, each once
};

class CZipEngine {
public:
    CZipEngine();
    explicit CZipEngine(HWND parent);
    CZipEngine(const CZipEngine&) = delete;
    CZipEngine& operator=(const CZipEngine&) = delete;

    HWND SetProgressWindow(HWND window);
    // Stops this engine's running job at the library's next report.
    int AbortZipOperation();

    // Count (index -1, the first call for an archive), step (-2) or entry by
    // index, as the library's listing protocol has it.
    int ListArchive(std::string archive, std::string ignored, int index);
    // The entries of `archive`, counted afresh (a call with "" first forgets
    // the archive counted last, so the count is always made).
    int CountEntries(const std::string& archive);
    // The next entry of `archive` after a count; the information block.
    const ZipEntryInfo& NextEntry(const std::string& archive);

    int ExtractFiles(std::string archive, std::string fileSpec, std::string destFolder, int index, int unzipOptions);
    int ZipFiles(std::string archive, std::string fileSpec, int operation);

    void ResetUnzipCommand();
    void ResetZipCommand();
    int ApplyUnzipOptions(int bits);
    int ApplyZipOptions(int bits);

    const ZipEntryInfo& EntryInfo() const { return m_entryInfo; }
    const UnzipCommand& UnzipRecord() const { return m_unzip; }
    const ZipCommand& ZipRecord() const { return m_zip; }
    const std::string& ArchiveName() const { return m_archiveName; }
    // What the library returned for the last count, step, extraction or zip
    // job (0 done, 1 done but some files could not be read or entries were
    // left out, others failed).
    int LastResult() const { return m_lastResult; }
    // From now on the library's messages about a missing or wrong password are
    // not shown; the entries concerned are gathered for the caller to tell once.
    void CollectPasswordProblems();
    const PasswordProblems& PasswordProblemsSeen() const { return m_passwordProblems; }
    // The files the last zip job could not read (locked or vanished), as the
    // library named them in its messages.
    const std::vector<std::string>& UnreadableFiles() const { return m_unreadableFiles; }
    HWND ProgressWindow() const { return m_progressWindow; }
    bool AbortRequested() const { return m_abort != 0; }
    bool RenamesByNumbering() const { return m_renameByNumbering != 0; }
    int LastCount() const { return m_lastCount; }

    // The callbacks installed in both records; `user` is the engine.
    static int CALLBACK ProgressCallback(const char* text, int percent, void* user);
    static int CALLBACK ItemStatusCallback(const char* text, int percent, void* user);
    static int CALLBACK MessageCallback(int code, unsigned style, int reserved, int size, char* text, const char* file,
                                        void* user);
    static int CALLBACK RenameCallback(char* name, void* user);

private:
    int Report(UINT message, const char* text, int percent);
    // A name is taken when a file has it, or when it was given to an earlier
    // entry of the running extraction that the library may still be writing.
    bool NameTaken(const std::string& path) const;

    ZipEntryInfo m_entryInfo;
    UnzipCommand m_unzip;
    ZipCommand m_zip;
    std::string m_archiveName;
    HWND m_progressWindow = nullptr;
    int m_lastResult = 0;
    int m_abort = 0;
    int m_renameByNumbering = 0;
    int m_lastCount = 0;
    std::vector<std::string> m_unreadableFiles;
    int m_collectPasswordProblems = 0;
    PasswordProblems m_passwordProblems;
    // Names the rename callback gave out during the running extraction (folded case).
    std::set<std::string> m_namesGiven;

public:
    // Set by callers before an extraction or a zip job (empty = none).
    std::string m_password;
};

}  // namespace tb
