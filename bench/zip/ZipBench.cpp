// Native benchmark driver of the ZIP core (the same code as the DLLs, with POSIX
// files and libcrypto). Prints the time the operation took inside the process.
//   add <archive> <level> <threads> <name>...
//   extract <archive> <destination>
//   list <archive>          count and step through every entry
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/DirectoryCache.h"
#include "core/ExtractJob.h"
#include "core/UpdateJob.h"

using namespace zl;

int main(int argc, char** argv) {
    if (argc < 3) return 100;
    const std::string command = argv[1], archive = argv[2];
    auto start = std::chrono::steady_clock::now();
    CSilentEvents events;
    int result = 100;
    if (command == "add" && argc >= 6) {
        UpdateOptions o;
        o.archive = archive;
        o.level = std::atoi(argv[3]);
        o.threads = unsigned(std::atoi(argv[4]));
        for (int i = 5; i < argc; ++i) o.names.push_back(argv[i]);
        CUpdateJob job(PlatformFileSystem(), &PlatformCrypto(), events);
        result = job.Run(o);
    } else if (command == "extract" && argc >= 4) {
        ExtractOptions o;
        o.archive = archive;
        o.destination = argv[3];
        o.quiet = true;
        o.overwrite = true;
        CExtractJob job(PlatformFileSystem(), &PlatformCrypto(), events);
        result = job.Run(o);
    } else if (command == "list") {
        CDirectoryCache cache;
        uint64_t count = 0;
        std::string why;
        result = cache.Count(PlatformFileSystem(), archive, count, why);
        const ZipEntry* e = nullptr;
        size_t index = 0, bytes = 0;
        for (uint64_t i = 0; i < count && result == kZipOk; ++i) {
            result = cache.Next(PlatformFileSystem(), archive, e, index, why);
            if (result == kZipOk) bytes += e->name.size();
        }
        std::printf("entries %llu (%zu name bytes)\n", (unsigned long long)count, bytes);
    }
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("inside %.1f ms result %d\n", ms, result);
    return result;
}
