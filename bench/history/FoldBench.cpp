// Folding a folder's old day archives into month archives, as the program
// does once a day: prints the time it took inside the process and what it did.
//   FoldBench.exe FOLDER YYYY-MM-DD DAYS
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <string>

#include "history/Consolidation.h"

int main(int argc, char** argv) {
    int year = 0, month = 0, day = 0;
    if (argc != 4 || std::sscanf(argv[2], "%d-%d-%d", &year, &month, &day) != 3) {
        std::fprintf(stderr, "usage: FoldBench FOLDER YYYY-MM-DD DAYS\n");
        return 2;
    }
    std::tm today{};
    today.tm_year = year - 1900;
    today.tm_mon = month - 1;
    today.tm_mday = day;
    std::atomic<bool> stop{false};
    tb::ConsolidationResult result;
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    tb::ConsolidateFolder(argv[1], today, std::atoi(argv[3]), stop, result);
    ::QueryPerformanceCounter(&end);
    for (const std::string& problem : result.problems) std::fprintf(stderr, "problem: %s\n", problem.c_str());
    std::printf("inside %.0f ms, %u month archive(s) written, %u day archive(s) removed\n",
                double(end.QuadPart - start.QuadPart) * 1000.0 / double(frequency.QuadPart),
                unsigned(result.written.size()), unsigned(result.removed.size()));
    return result.problems.empty() ? 0 : 1;
}
