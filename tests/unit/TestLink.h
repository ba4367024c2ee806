#pragma once
// A directory link as a user's symbolic link shows to the program under Wine:
// a Unix symbolic link, which Wine lists as a directory with the reparse-point
// attribute (0x410), as Windows lists a junction. It is made with the system's
// ln and removed with rm, run through Wine; they run apart from the test, so
// each step waits until its result shows. Removed again when the object goes,
// before the folders that hold it are emptied.

#include <windows.h>

#include <string>

#include "doctest/doctest.h"

namespace tb {

class TestDirectoryLink {
public:
    // Makes `link` (a Windows path) point at `target` (a Windows path).
    TestDirectoryLink(std::string link, const std::string& target) : m_link(std::move(link)) {
        REQUIRE_MESSAGE(RunUnix("Z:\\bin\\ln", "-s \"" + UnixPath(target) + "\" \"" + UnixPath(m_link) + "\""),
                        "cannot run ln through Wine");
        REQUIRE_MESSAGE(WaitFor([&] { return ::GetFileAttributesA(m_link.c_str()) == kLinkAttributes; }),
                        "the link " << m_link << " did not show as a directory link");
    }
    ~TestDirectoryLink() {
        if (RunUnix("Z:\\bin\\rm", "-f \"" + UnixPath(m_link) + "\""))
            WaitFor([&] { return ::GetFileAttributesA(m_link.c_str()) == INVALID_FILE_ATTRIBUTES; });
    }
    TestDirectoryLink(const TestDirectoryLink&) = delete;
    TestDirectoryLink& operator=(const TestDirectoryLink&) = delete;

    static constexpr DWORD kLinkAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;

private:
    static std::string UnixPath(const std::string& windowsPath) {
        using WineUnixName = char*(__cdecl*)(const wchar_t*);
        auto unixName = reinterpret_cast<WineUnixName>(
            ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name"));
        const bool underWine = unixName != nullptr;
        REQUIRE_MESSAGE(underWine, "directory links are made through Wine");
        std::wstring wide(windowsPath.size() + 1, L'\0');
        ::MultiByteToWideChar(CP_UTF8, 0, windowsPath.c_str(), -1, wide.data(), int(wide.size()));
        char* name = unixName(wide.c_str());
        REQUIRE(name != nullptr);
        std::string path(name);
        ::HeapFree(::GetProcessHeap(), 0, name);
        return path;
    }

    static bool RunUnix(const char* program, const std::string& arguments) {
        std::string command = std::string(program) + " " + arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process))
            return false;
        // A Unix program started this way has no process handle to wait for.
        if (process.hProcess) ::CloseHandle(process.hProcess);
        if (process.hThread) ::CloseHandle(process.hThread);
        return true;
    }

    template <typename Condition>
    static bool WaitFor(Condition done) {
        for (int i = 0; i < 500; ++i) {
            if (done()) return true;
            ::Sleep(20);
        }
        return done();
    }

    std::string m_link;
};

}  // namespace tb
