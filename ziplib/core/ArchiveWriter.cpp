#include "ArchiveWriter.h"

#include <algorithm>

#include "Names.h"

namespace zl {

namespace {

// Our temporary name for a new version of `archive`: "<archive>.tbz<n>~".
std::string TempArchiveName(const std::string& archive, int n) { return archive + ".tbz" + std::to_string(n) + "~"; }

// Whether `name` is one of our temporary names for the archive named `archiveName`.
bool IsOurTempName(const std::string& name, const std::string& archiveName) {
    const std::string prefix = archiveName + ".tbz";
    if (name.size() < prefix.size() + 2 || NameKey(name.substr(0, prefix.size())) != NameKey(prefix) || name.back() != '~')
        return false;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - 1);
    return !digits.empty() && digits.size() <= 3 && digits.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

CArchiveWriter::CArchiveWriter(IFileSystem& fs, const std::string& target, size_t bufferSize, const ZipLimits& limits)
    : m_fs(fs), m_target(target), m_limits(limits) {
    m_buffer.reserve(std::max<size_t>(bufferSize, 4096));
}

CArchiveWriter::~CArchiveWriter() {
    if (!m_committed) Rollback();
}

void CArchiveWriter::RemoveStaleTemps() {
    const size_t cut = m_target.find_last_of("/\\");
    const std::string folder = cut == std::string::npos ? std::string() : m_target.substr(0, cut + 1);
    const std::string name = cut == std::string::npos ? m_target : m_target.substr(cut + 1);
    std::vector<DirEntry> entries;
    if (!m_fs.List(folder.empty() ? m_fs.CurrentDirectory() : folder, entries)) return;
    for (const DirEntry& e : entries)
        if (!e.isDirectory && IsOurTempName(e.name, name)) m_fs.RemoveIfUnused(folder + e.name);
}

bool CArchiveWriter::Open(ZipError& error) {
    RemoveStaleTemps();
    for (int n = 0; n < 1000 && !m_file; ++n) {
        m_temp = TempArchiveName(m_target, n);
        FileInfo info;
        if (m_fs.Stat(m_temp, info)) continue;
        m_file = m_fs.CreateNew(m_temp);
        if (!m_file) break;
    }
    if (!m_file) {
        error = SystemProblem(m_fs, kZipWriteError, kMsgCannotWrite, "Cannot create " + m_temp, m_temp);
        m_temp.clear();
        return false;
    }
    return true;
}

bool CArchiveWriter::Write(const void* data, size_t size) {
    m_position += size;
    if (m_buffer.size() + size > m_buffer.capacity()) {
        if (!Flush()) return false;
        if (size >= m_buffer.capacity()) return m_file->Write(data, size);
    }
    m_buffer.insert(m_buffer.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    return true;
}

bool CArchiveWriter::Flush() {
    if (m_buffer.empty()) return true;
    bool ok = m_file->Write(m_buffer.data(), m_buffer.size());
    m_buffer.clear();
    return ok;
}

bool CArchiveWriter::PatchAt(uint64_t offset, const std::string& bytes) {
    return Flush() && m_file->SetPosition(offset) && m_file->Write(bytes.data(), bytes.size()) &&
           m_file->SetPosition(m_position);
}

bool CArchiveWriter::Rewind(uint64_t offset) {
    m_buffer.clear();
    m_position = offset;
    return m_file->SetPosition(offset);
}

void CArchiveWriter::AddEntry(const ZipEntry& entry, uint64_t offset) {
    m_entries.push_back(entry);
    m_offsets.push_back(offset);
}

ZipError CArchiveWriter::WriteProblem() {
    return SystemProblem(m_fs, kZipWriteError, kMsgCannotWrite, "Cannot write " + m_temp, m_temp);
}

bool CArchiveWriter::Finish(const std::string& comment, ZipError& error) {
    const uint64_t cdStart = m_position;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!Write(CentralRecord(m_entries[i], m_offsets[i], m_limits))) {
            error = WriteProblem();
            return false;
        }
    }
    const std::string end = EndRecords(m_entries.size(), cdStart, m_position - cdStart, comment, m_limits);
    if (!Write(end) || !Flush() || !m_file->Truncate() || !m_file->Commit(true)) {
        error = WriteProblem();
        return false;
    }
    m_file.reset();
    return true;
}

bool CArchiveWriter::Publish(ZipError& error) {
    if (!m_fs.Replace(m_temp, m_target)) {
        error = SystemProblem(m_fs, kZipWriteError, kMsgCannotWrite, "Cannot replace " + m_target, m_target);
        return false;
    }
    m_committed = true;
    return true;
}

void CArchiveWriter::Rollback() {
    m_file.reset();
    if (!m_temp.empty()) m_fs.Remove(m_temp);
    m_temp.clear();
}

}  // namespace zl
