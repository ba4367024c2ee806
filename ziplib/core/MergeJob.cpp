#include "MergeJob.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "ArchiveWriter.h"
#include "EntryReader.h"
#include "ReadWindow.h"

namespace zl {

namespace {

int Percent(uint64_t done, uint64_t total) {
    if (total == 0) return 100;
    return int(std::min<uint64_t>(100, done * 100 / total));
}

// Every field of the central record we copied, the offset aside.
bool SameEntry(const ZipEntry& a, const ZipEntry& b) {
    return a.rawName == b.rawName && a.versionMadeBy == b.versionMadeBy && a.versionNeeded == b.versionNeeded &&
           a.flags == b.flags && a.method == b.method && a.dosTime == b.dosTime && a.crc == b.crc &&
           a.compressedSize == b.compressedSize && a.size == b.size && a.internalAttributes == b.internalAttributes &&
           a.externalAttributes == b.externalAttributes && a.extra == b.extra && a.comment == b.comment;
}

}  // namespace

ZipResult CMergeJob::Fail(const ZipError& problem) {
    if (m_firstProblem.result == kZipOk) m_firstProblem = problem;
    m_events.Message(problem, false);
    return problem.result;
}

class CMergeJob::CRun {
public:
    CRun(CMergeJob& job, const MergeOptions& options)
        : m_job(job), m_options(options), m_writer(job.m_fs, options.target, options.bufferSize, job.m_limits) {}

    ZipResult Go() {
        ZipResult r = OpenSources();
        if (r != kZipOk) return r;
        m_picks = m_options.choose ? m_options.choose(m_dirs) : std::vector<MergePick>();
        if (m_picks.empty()) return kZipNothingToDo;
        if ((r = CheckPicks()) != kZipOk) return r;
        ZipError problem;
        if (!m_writer.Open(problem)) return m_job.Fail(problem);
        for (size_t i = 0; i < m_picks.size(); ++i)
            if ((r = CopyRecord(i)) != kZipOk) return r;
        if (!m_writer.Finish(m_options.comment, problem)) return m_job.Fail(problem);
        if ((r = CheckWritten()) != kZipOk) return r;
        // Windows replaces no file that is open, and the target may be a source.
        m_windows.clear();
        m_files.clear();
        if (!m_writer.Publish(problem)) return m_job.Fail(problem);
        return kZipOk;
    }

private:
    ZipResult OpenSources() {
        for (const std::string& source : m_options.sources) {
            std::unique_ptr<IReadFile> file = m_job.m_fs.OpenRead(source);
            if (!file)
                return m_job.Fail(SystemProblem(m_job.m_fs, kZipCannotOpen, kMsgCannotOpenArchive, "Cannot open " + source, source));
            ZipDirectory dir;
            std::string why;
            if (!ReadDirectory(*file, dir, why))
                return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, source + ": " + why, source));
            m_windows.push_back(std::make_unique<CWindowedFile>(*file, m_options.bufferSize));
            m_files.push_back(std::move(file));
            m_dirs.push_back(std::move(dir));
        }
        return kZipOk;
    }

    ZipResult CheckPicks() {
        for (const MergePick& pick : m_picks) {
            if (pick.source >= m_dirs.size() || pick.entry >= m_dirs[pick.source].entries.size())
                return m_job.Fail(Problem(kZipInternal, kMsgBadArchive, "An entry was chosen that no source holds", m_options.target));
            m_total += m_dirs[pick.source].entries[pick.entry].compressedSize;
        }
        m_total *= m_options.testData ? 3 : 2;  // written, read back, decoded
        return kZipOk;
    }

    // The entry's record (local header, data, descriptor) byte for byte. The
    // sources are read forward through their windows, so records taken in the
    // order they lie in a source cost no read of their own.
    ZipResult CopyRecord(size_t i) {
        const MergePick& pick = m_picks[i];
        const ZipEntry& e = m_dirs[pick.source].entries[pick.entry];
        const std::string& source = m_options.sources[pick.source];
        if (!m_job.m_events.ItemStatus(e.name, 0)) return kZipAborted;
        LocalSpan span;
        std::string why;
        IReadFile& file = *m_windows[pick.source];
        if (!ReadLocalSpan(file, m_dirs[pick.source], pick.entry, span, why))
            return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, source + ": " + e.name + ": " + why, source));
        m_lengths.push_back(span.end - e.localOffset);
        m_offsets.push_back(m_writer.Position());
        m_writer.AddEntry(e, m_offsets.back());
        if (m_buffer.empty()) m_buffer.resize(m_options.bufferSize);
        uint64_t from = e.localOffset, length = m_lengths.back();
        while (length > 0) {
            const size_t n = size_t(std::min<uint64_t>(length, m_buffer.size()));
            if (file.ReadAt(from, m_buffer.data(), n) != int64_t(n))
                return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, source + ": the archive cannot be read", source));
            if (!m_writer.Write(m_buffer.data(), n)) return m_job.Fail(m_writer.WriteProblem());
            from += n;
            length -= n;
            if (!Advance(n, e.name)) return kZipAborted;
        }
        return m_job.m_events.ItemStatus(e.name, 100) ? kZipOk : kZipAborted;
    }

    // The finished file read back: the chosen entries, each record the same
    // bytes as its source's.
    ZipResult CheckWritten() {
        const std::string& temp = m_writer.TempPath();
        std::unique_ptr<IReadFile> opened = m_job.m_fs.OpenRead(temp);
        ZipDirectory& written = m_job.m_written;
        written = ZipDirectory();
        std::string why;
        if (!opened || !ReadDirectory(*opened, written, why)) return Unverified(why.empty() ? "it cannot be read" : why);
        std::unique_ptr<CWindowedFile> file = std::make_unique<CWindowedFile>(*opened, m_options.bufferSize);
        if (written.entries.size() != m_picks.size()) return Unverified("it does not hold every chosen entry");
        if (written.comment != m_options.comment) return Unverified("its comment differs");
        if (m_other.empty()) m_other.resize(m_buffer.size());
        for (size_t i = 0; i < m_picks.size(); ++i) {
            const MergePick& pick = m_picks[i];
            const ZipEntry& source = m_dirs[pick.source].entries[pick.entry];
            const ZipEntry& copy = written.entries[i];
            LocalSpan span;
            if (!SameEntry(source, copy) || copy.localOffset != m_offsets[i] || !ReadLocalSpan(*file, written, i, span, why) ||
                span.end - copy.localOffset != m_lengths[i])
                return Unverified(source.name + " differs from its source");
            uint64_t at = 0;
            while (at < m_lengths[i]) {
                const size_t n = size_t(std::min<uint64_t>(m_lengths[i] - at, m_buffer.size()));
                if (m_windows[pick.source]->ReadAt(source.localOffset + at, m_buffer.data(), n) != int64_t(n) ||
                    file->ReadAt(copy.localOffset + at, m_other.data(), n) != int64_t(n) ||
                    std::memcmp(m_buffer.data(), m_other.data(), n) != 0)
                    return Unverified(source.name + " did not read back as written");
                at += n;
                if (!Advance(n, source.name)) return kZipAborted;
            }
            if (m_options.testData && !copy.IsEncrypted()) {
                const ZipResult r = TestEntry(*file, written, i);
                if (r != kZipOk) return r;
            }
        }
        return kZipOk;
    }

    // Entry i of the new archive decoded to its end: its CRC must match.
    ZipResult TestEntry(IReadFile& file, const ZipDirectory& written, size_t i) {
        const ZipEntry& copy = written.entries[i];
        const std::string& source = m_options.sources[m_picks[i].source];
        CEntryReader reader(file, written, i, nullptr);
        uint64_t counted = 0;
        ZipResult r = reader.Open(nullptr);
        if (r == kZipOk) {
            r = reader.Pump(
                [&](const uint8_t*, size_t) {
                    const uint64_t consumed = reader.Consumed();
                    const bool go = Advance(consumed - counted, copy.name);
                    counted = consumed;
                    return go ? kZipOk : kZipAborted;
                },
                m_readBuffers);
        }
        if (r == kZipAborted) return r;
        if (r != kZipOk)
            return m_job.Fail(Problem(kZipBadArchive, kMsgBadArchive, source + ": " + copy.name + ": " + reader.Why(), source));
        return Advance(copy.compressedSize - std::min(counted, copy.compressedSize), copy.name) ? kZipOk : kZipAborted;
    }

    ZipResult Unverified(const std::string& why) {
        return m_job.Fail(Problem(kZipWriteError, kMsgCannotWrite, m_writer.TempPath() + ": " + why, m_options.target));
    }

    bool Advance(uint64_t n, const std::string& text) {
        m_done += n;
        const int p = Percent(m_done, m_total);
        if (p == m_lastPercent) return true;
        m_lastPercent = p;
        return m_job.m_events.Progress(text, p);
    }

    CMergeJob& m_job;
    const MergeOptions& m_options;
    CArchiveWriter m_writer;
    std::vector<std::unique_ptr<IReadFile>> m_files;
    std::vector<std::unique_ptr<CWindowedFile>> m_windows;  // over m_files
    std::vector<ZipDirectory> m_dirs;
    std::vector<MergePick> m_picks;
    std::vector<uint64_t> m_lengths, m_offsets;
    std::vector<uint8_t> m_buffer, m_other;
    ReadBuffers m_readBuffers;
    uint64_t m_total = 0, m_done = 0;
    int m_lastPercent = -1;
};

ZipResult CMergeJob::Run(const MergeOptions& options) {
    m_firstProblem = ZipError();
    m_written = ZipDirectory();
    CRun run(*this, options);
    return run.Go();
}

}  // namespace zl
