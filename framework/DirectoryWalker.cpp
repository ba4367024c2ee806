#include "framework/DirectoryWalker.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tb {

namespace {

bool IsDotEntry(const wchar_t* name) {
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// The text in UTF-16, NUL-terminated. A vector rather than a std::wstring:
// this is the program's only wide text, and the wide string class would bring
// its whole library instance (35 KB) into the program.
std::vector<wchar_t> Wide(const std::string& text) {
    const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(size_t(n > 0 ? n : 0) + 1, L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), wide.data(), n);
    return wide;
}

void AssignNarrow(std::string& out, const wchar_t* wide) {
    const int n = ::WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    out.resize(n > 0 ? size_t(n - 1) : 0);
    if (n > 1) ::WideCharToMultiByte(CP_ACP, 0, wide, -1, out.data(), n, nullptr, nullptr);
}

// The folder's first entry. Without short names (which nothing here uses and
// the system would otherwise make up for every entry) and in large batches;
// a system without those options gets the plain call.
HANDLE FindFirst(const std::string& pattern, WIN32_FIND_DATAW& data) {
    const std::vector<wchar_t> wide = Wide(pattern);
    HANDLE find = ::FindFirstFileExW(wide.data(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_INVALID_PARAMETER)
        find = ::FindFirstFileExW(wide.data(), FindExInfoStandard, &data, FindExSearchNameMatch, nullptr, 0);
    return find;
}

}  // namespace

CDirectoryWalker::CDirectoryWalker(const std::string& folder, Options options) : m_options(std::move(options)) {
    m_wholeTree = m_options.maxDepth >= kDepthCap;
    m_options.maxDepth = std::min(std::max(m_options.maxDepth, 0), kDepthCap);
    m_opened = Open(folder, 0, nullptr);
}

bool CDirectoryWalker::Open(const std::string& folder, int depth, WalkEntry* owner) {
    Level level;
    level.find.Reset(FindFirst(JoinPath(folder, "*.*"), level.pending));
    if (!level.find) return false;
    level.hasPending = true;
    level.folder = folder;
    level.depth = depth;
    if (owner) {
        level.hasOwner = true;
        level.owner = std::move(*owner);
    }
    m_levels.push_back(std::move(level));
    return true;
}

bool CDirectoryWalker::Read(Level& level, WIN32_FIND_DATAW& data) {
    for (;;) {
        if (m_options.entriesPerFolder != 0 && level.taken >= m_options.entriesPerFolder) {
            // The folder is left here; is anything being left out?
            while (!m_cut && (level.hasPending || ::FindNextFileW(level.find.Get(), &data))) {
                level.hasPending = false;
                m_cut = !IsDotEntry(data.cFileName);
            }
            return false;
        }
        if (level.hasPending) {
            data = level.pending;
            level.hasPending = false;
        } else if (!::FindNextFileW(level.find.Get(), &data)) {
            return false;
        }
        if (IsDotEntry(data.cFileName)) continue;
        ++level.taken;
        return true;
    }
}

bool CDirectoryWalker::Next(WalkEntry& entry) {
    while (!m_levels.empty()) {
        Level& level = m_levels.back();
        WIN32_FIND_DATAW data;
        if (!Read(level, data)) {
            // This folder is done; a directory listed contents first comes now.
            Level done = std::move(level);
            m_levels.pop_back();
            if (done.hasOwner) {
                entry = std::move(done.owner);
                return true;
            }
            continue;
        }
        WalkEntry found;
        AssignNarrow(found.name, data.cFileName);
        found.path = JoinPath(level.folder, found.name);
        found.attributes = data.dwFileAttributes;
        found.lastWrite = data.ftLastWriteTime;
        found.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        found.depth = level.depth;

        const bool enter = found.IsDirectory() && !found.IsLink() && found.depth < m_options.maxDepth &&
                           (!m_options.enter || m_options.enter(found));
        if (found.IsDirectory() && !found.IsLink() && m_wholeTree && found.depth >= m_options.maxDepth) m_cut = true;
        if (enter && m_options.order == Order::ContentsFirst) {
            // The directory waits for its contents; one that cannot be listed
            // is handed out at once.
            const std::string path = found.path;
            const int depth = found.depth + 1;
            if (Open(path, depth, &found)) continue;
        } else if (enter) {
            Open(found.path, found.depth + 1, nullptr);
        }
        entry = std::move(found);
        return true;
    }
    return false;
}

}  // namespace tb
