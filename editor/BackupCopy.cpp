#include "editor/BackupCopy.h"

#include <windows.h>

#include "zip/ZipEngine.h"

namespace tb {

namespace {

constexpr size_t kShortenAbove = 24;
constexpr size_t kKeptEachSide = 9;

// Byte offsets of the characters of a UTF-8 text, and its length in bytes at the end.
std::vector<size_t> CharacterStarts(const std::string& text) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i)
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) starts.push_back(i);
    return starts;
}

bool FileSize(const std::string& path, unsigned long long& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Removes a file of ours, also when it kept the source's read-only attribute.
void RemoveFile(const std::string& path) {
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

// A name beside `target` that no file has: target.tbN~.
std::string TemporaryNameFor(const std::string& target) {
    for (int n = 0; n < 1000; ++n) {
        std::string candidate = target + ".tb" + std::to_string(n) + "~";
        if (!Exists(candidate)) return candidate;
    }
    return {};
}

// The entries of an archive as the library counts them; false when its
// central directory cannot be read.
bool CountEntries(const std::string& archive, int& count) {
    CZipEngine engine(nullptr);
    count = engine.ListArchive(archive, "", -1);
    return engine.LastResult() == kZipResultOk;
}

}  // namespace

std::string ShortArchiveName(const std::string& name) {
    const std::vector<size_t> starts = CharacterStarts(name);
    if (starts.size() <= kShortenAbove) return name;
    const size_t headEnd = starts[kKeptEachSide];
    const size_t tailStart = starts[starts.size() - kKeptEachSide];
    return name.substr(0, headEnd) + " ... " + name.substr(tailStart);
}

std::string BackupListLine(const std::string& path) {
    const size_t slash = path.find_last_of('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    return ShortArchiveName(name) + "\t" + folder;
}

const std::array<int, 20>& BackupTabStops() {
    static const std::array<int, 20> stops = [] {
        std::array<int, 20> s{};
        size_t i = 0;
        for (int stop : {90, 92, 94}) s[i++] = stop;
        for (int stop = 100; stop <= 170; stop += 10) s[i++] = stop;
        for (int stop = 190; stop <= 270; stop += 10) s[i++] = stop;
        return s;
    }();
    return stops;
}

bool CopyLooksWhole(const std::string& source, const std::string& copy) {
    unsigned long long sourceSize = 0, copySize = 0;
    if (!FileSize(source, sourceSize) || !FileSize(copy, copySize) || sourceSize != copySize) return false;
    int sourceEntries = 0, copyEntries = 0;
    // A source that is no readable archive is copied as it is; its size is all there is to check.
    if (!CountEntries(source, sourceEntries)) return true;
    return CountEntries(copy, copyEntries) && copyEntries == sourceEntries;
}

BackupCopy CopyArchiveChecked(const std::string& source, const std::string& target, bool failIfExists) {
    if (failIfExists && Exists(target)) return BackupCopy::TargetExists;
    const std::string temporary = TemporaryNameFor(target);
    if (temporary.empty()) return BackupCopy::Failed;
    if (!::CopyFileA(source.c_str(), temporary.c_str(), TRUE)) {
        RemoveFile(temporary);  // a copy that failed half-way may have left its part
        return BackupCopy::Failed;
    }
    if (!CopyLooksWhole(source, temporary)) {
        RemoveFile(temporary);
        return BackupCopy::Failed;
    }
    const DWORD replace = failIfExists ? 0 : MOVEFILE_REPLACE_EXISTING;
    if (!::MoveFileExA(temporary.c_str(), target.c_str(), replace | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        RemoveFile(temporary);
        return (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) ? BackupCopy::TargetExists
                                                                           : BackupCopy::Failed;
    }
    return BackupCopy::Copied;
}

}  // namespace tb
