// Windows benchmark driver: drives DZIP32.dll / DUNZIP32.dll through their
// records, as the program does. Prints the time taken inside the process.
//   add <archive> <level> <threads> <name>...
//   extract <archive> <destination>
//   list <archive>          function 3, then function 2 for every entry
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ziplib/dll/ZipRecords.h"

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    const std::string command = argv[1], archive = argv[2];
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int result = 100;
    if (command == "add" && argc >= 6) {
        std::string list;
        for (int i = 5; i < argc; ++i) list += std::string("\"") + argv[i] + "\" ";
        ZipCommand z{};
        z.size = sizeof z;
        z.function = kZipFunctionAdd;
        z.archive = archive.c_str();
        z.fileList = list.c_str();
        z.level = std::atoi(argv[3]);
        z.threads = short(std::atoi(argv[4]));
        z.quiet = 1;
        z.replaceExisting = 1;
        z.recurseFolders = 1;
        z.bufferKiB = 64;
        result = dzip(&z);
    } else if (command == "extract" && argc >= 4) {
        UnzipCommand u{};
        u.size = sizeof u;
        u.function = kUnzipFunctionExtract;
        u.archive = archive.c_str();
        u.fileSpec = "*.*";
        u.index = -1;
        u.destination = argv[3];
        u.overwrite = 1;
        u.quiet = 1;
        u.allFiles = 1;
        u.restoreTimes = 1;
        result = dunzip(&u);
    } else if (command == "list") {
        UnzipCommand u{};
        ZipEntryInfo info;
        u.size = sizeof u;
        u.function = kUnzipFunctionCount;
        u.archive = archive.c_str();
        result = dunzip(&u);
        LARGE_INTEGER counted;
        QueryPerformanceCounter(&counted);
        std::printf("count %.1f ms\n", double(counted.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
        size_t bytes = 0;
        for (int i = 0; i < u.count && result == 0; ++i) {
            UnzipCommand step{};
            step.size = sizeof step;
            step.function = kUnzipFunctionNext;
            step.archive = archive.c_str();
            step.entryInfo = &info;
            result = dunzip(&step);
            bytes += std::string(info.path).size();
        }
        std::printf("entries %d (%zu name bytes)\n", u.count, bytes);
    }
    QueryPerformanceCounter(&end);
    std::printf("inside %.1f ms result %d\n", double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart), result);
    return result;
}
