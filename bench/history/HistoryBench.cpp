// The File History's search as the window runs it (without the window): the
// dated archives of a folder listed, the index brought up to date and the
// versions of a pattern collected. Three searches, each timed inside the
// process:
//   cold    no index file: every archive's central directory is read
//   memory  the same search again, the index kept in memory (the window's
//           second search while the program runs)
//   file    a fresh start that loads the index file written by the first
//   HistoryBench.exe FOLDER INDEXFILE PATTERN
#include <windows.h>

#include <cstdio>
#include <string>

#include "history/EngineArchiveReader.h"
#include "history/HistorySearch.h"

using namespace tb;

namespace {

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void Search(const char* label, HistoryIndexStore& store, const HistoryPlaces& places, const std::string& pattern) {
    CEngineArchiveReader reader;
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    const HistorySearchResult result = SearchHistory(store, places, pattern, reader);
    ::QueryPerformanceCounter(&end);
    size_t versions = 0;
    for (const FileVersionGroup& group : result.versions.groups) versions += group.versions.size();
    std::printf("%-7s %9.1f ms  %u archives (%u read, %u skipped), %u files, %u versions\n", label,
                Milliseconds(start, end), unsigned(result.archives), unsigned(result.read),
                unsigned(result.skipped.size()), unsigned(result.versions.groups.size()), unsigned(versions));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: HistoryBench FOLDER INDEXFILE PATTERN\n");
        return 2;
    }
    HistoryPlaces places;
    places.locationDir = argv[1];
    const std::string indexFile = argv[2], pattern = argv[3];
    ::DeleteFileA(indexFile.c_str());

    HistoryIndexStore store;
    store.file = indexFile;
    Search("cold", store, places, pattern);
    Search("memory", store, places, pattern);
    HistoryIndexStore fresh;
    fresh.file = indexFile;
    Search("file", fresh, places, pattern);
    return 0;
}
