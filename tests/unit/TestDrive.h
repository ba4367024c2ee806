#pragma once
// Drive X: of the test prefix (a dosdevices link made by the test fixture) with
// helpers to lay out folders and files on it. Emptied when made and when gone,
// so every test starts from a tree it built itself.

#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"

namespace tb {

class TestDrive {
public:
    TestDrive() {
        REQUIRE_MESSAGE(::GetDriveTypeA("X:\\") == DRIVE_FIXED,
                        "drive X: is missing: run the tests through ctest (fixture test_drive_x_link)");
        Empty("X:\\");
    }
    ~TestDrive() { Empty("X:\\"); }
    TestDrive(const TestDrive&) = delete;
    TestDrive& operator=(const TestDrive&) = delete;

    // The root as the system lists it ("X:\", or "x:\" should it list it so).
    static std::string Root() {
        char buffer[128] = {};
        DWORD n = ::GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
        for (const char* p = buffer; p < buffer + n && *p; p += lstrlenA(p) + 1)
            if ((p[0] | 0x20) == 'x') return p;
        return "X:\\";
    }

    static std::string Path(const std::string& relative) { return "X:\\" + relative; }

    // Creates every folder of `relative` ("A\B\C").
    static void MakeDirs(const std::string& relative) {
        std::string path = "X:";
        size_t start = 0;
        while (start <= relative.size()) {
            size_t end = relative.find('\\', start);
            if (end == std::string::npos) end = relative.size();
            path += "\\" + relative.substr(start, end - start);
            ::CreateDirectoryA(path.c_str(), nullptr);
            start = end + 1;
        }
    }

    // Writes a file (its folders must exist).
    static void Write(const std::string& relative, const std::string& text = "changed") {
        HANDLE file = ::CreateFileA(Path(relative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot write " << relative);
        DWORD written = 0;
        ::WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
        ::CloseHandle(file);
    }

    // Writes a file and waits until a change notification of its own folder
    // has fired, so a test never depends on how soon the system passes the
    // notice of a write on to the watches.
    static void WriteSeen(const std::string& relative) {
        const std::string path = Path(relative);
        std::string folder = path.substr(0, path.find_last_of('\\'));
        if (folder.size() == 2) folder += '\\';  // the root
        HANDLE probe = ::FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE);
        REQUIRE_MESSAGE(probe != INVALID_HANDLE_VALUE, "cannot watch " << folder);
        Write(relative);
        CHECK_MESSAGE(::WaitForSingleObject(probe, 30000) == WAIT_OBJECT_0, "no notice of the write to " << relative);
        ::FindCloseChangeNotification(probe);
    }

    // Sets the last-write time of a file or folder (100-ns steps since 1601, UTC).
    static void SetWriteTime(const std::string& relative, unsigned long long ticks) {
        HANDLE file = ::CreateFileA(Path(relative).c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        REQUIRE_MESSAGE(file != INVALID_HANDLE_VALUE, "cannot open " << relative);
        FILETIME time{DWORD(ticks & 0xFFFFFFFFu), DWORD(ticks >> 32)};
        REQUIRE(::SetFileTime(file, nullptr, nullptr, &time));
        ::CloseHandle(file);
    }

    // Removes everything below `folder` (which ends with a backslash).
    static void Empty(const std::string& folder) {
        WIN32_FIND_DATAA entry{};
        HANDLE find = ::FindFirstFileA((folder + "*.*").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return;
        std::vector<std::string> folders;
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string path = folder + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                folders.push_back(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(find, &entry));
        ::FindClose(find);
        for (const std::string& path : folders) {
            Empty(path + "\\");
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::RemoveDirectoryA(path.c_str());
        }
    }
};

}  // namespace tb
