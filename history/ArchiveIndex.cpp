#include "history/ArchiveIndex.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <unordered_set>

#include "framework/Handles.h"
#include "framework/Path.h"

namespace tb {

namespace {

constexpr char kMagic[8] = {'T', 'B', 'H', 'I', 'S', 'T', 'I', 'X'};
constexpr char kEndMagic[8] = {'X', 'I', 'T', 'S', 'I', 'H', 'B', 'T'};
constexpr uint32_t kVersion = 1;
// No sane index holds more than this; a count above it is damage.
constexpr uint32_t kMaxCount = 0x4000000;
// The fewest bytes an archive's record takes in the file: its path (one
// character at least), size, write time, state, problem, names and entry count.
constexpr size_t kMinArchiveRecord = 5 + 8 + 8 + 1 + 4 + 4 + 4;
// Room in the file for an archive's own record beside its path.
constexpr unsigned long long kArchiveRecordRoom = 1024;

static_assert(std::is_trivially_copyable<IndexedEntry>::value, "entries are written as they are kept");
static_assert(sizeof(IndexedEntry) == 48, "the index file's entry record");

}  // namespace

// A checksum of the file's body, eight bytes at a time, to tell a damaged or
// cut file from a good one (not a guard against deliberate change).
uint64_t IndexFileChecksum(const char* data, size_t size) {
    uint64_t hash = 0x9E3779B97F4A7C15ull ^ size;
    size_t at = 0;
    for (; at + 8 <= size; at += 8) {
        uint64_t word;
        std::memcpy(&word, data + at, 8);
        hash = (hash ^ word) * 0x100000001B3ull;
        hash ^= hash >> 29;
    }
    for (; at < size; ++at) hash = (hash ^ static_cast<unsigned char>(data[at])) * 0x100000001B3ull;
    return hash;
}

namespace {

class CWriter {
public:
    template <typename T>
    void Put(const T& value) {
        static_assert(std::is_trivially_copyable<T>::value, "plain values only");
        m_bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    void PutText(const std::string& text) {
        Put(uint32_t(text.size()));
        m_bytes += text;
    }
    void PutBytes(const void* data, size_t size) { m_bytes.append(static_cast<const char*>(data), size); }
    std::string& Bytes() { return m_bytes; }

private:
    std::string m_bytes;
};

class CReader {
public:
    CReader(const char* data, size_t size) : m_data(data), m_size(size) {}
    template <typename T>
    bool Get(T& value) {
        if (m_size - m_at < sizeof value) return false;
        std::memcpy(&value, m_data + m_at, sizeof value);
        m_at += sizeof value;
        return true;
    }
    bool GetText(std::string& text) {
        uint32_t length = 0;
        if (!Get(length) || m_size - m_at < length) return false;
        text.assign(m_data + m_at, length);
        m_at += length;
        return true;
    }
    bool GetBytes(void* into, size_t size) {
        if (m_size - m_at < size) return false;
        std::memcpy(into, m_data + m_at, size);
        m_at += size;
        return true;
    }
    bool AtEnd() const { return m_at == m_size; }
    size_t Remaining() const { return m_size - m_at; }

private:
    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// The file's bytes; false when it cannot be read or is larger than `largest`
// (told by its size, before any room is made for it).
bool ReadWholeFile(const std::string& path, unsigned long long largest, std::string& bytes) {
    UniqueFile file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > std::min(largest, CArchiveIndex::kMaxFileSize))
        return false;
    bytes.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.Get(), &bytes[done], want, &got, nullptr) || got == 0) return false;
        done += got;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    UniqueFile file(
        ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD wrote = 0;
        const DWORD want = DWORD(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!::WriteFile(file.Get(), bytes.data() + done, want, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return ::FlushFileBuffers(file.Get()) != 0;
}

bool SameKey(const ArchiveKey& a, const ArchiveKey& b) { return a.size == b.size && a.writeTime == b.writeTime; }

bool ParseArchive(CReader& in, IndexedArchive& archive) {
    uint8_t state = 0;
    uint32_t count = 0;
    if (!in.GetText(archive.key.path) || !in.Get(archive.key.size) || !in.Get(archive.key.writeTime) ||
        !in.Get(state) || state > 1 || !in.GetText(archive.problem) || !in.GetText(archive.names) || !in.Get(count) ||
        count > kMaxCount)
        return false;
    // A count the rest of the file cannot hold is damage, told before any room is made for it.
    if (count > in.Remaining() / sizeof(IndexedEntry)) return false;
    archive.state = IndexedArchive::State(state);
    archive.entries.resize(count);
    if (!in.GetBytes(archive.entries.data(), count * sizeof(IndexedEntry))) return false;
    for (const IndexedEntry& entry : archive.entries)
        if (entry.nameOffset > archive.names.size() || entry.nameLength > archive.names.size() - entry.nameOffset)
            return false;
    return !archive.key.path.empty();
}

}  // namespace

void IndexedArchive::AddEntry(const std::string& name, IndexedEntry entry) {
    entry.nameOffset = uint32_t(names.size());
    entry.nameLength = uint32_t(name.size());
    names += name;
    entries.push_back(entry);
}

std::string CArchiveIndex::DefaultFile() {
    char folder[MAX_PATH] = {};
    const UINT length = ::GetWindowsDirectoryA(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "VaultlyHistory.idx";
    return JoinPath(folder, "VaultlyHistory.idx");
}

std::string CArchiveIndex::PathKey(const std::string& path) {
    std::string key(path);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
        else if (c == '/') c = '\\';
    }
    return key;
}

void CArchiveIndex::Clear() {
    if (!m_archives.empty()) m_changed = true;
    m_archives.clear();
}

unsigned long long CArchiveIndex::JustifiedFileSize(const std::vector<ArchiveKey>& archives) {
    unsigned long long size = 64 * 1024;  // the file's own head and tail, with room to spare
    for (const ArchiveKey& key : archives) {
        size += 2 * std::min(key.size, kMaxFileSize) + kArchiveRecordRoom + key.path.size();
        if (size >= kMaxFileSize) return kMaxFileSize;
    }
    return size;
}

bool CArchiveIndex::Load(const std::string& file, unsigned long long largest) {
    m_archives.clear();
    m_changed = false;
    try {
        return LoadFrom(file, largest);
    } catch (const std::bad_alloc&) {
        // Too little memory for a file within the limits: built again, smaller or not at all.
        m_archives.clear();
        return false;
    }
}

bool CArchiveIndex::LoadFrom(const std::string& file, unsigned long long largest) {
    std::string bytes;
    if (!ReadWholeFile(file, largest, bytes)) return false;
    constexpr size_t kTrailer = sizeof(uint64_t) + sizeof kEndMagic;
    if (bytes.size() < sizeof kMagic + kTrailer || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0 ||
        std::memcmp(bytes.data() + bytes.size() - sizeof kEndMagic, kEndMagic, sizeof kEndMagic) != 0)
        return false;
    const size_t body = bytes.size() - kTrailer;
    uint64_t stored = 0;
    std::memcpy(&stored, bytes.data() + body, sizeof stored);
    if (stored != IndexFileChecksum(bytes.data(), body)) return false;

    CReader in(bytes.data() + sizeof kMagic, body - sizeof kMagic);
    uint32_t version = 0, count = 0;
    if (!in.Get(version) || version != kVersion || !in.Get(count) || count > kMaxCount ||
        count > in.Remaining() / kMinArchiveRecord)
        return false;
    std::unordered_map<std::string, IndexedArchive> archives;
    archives.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        IndexedArchive archive;
        if (!ParseArchive(in, archive)) return false;
        std::string key = PathKey(archive.key.path);
        archives[std::move(key)] = std::move(archive);
    }
    if (!in.AtEnd()) return false;
    m_archives = std::move(archives);
    return true;
}

bool CArchiveIndex::Save(const std::string& file) const {
    CWriter out;
    out.PutBytes(kMagic, sizeof kMagic);
    out.Put(kVersion);
    out.Put(uint32_t(m_archives.size()));
    for (const auto& item : m_archives) {
        const IndexedArchive& archive = item.second;
        out.PutText(archive.key.path);
        out.Put(archive.key.size);
        out.Put(archive.key.writeTime);
        out.Put(uint8_t(archive.state));
        out.PutText(archive.problem);
        out.PutText(archive.names);
        out.Put(uint32_t(archive.entries.size()));
        out.PutBytes(archive.entries.data(), archive.entries.size() * sizeof(IndexedEntry));
    }
    std::string& bytes = out.Bytes();
    const uint64_t sum = IndexFileChecksum(bytes.data(), bytes.size());
    bytes.append(reinterpret_cast<const char*>(&sum), sizeof sum);
    bytes.append(kEndMagic, sizeof kEndMagic);

    const std::string temporary = file + ".tmp";
    if (!WriteWholeFile(temporary, bytes) ||
        !::MoveFileExA(temporary.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileA(temporary.c_str());
        return false;
    }
    m_changed = false;
    return true;
}

CArchiveIndex::RefreshReport CArchiveIndex::Refresh(const std::vector<ArchiveKey>& archives, IArchiveReader& reader,
                                                    const Progress& progress) {
    RefreshReport report;
    std::unordered_set<std::string> named;
    named.reserve(archives.size());
    for (size_t i = 0; i < archives.size(); ++i) {
        const ArchiveKey& key = archives[i];
        std::string folded = PathKey(key.path);
        named.insert(folded);
        auto found = m_archives.find(folded);
        if (found != m_archives.end() && SameKey(found->second.key, key)) {
            ++report.reused;
            if (found->second.state == IndexedArchive::State::Damaged)
                report.skipped.push_back({key.path, found->second.problem});
            continue;
        }
        if (progress && !progress(i, archives.size(), key.path)) {
            report.stopped = true;
            break;
        }
        IndexedArchive archive;
        archive.key = key;
        const IArchiveReader::Result result = reader.Read(key.path, archive);
        m_changed = true;
        if (result == IArchiveReader::Result::Unavailable) {
            report.skipped.push_back({key.path, archive.problem});
            if (found != m_archives.end()) m_archives.erase(found);
            continue;
        }
        if (result == IArchiveReader::Result::Damaged) {
            archive.state = IndexedArchive::State::Damaged;
            archive.entries.clear();
            archive.names.clear();
            report.skipped.push_back({key.path, archive.problem});
        } else {
            ++report.read;
        }
        m_archives[std::move(folded)] = std::move(archive);
    }
    if (report.stopped) return report;  // what is not read yet stays as it was
    for (auto it = m_archives.begin(); it != m_archives.end();) {
        if (named.count(it->first)) {
            ++it;
        } else {
            it = m_archives.erase(it);
            m_changed = true;
        }
    }
    return report;
}

const IndexedArchive* CArchiveIndex::Find(const std::string& path) const {
    auto found = m_archives.find(PathKey(path));
    return found == m_archives.end() ? nullptr : &found->second;
}

bool ArchiveKeyOf(const std::string& path, ArchiveKey& key) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    key.path = path;
    key.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    key.writeTime = TicksOf(data.ftLastWriteTime);
    return true;
}

}  // namespace tb
