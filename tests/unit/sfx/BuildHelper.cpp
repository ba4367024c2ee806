// Builds a self-extracting program through adfactry.dll the way the program
// does, for the interoperability script.
//   sfxbuild <source.zip> <program.exe> [caption] [extraction folder]
// Prints and exits with the builder's result (100 when the script could not be
// made), and prints the milliseconds the script and the build took.
#include <windows.h>

#include <cstdio>
#include <string>

#include "sfx/AdfactryApi.h"
#include "zip/SelfExtractScript.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: sfxbuild <source.zip> <program.exe> [caption] [extraction folder]\n");
        return 2;
    }
    char self[MAX_PATH];
    std::string dist(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    dist.resize(dist.find_last_of('\\'));
    dist.resize(dist.find_last_of('\\') + 1);
    dist += "dist\\";
    CAdfactryLibrary library(dist + tb::sfx::kAdfactryDll);
    if (!library.Loaded()) {
        std::fprintf(stderr, "cannot load %s\n", (dist + tb::sfx::kAdfactryDll).c_str());
        return 2;
    }
    char folder[MAX_PATH], script[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "~s", 0, script);
    DeleteFileA(script);
    SelfExtractValues values;
    values.source = argv[1];
    values.output = argv[2];
    values.caption = argc > 3 ? argv[3] : "Self-Extracting Archive";
    values.extractFolder = argc > 4 ? argv[4] : "";
    values.bitmap = dist + "tb.bmp";
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    SelfExtractResult result = WriteAndBuildSelfExtractor(library, script, values, nullptr);
    QueryPerformanceCounter(&end);
    DeleteFileA(script);
    // The time of the script and the build, for the benchmark.
    std::printf("%d inside %.1f\n", result.scriptCreated ? result.code : 100,
                double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart));
    return result.scriptCreated ? result.code : 100;
}
