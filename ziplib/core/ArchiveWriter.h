#pragma once
// The output side of an update: the new archive is written to a temporary file
// beside the target, through a buffer that knows its position and can patch or
// drop what it wrote. Commit writes the central directory, puts the file on the
// disk and moves it over the target in one step; Rollback (or destruction
// without a commit) removes it, so the target never changes half-way.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Events.h"
#include "Format.h"
#include "Io.h"

namespace zl {

class CArchiveWriter {
public:
    CArchiveWriter(IFileSystem& fs, const std::string& target, size_t bufferSize, const ZipLimits& limits);
    ~CArchiveWriter();
    CArchiveWriter(const CArchiveWriter&) = delete;
    CArchiveWriter& operator=(const CArchiveWriter&) = delete;

    // Creates the temporary file, after removing the ones killed jobs left
    // for this archive (those no other job holds); false fills `error`.
    bool Open(ZipError& error);
    const std::string& TempPath() const { return m_temp; }
    const ZipLimits& Limits() const { return m_limits; }

    uint64_t Position() const { return m_position; }
    bool Write(const void* data, size_t size);
    bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
    // Rewrites bytes already written (a local header once the sizes are known).
    bool PatchAt(uint64_t offset, const std::string& bytes);
    // Drops everything written from `offset` on (a failed entry).
    bool Rewind(uint64_t offset);

    // An entry whose local header lies at `offset`, for the central directory.
    void AddEntry(const ZipEntry& entry, uint64_t offset);
    size_t EntryCount() const { return m_entries.size(); }

    // Writes the central directory and the end records, flushes the file to the
    // disk and moves it over the target. False fills `error`; the temporary
    // file is then removed.
    bool Commit(const std::string& comment, ZipError& error) { return Finish(comment, error) && Publish(error); }
    // The two halves of Commit, for a caller that checks the finished file
    // (at TempPath()) before it takes the target's place.
    bool Finish(const std::string& comment, ZipError& error);
    bool Publish(ZipError& error);
    void Rollback();
    // The problem of the last failed write.
    ZipError WriteProblem();

private:
    bool Flush();
    void RemoveStaleTemps();

    IFileSystem& m_fs;
    std::string m_target;
    std::string m_temp;
    ZipLimits m_limits;
    std::unique_ptr<IWriteFile> m_file;
    std::vector<uint8_t> m_buffer;
    uint64_t m_position = 0;
    std::vector<ZipEntry> m_entries;
    std::vector<uint64_t> m_offsets;
    bool m_committed = false;
};

}  // namespace zl
