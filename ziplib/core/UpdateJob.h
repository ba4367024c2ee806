#pragma once
// Writing archives: adding files (new entries, or replacing entries of the same
// name), freshening entries from newer files, and deleting entries. The result is
// always written to a new file beside the archive and moved over it only when it
// is complete and on the disk; entries that do not change are copied byte for
// byte. New files are compressed on several threads while the archive is written
// in order, with a bounded amount of data in memory.

#include <cstdint>
#include <string>
#include <vector>

#include "Crypto.h"
#include "Events.h"
#include "Format.h"
#include "Io.h"

namespace zl {

enum class UpdateMode { Add, Freshen, Delete };

struct UpdateOptions {
    UpdateMode mode = UpdateMode::Add;
    std::string archive;
    std::vector<std::string> names;   // files or folders (add, freshen; a wildcard in the last part
                                      // lists the folder) or entry names (delete)
    bool wildcards = false;           // delete: the names are wildcard patterns (else they match exactly)
    int level = 6;                    // 0 stores, 1..9 deflate
    bool keepFolders = true;          // store folder names (false: file names only)
    bool replaceExisting = true;      // add: replace entries of the same name (false: keep them)
    bool recurse = true;              // a folder in the list brings its whole contents
    bool encrypt = false;             // AES-256 (WinZip AE-2) with `password`
    std::string password;
    unsigned threads = 0;             // compression threads; 0 = one per processor
    size_t bufferSize = 64 * 1024;    // output buffer
};

struct NewItem {
    std::string path;     // on disk
    std::string name;     // stored name
    FileInfo info;
};

class CUpdateJob {
public:
    CUpdateJob(IFileSystem& fs, ICrypto* crypto, IJobEvents& events, const ZipLimits& limits = ZipLimits())
        : m_fs(fs), m_crypto(crypto), m_events(events), m_limits(limits) {}
    ZipResult Run(const UpdateOptions& options);
    // The first problem the last run met (result kZipOk when none).
    const ZipError& FirstProblem() const { return m_firstProblem; }

    // One entry of the new archive: an old entry kept (newIndex < 0), a new
    // file (oldIndex < 0), or a new file replacing an old entry.
    struct PlanItem {
        long oldIndex = -1;
        long newIndex = -1;
    };

private:
    class CWriteStep;
    ZipResult Plan(const UpdateOptions& options, const ZipDirectory& old, const FileInfo* archiveInfo,
                   std::vector<NewItem>& items, std::vector<PlanItem>& plan);
    void Collect(const UpdateOptions& options, std::vector<NewItem>& items, const FileInfo* archiveInfo);
    void AddPath(const UpdateOptions& options, const std::string& path, std::vector<NewItem>& items,
                 const FileInfo* archiveInfo, int depth);
    // Tells the user; a problem that does not stop the job makes it incomplete.
    void Report(const ZipError& problem);
    ZipResult Fail(const ZipError& problem);

    IFileSystem& m_fs;
    ICrypto* m_crypto;
    IJobEvents& m_events;
    ZipLimits m_limits;
    ZipResult m_result = kZipOk;
    ZipError m_firstProblem;
};

}  // namespace zl
