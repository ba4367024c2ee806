#pragma once
// A fresh folder for one test under the temporary folder, removed afterwards.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/Shell.h"
#include "framework/Text.h"

namespace tb {

class TestFolder {
public:
    explicit TestFolder(const std::string& name) {
        m_root = TempFolder() + "tbtest-" + name + Format("-%lu", ::GetCurrentProcessId());
        Remove();
        ::CreateDirectoryA(m_root.c_str(), nullptr);
    }
    ~TestFolder() { Remove(); }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The full path of a relative name (with a trailing backslash for "").
    std::string Path(const std::string& relative) const { return m_root + "\\" + relative; }

    // Creates the file (and its folders) with `content`; with `year` its
    // last-write time is 1 June of that year, noon local time.
    std::string File(const std::string& relative, const std::string& content, int year = 0) const {
        const std::string path = Path(relative);
        MakeFolders(path.substr(0, path.find_last_of('\\')));
        {
            std::ofstream out(path, std::ios::binary);
            out << content;
        }
        if (year) SetTime(path, year);
        return path;
    }

    std::string Folder(const std::string& relative) const {
        const std::string path = Path(relative);
        MakeFolders(path);
        return path;
    }

    static void SetTime(const std::string& path, int year, int month = 6, int day = 1) {
        SYSTEMTIME local{};
        local.wYear = WORD(year);
        local.wMonth = WORD(month);
        local.wDay = WORD(day);
        local.wHour = 12;
        FILETIME localTime{}, utc{};
        ::SystemTimeToFileTime(&local, &localTime);
        ::LocalFileTimeToFileTime(&localTime, &utc);
        HANDLE file = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE) return;
        ::SetFileTime(file, nullptr, nullptr, &utc);
        ::CloseHandle(file);
    }

    const std::string& Root() const { return m_root; }

    // The whole content of a file ("" when it cannot be read).
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The names in a folder, files and folders, sorted.
    static std::vector<std::string> Listing(const std::string& folder) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") names.push_back(name);
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    static void MakeFolders(const std::string& folder) {
        for (size_t at = folder.find('\\', 3); at != std::string::npos; at = folder.find('\\', at + 1))
            ::CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
        ::CreateDirectoryA(folder.c_str(), nullptr);
    }
    void Remove() const {
        std::string from = m_root + std::string(1, '\0');
        SHFILEOPSTRUCTA op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        ::SHFileOperationA(&op);
    }

    std::string m_root;
};

}  // namespace tb
