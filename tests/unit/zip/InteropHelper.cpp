// A small Windows program that drives DZIP32.dll and DUNZIP32.dll from the
// command line, so a script can check our archives with other tools under Wine:
//   add <archive> <folder> <keepFolders 0|1> <password|-> <name>...   (names relative to folder)
//   delete <archive> <name>...   (names are wildcard patterns)
//   extract <archive> <destination> <password|->
//   list <archive>              one line per entry: name, size, flags (tab separated)
// Exits with the library's result.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ziplib/dll/ZipRecords.h"

namespace {

std::string Utf8(const wchar_t* text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &out[0], n, nullptr, nullptr);
    out.resize(n > 0 ? size_t(n - 1) : 0);
    return out;
}

int CALLBACK Message(int code, unsigned, int, int, char* text, const char*, void*) {
    std::fprintf(stderr, "message %d: %s\n", code, text);
    return 0;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** wargv = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) args.push_back(Utf8(wargv[i]));
    LocalFree(wargv);
    if (args.size() < 3) return 100;
    const std::string& command = args[1];
    const std::string& archive = args[2];

    if (command == "add" || command == "delete") {
        ZipCommand z{};
        z.size = sizeof z;
        z.archive = archive.c_str();
        z.level = 6;
        z.quiet = 1;
        z.replaceExisting = 1;
        z.recurseFolders = 1;
        z.message = Message;
        std::string list, password;
        size_t first = 3;
        if (command == "add") {
            if (args.size() < 7) return 100;
            SetCurrentDirectoryW(std::wstring(args[3].begin(), args[3].end()).c_str());
            z.function = kZipFunctionAdd;
            z.noFolderNames = args[4] == "1" ? 0 : 1;
            if (args[5] != "-") {
                password = args[5];
                z.encrypt = 1;
            }
            first = 6;
        } else {
            z.function = kZipFunctionDelete;
            z.wildcards = 1;
        }
        for (size_t i = first; i < args.size(); ++i) list += "\"" + args[i] + "\" ";
        z.fileList = list.c_str();
        z.password = password.c_str();
        return dzip(&z);
    }
    if (command == "extract") {
        if (args.size() < 5) return 100;
        UnzipCommand u{};
        u.size = sizeof u;
        u.function = kUnzipFunctionExtract;
        u.archive = archive.c_str();
        u.fileSpec = "*.*";
        u.index = -1;
        u.destination = args[3].c_str();
        u.quiet = 1;
        u.allFiles = 1;
        u.restoreTimes = 1;
        u.message = Message;
        if (args[4] != "-") {
            u.passwordGiven = 1;
            u.password = args[4].c_str();
        }
        return dunzip(&u);
    }
    if (command == "list") {
        UnzipCommand u{};
        u.size = sizeof u;
        u.function = kUnzipFunctionCount;
        u.archive = archive.c_str();
        int r = dunzip(&u);
        if (r != 0) return r;
        ZipEntryInfo info;
        for (int i = 0; i < u.count; ++i) {
            u.function = kUnzipFunctionNext;
            u.entryInfo = &info;
            if ((r = dunzip(&u)) != 0) return r;
            std::printf("%s\t%u\t%u\n", info.path, info.size, info.flags & 0x8000);
        }
        return 0;
    }
    return 100;
}
