#pragma once
// Building one archive from entries of others, copied raw: each chosen entry's
// record (local header, data as stored, descriptor) is copied byte for byte,
// so nothing is decompressed or recompressed and encrypted entries stay as
// they were, with no password needed.
//
// The job opens every source and reads its central directory, lets the
// caller choose the entries from them, and writes the new archive beside the
// target. Before the new archive takes the target's place it is read back:
// its central directory must list the chosen entries with their names, check
// values and sizes, and every entry's record must read back as the same bytes
// as the source's; with `testData`, every entry that is not encrypted is also
// decoded from the new archive and must match its CRC. Only then is it moved
// over the target (which may itself be
// one of the sources); on any failure the target and the sources stay as they
// were and the temporary file goes.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "Events.h"
#include "Format.h"
#include "Io.h"

namespace zl {

// One entry of the new archive: entry `entry` of source `source`.
struct MergePick {
    size_t source = 0;
    size_t entry = 0;
};

struct MergeOptions {
    std::string target;                 // the archive written (replaced when it exists)
    std::vector<std::string> sources;   // the archives entries come from; the target may be one
    // Chooses the entries of the new archive, in its order, from the sources'
    // directories (given in the order of `sources`).
    std::function<std::vector<MergePick>(const std::vector<ZipDirectory>&)> choose;
    std::string comment;                // the new archive's comment
    // Decode every chosen entry from the new archive and check its CRC before
    // it takes the target's place. A failure names the entry's source (the
    // damage came from there): kZipBadArchive with FirstProblem().file set to
    // that source. Encrypted entries need their password and are compared
    // byte for byte only.
    bool testData = false;
    size_t bufferSize = 1024 * 1024;
};

class CMergeJob {
public:
    CMergeJob(IFileSystem& fs, IJobEvents& events, const ZipLimits& limits = ZipLimits())
        : m_fs(fs), m_events(events), m_limits(limits) {}
    // kZipOk when the new archive is in place; kZipNothingToDo when nothing
    // was chosen (nothing is written); otherwise the first problem's result.
    ZipResult Run(const MergeOptions& options);
    const ZipError& FirstProblem() const { return m_firstProblem; }
    // The new archive's directory as it was read back (after kZipOk).
    const ZipDirectory& Written() const { return m_written; }

private:
    class CRun;
    ZipResult Fail(const ZipError& problem);

    IFileSystem& m_fs;
    IJobEvents& m_events;
    ZipLimits m_limits;
    ZipError m_firstProblem;
    ZipDirectory m_written;
};

}  // namespace zl
