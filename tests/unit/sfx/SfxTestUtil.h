#pragma once
// Helpers of the self-extractor tests: archives made with the ZIP core, files
// held in memory, the programs of the build's dist folder.

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/Crypto.h"
#include "core/Events.h"
#include "core/Format.h"
#include "core/Io.h"
#include "core/UpdateJob.h"
#include "tests/unit/zip/ZipTestUtil.h"

namespace st {

// A file held in memory, for the format code.
class CMemoryFile : public zl::IReadFile {
public:
    explicit CMemoryFile(std::string data) : m_data(std::move(data)) {}
    uint64_t Size() const override { return m_data.size(); }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset > m_data.size()) return -1;
        count = std::min<size_t>(count, m_data.size() - size_t(offset));
        std::memcpy(buffer, m_data.data() + offset, count);
        return int64_t(count);
    }

private:
    std::string m_data;
};

// A large file of zeros that ends in `tail`, for offsets past 4 GiB.
class CSparseFile : public zl::IReadFile {
public:
    CSparseFile(uint64_t tailAt, std::string tail) : m_tailAt(tailAt), m_tail(std::move(tail)) {}
    uint64_t Size() const override { return m_tailAt + m_tail.size(); }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset > Size()) return -1;
        count = size_t(std::min<uint64_t>(count, Size() - offset));
        auto* out = static_cast<char*>(buffer);
        for (size_t i = 0; i < count; ++i)
            out[i] = offset + i >= m_tailAt ? m_tail[size_t(offset + i - m_tailAt)] : '\0';
        return int64_t(count);
    }

private:
    uint64_t m_tailAt;
    std::string m_tail;
};

// The folder `folder` and everything below it made into the archive `archive`
// by the ZIP core, stored under the folder's own name ("src/readme.txt").
inline bool MakeArchive(const std::string& archive, const std::string& folder, const std::string& password = "",
                        bool forceZip64 = false) {
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    const size_t cut = folder.find_last_of('\\');
    SetCurrentDirectoryW(zt::Wide(folder.substr(0, cut)).c_str());
    struct Restore {
        const wchar_t* folder;
        ~Restore() { SetCurrentDirectoryW(folder); }
    } restore{previous};
    zl::CSilentEvents events;
    // Limits of 0 give every record its ZIP64 form, as an archive past 4 GiB has.
    const zl::ZipLimits limits = forceZip64 ? zl::ZipLimits{0, 0, 0} : zl::ZipLimits();
    zl::CUpdateJob job(zl::PlatformFileSystem(), &zl::PlatformCrypto(), events, limits);
    zl::UpdateOptions options;
    options.archive = archive;
    options.names = {folder.substr(cut + 1)};
    options.encrypt = !password.empty();
    options.password = password;
    return job.Run(options) == zl::kZipOk;
}

// A small tree of files: text, binary, empty, in folders.
inline void MakeTree(const std::string& root) {
    zt::WriteBytes(root + "\\readme.txt", zt::Text(5000, 1));
    zt::WriteBytes(root + "\\data\\numbers.bin", zt::Text(70000, 2));
    zt::WriteBytes(root + "\\data\\deep\\empty.txt", "");
    zt::WriteBytes(root + "\\data\\deep\\r\xC3\xA9sum\xC3\xA9.txt", "accented");
}

// A file of the build's dist folder (the tests run from the build's tests folder).
inline std::string DistFile(const std::string& name) {
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    folder.resize(folder.find_last_of('\\'));
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + "dist\\" + name;
}

inline zl::ZipDirectory DirectoryOf(zl::IReadFile& file) {
    zl::ZipDirectory dir;
    std::string why;
    if (!zl::ReadDirectory(file, dir, why)) dir.entries.clear(), dir.comment = "unreadable: " + why;
    return dir;
}

inline std::vector<std::string> NamesOf(const zl::ZipDirectory& dir) {
    std::vector<std::string> names;
    for (const zl::ZipEntry& e : dir.entries) names.push_back(e.name);
    return names;
}

}  // namespace st
