#pragma once
// CZipEngine: the program's one way to the ZIP library (DZIP32.dll `dzip`,
// DUNZIP32.dll `dunzip`). It owns the command records and the entry information
// block the library fills, offers the five jobs (count, step, extract, add,
// delete), routes the library's progress to a window as WM_APP+2 / WM_APP+3,
// lets a window stop a running job, renames extracted files by numbering and
// takes the library's name out of its messages.

#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "ziplib/dll/ZipRecords.h"

// Unzip option bits (ExtractFiles).
enum : int {
    kUnzipNoFolderNames = 0x01,    // record offset 48
    kUnzipOverwrite = 0x02,        // offset 36
    kUnzipQuiet = 0x04,            // offset 40
    kUnzipRenameByNumber = 0x08,   // the process-wide rename flag
    kUnzipAllFiles = 0x10,         // offset 52
};

// Zip operation word (ZipFiles): one job bit plus the add job's options.
enum : int {
    kZipJobAdd = 0x20,
    kZipJobFunction3 = 0x40,
    kZipJobDelete = 0x80,
    kZipKeepFolders = 0x200,
    kZipEncrypt = 0x400,
    kZipQuiet = 0x800,
};

constexpr UINT kWmZipProgress = WM_APP + 2;
constexpr UINT kWmZipItem = WM_APP + 3;

// Entries an extraction left out for want of the right password.
struct PasswordProblems {
    bool wrongPassword = false;          // a password was given and did not fit
    std::vector<std::string> entries;    // as the library named them, each once
};

// State shared by all engines and read by the callbacks (which get no engine).
struct ZipEngineShared {
    HWND progressWindow = nullptr;
    int abort = 0;
    int renameByNumbering = 0;
    int lastCount = 0;
    // Files the last zip job could not read (locked or vanished), as the
    // library named them in its messages.
    std::vector<std::string> unreadableFiles;
    // Set by CollectPasswordProblems: the library's messages about a missing
    // or wrong password are answered here instead of shown, and gathered.
    int collectPasswordProblems = 0;
    PasswordProblems passwordProblems;
    // Names the rename callback gave out during the running extraction (folded
    // case): the library may not have created them yet when it asks again.
    std::set<std::string> namesGiven;
};
extern ZipEngineShared gZipShared;

class CZipEngine {
public:
    CZipEngine();
    explicit CZipEngine(HWND parent);

    HWND SetProgressWindow(HWND window);
    int AbortZipOperation();

    int ListArchive(std::string archive, std::string ignored, int index);
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
    // What the library returned for the last count, extraction or zip job
    // (0 done, 1 done but some files could not be read or entries were left
    // out, others failed).
    int LastResult() const { return m_lastResult; }

    // From now on the library's messages about a missing or wrong password are
    // not shown; the entries concerned are gathered for the caller to tell once.
    void CollectPasswordProblems();
    const PasswordProblems& PasswordProblemsSeen() const { return gZipShared.passwordProblems; }
    HWND ProgressWindow() const { return m_progressWindow; }

    // The callbacks installed in both records.
    static int CALLBACK ProgressCallback(const char* text, int percent, void* user);
    static int CALLBACK ItemStatusCallback(const char* text, int percent, void* user);
    static int CALLBACK MessageCallback(int code, unsigned style, int reserved, int size, char* text, const char* file,
                                        void* user);
    static int CALLBACK RenameCallback(char* name, void* user);

private:
    ZipEntryInfo m_entryInfo;
    UnzipCommand m_unzip;
    ZipCommand m_zip;
    std::string m_archiveName;
    HWND m_progressWindow = nullptr;
    int m_lastResult = 0;

public:
    // Set by callers before an extraction or a zip job (empty = none).
    std::string m_password;
};
