#pragma once
// Extracting entries of an archive into a folder.

#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "Crypto.h"
#include "EntryReader.h"
#include "Events.h"
#include "Format.h"
#include "Io.h"

namespace zl {

struct ExtractOptions {
    std::string archive;
    std::string destination;              // folder; created when missing
    std::vector<std::string> patterns;    // entry names; empty = all
    bool wildcards = false;               // the names are wildcard patterns (else they match exactly)
    long index = -1;                      // >= 0: only this entry (patterns ignored)
    bool keepFolders = true;              // false: every file lands in the destination itself
    bool overwrite = false;               // replace existing files without asking
    bool quiet = false;                   // never ask: existing files are skipped
    bool restoreFolders = true;           // folder entries create (empty) folders
    bool restoreTimes = true;
    unsigned threads = 0;                 // extraction threads for small entries; 0 = one per processor, 1 = none
    bool havePassword = false;
    std::string password;
};

class CExtractJob {
public:
    CExtractJob(IFileSystem& fs, ICrypto* crypto, IJobEvents& events) : m_fs(fs), m_crypto(crypto), m_events(events) {}
    // `directory`, when given, is the archive's central directory read before
    // (the listing cache's), so it is not read again.
    ZipResult Run(const ExtractOptions& options, std::shared_ptr<const ZipDirectory> directory = nullptr);

    int FilesWritten() const { return m_written; }
    // The first problem the last run met (result kZipOk when none).
    const ZipError& FirstProblem() const { return m_firstProblem; }

private:
    class CPool;
    class CRun;
    // Writes one entry to `path` without calling back (but for `progress`, which
    // gets the stored bytes consumed and may stop it); failures fill `problem`.
    ZipResult WriteEntryFile(IReadFile& file, const ZipDirectory& directory, size_t index, const std::string& path,
                             const ExtractOptions& options, ReadBuffers& buffers,
                             const std::function<bool(uint64_t)>& progress, ZipError& problem);
    // Makes a folder and its missing parents (the destination).
    bool MakeFolders(const std::string& folder);
    // Makes the folders of an entry's path below `base`, which exists.
    bool MakeFoldersBelow(const std::string& base, const std::string& folder);
    // One level; the folders this run made are remembered.
    bool MakeFolderLevel(const std::string& folder);
    void Report(const ZipError& problem);

    IFileSystem& m_fs;
    ICrypto* m_crypto;
    IJobEvents& m_events;
    int m_written = 0;
    ZipError m_firstProblem;
    std::string m_lastFolder;        // the folder made or found last (most files share it)
    // Folders this run made, and the files it wrote or is writing (name keys):
    // a file in such a folder that is not among them cannot exist yet.
    std::unordered_set<std::string> m_madeFolders;
    std::unordered_set<std::string> m_targets;
    ReadBuffers m_buffers;
};

}  // namespace zl
