// Measures change tracking on a large drive: the directory-list rebuild, the
// change monitor's arming, its CPU time while nothing changes, the time from a
// write to its directory being recorded after Pause, and building the change
// list over 100 recorded directories. Prints "name value" lines.
//
//   monitor_bench.exe LETTER            (the drive made by bench/monitor/run.sh)
//   monitor_bench.exe LETTER build N    only the change list building, N times, each
//                                       followed by the bare enumeration of the same tree

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/KnownArchiveSink.h"
#include "common/NumberedList.h"
#include "common/Profile.h"
#include "monitor/ChangeMonitor.h"
#include "monitor/DirectoryListWorker.h"

using namespace tb;

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

double ThreadCpuSeconds(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    if (!::GetThreadTimes(thread, &created, &ended, &kernel, &user)) return -1;
    auto seconds = [](const FILETIME& t) {
        return double((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

void Report(const char* name, double value) { std::printf("%s %.6f\n", name, value); }
void Report(const char* name, int value) { std::printf("%s %d\n", name, value); }

void WriteFile(const std::string& path) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, "bench", 5, &written, nullptr);
    ::CloseHandle(file);
}

bool Recorded(const std::string& path) {
    for (const std::string& entry : ReadDirList(kChangesSection, 5000))
        if (entry == path) return true;
    return false;
}

class NoArchives : public IKnownArchiveSink {
public:
    int AddArchive(const std::string&) override { return 0; }
    bool ArchiveListChanged() const override { return false; }
    int RefreshArchiveList() override { return 0; }
};

// What the system's enumeration alone costs: the same 100 directories and
// everything below them listed with FindFirstFileExW and FindNextFileW, as the
// program's directory walker lists them, with nothing done with the entries.
long ListTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileExW((folder + L"\\*.*").c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) return 0;
    long entries = 0;
    do {
        const wchar_t* name = data.cFileName;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0))) continue;
        ++entries;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            entries += ListTree(folder + L"\\" + name);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return entries;
}

void EnumerateOnce(const std::string& root) {
    const double start = Now();
    long entries = 0;
    for (int i = 0; i < 100; ++i) {
        wchar_t path[64];
        std::swprintf(path, 64, L"%hsT%02d\\M%02d", root.c_str(), i / 20, i % 20);
        entries += ListTree(path);
    }
    Report("enumeration_seconds", Now() - start);
    Report("enumeration_entries", int(entries));
}

// Building the change list over 100 recorded second-level directories, every
// entry newer than the last archive.
int BuildChangeListOnce(const std::string& root, const SettingsRecord& settings) {
    std::vector<std::pair<std::string, std::string>> changes;
    for (int i = 0; i < 100; ++i) {
        char path[64];
        std::snprintf(path, sizeof path, "%sT%02d\\M%02d", root.c_str(), i / 20, i % 20);
        changes.emplace_back(DirKey(i + 1), path);
    }
    changes.emplace_back(DirKey(101), "");
    CIniSection(kChangesSection).Write(changes);
    WriteIniString(kSettingsSection, "LastArchiveTime", "1,1,2000,00,00,00");
    NoArchives archives;
    CChangeListBuilder builder(archives, settings);
    const double start = Now();
    const int found = builder.BuildChangeList();
    const double build = Now() - start;
    Report("build_change_list_seconds", build);
    Report("build_change_list_fixed_wait_seconds", 0.5);
    Report("build_change_list_entries", found);
    WriteIniString(kChangesSection, "Dir1", "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: monitor_bench LETTER\n");
        return 2;
    }
    const char letter = argv[1][0];
    const std::string root = std::string(1, letter) + ":\\";
    if (::GetDriveTypeA(root.c_str()) != DRIVE_FIXED) {
        std::fprintf(stderr, "drive %s is missing\n", root.c_str());
        return 2;
    }
    // Only the bench drive, with the settings file of the bench's prefix.
    SettingsRecord settings;
    settings.Drives = kDrivesCustom;
    settings.CustomDriveList = std::string(1, letter);
    settings.Prompts = kPromptSilent;
    WriteIniString(kChangesSection, "Dir1", "");

    if (argc >= 3 && std::string(argv[2]) == "build") {
        const int rounds = argc >= 4 ? std::atoi(argv[3]) : 1;
        for (int i = 0; i < rounds; ++i) {
            if (BuildChangeListOnce(root, settings) != 0) return 1;
            EnumerateOnce(root);
        }
        return 0;
    }

    // 1. Rebuild of the directory list.
    double start = Now();
    if (RebuildDirectoryList(ChangeTrackingSettings::From(settings)) != 1) return 1;
    Report("rebuild_seconds", Now() - start);
    Report("listed_directories", int(ReadDirList(kDirectoriesSection, 149999).size()));

    // 2. Arming the watches (under Wine with the listing of every subtree).
    start = Now();
    CChangeMonitor monitor(settings);
    if (!monitor.WaitUntilArmed(600000)) return 1;
    Report("arm_seconds", Now() - start);
    Report("armed_watches", monitor.ArmedWatches());
    const double armCpu = ThreadCpuSeconds(monitor.ThreadHandle());
    Report("arm_cpu_seconds", armCpu);

    // 3. CPU time of the monitor thread while nothing changes.
    const DWORD idleMilliseconds = 10000;
    ::Sleep(idleMilliseconds);
    Report("idle_seconds", idleMilliseconds / 1000.0);
    Report("idle_cpu_seconds", ThreadCpuSeconds(monitor.ThreadHandle()) - armCpu);

    // 4. From a write to its directory recorded, through Pause.
    struct Sample {
        const char* name;
        std::string file;
        std::string recorded;
    };
    const std::vector<Sample> samples = {
        {"root", root + "bench-root.txt", root},
        {"level1", root + "T07\\bench.txt", root + "T07"},
        {"level2", root + "T11\\M05\\bench.txt", root + "T11\\M05"},
        {"level3", root + "T19\\M19\\B23\\bench.txt", root + "T19\\M19"},
    };
    for (size_t i = 0; i < samples.size(); ++i) {
        const Sample& sample = samples[i];
        if (i > 0) {
            monitor.Resume();
            start = Now();
            if (!monitor.WaitUntilArmed(600000)) return 1;
            Report("rearm_seconds", Now() - start);
        }
        WriteFile(sample.file);
        start = Now();
        const bool paused = monitor.Pause();
        const double latency = Now() - start;
        std::printf("write_to_recorded_seconds_%s %.6f %s\n", sample.name, latency,
                    paused && Recorded(sample.recorded) ? "recorded" : "MISSING");
        ::DeleteFileA(sample.file.c_str());
    }
    monitor.Shutdown();

    return BuildChangeListOnce(root, settings);
}
