// The archive editor's list work without windows: loading an archive's items,
// and merging the files a "Changed Since:" search found into a long list (half
// of them replace items, half are new). Prints "name value" lines.
//   editor_bench.exe <drive letter> <items> <found>
// The found files are <drive>:\found\dNN\fNNNNNN.txt for 0 <= i < found; the
// archive items are found\dNN\fNNNNNN.txt for found/2 <= i < found/2 + items.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/KnownArchiveSink.h"
#include "common/Settings.h"
#include "editor/EditList.h"
#include "editor/FoundFiles.h"
#include "editor/PassProgress.h"
#include "framework/Text.h"

using namespace tb;

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

LARGE_INTEGER Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now;
}

std::string Stored(int i) { return Format("found\\d%02d\\f%06d.txt", i % 100, i); }

struct NoArchives : IKnownArchiveSink {
    int AddArchive(const std::string&) override { return 0; }
    bool ArchiveListChanged() const override { return false; }
    int RefreshArchiveList() override { return 0; }
};

void LoadItems(CEditList& list, int from, int count) {
    list.Reserve(size_t(count));
    for (int i = from; i < from + count; ++i)
        list.ApplyEntry(Stored(i), OpArchiveItem, 0, "03-04-26 10:11", 700, 1400);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: editor_bench <drive letter> <items> <found>\n");
        return 2;
    }
    const std::string drive = std::string(1, argv[1][0]) + ":\\";
    const int items = std::atoi(argv[2]);
    const int found = std::atoi(argv[3]);

    std::vector<std::string> paths;
    paths.reserve(size_t(found));
    for (int i = 0; i < found; ++i) paths.push_back(drive + Stored(i));

    // The drive search that comes before the merge, with its progress dialog.
    {
        NoArchives archives;
        SettingsRecord settings;
        CChangeListBuilder search(archives, settings);
        search.SearchChangedFiles("", 0, 1);
        LARGE_INTEGER start = Now();
        const int count = search.SearchChangedFiles(drive.substr(0, 2), 0, 1);
        std::printf("search_seconds %.4f (%d entries found)\n", Seconds(start, Now()), count);
    }

    // Loading: what LoadArchive does per item, and the row texts of RefillList.
    {
        CEditList list;
        LARGE_INTEGER start = Now();
        LoadItems(list, 0, 100000);
        LARGE_INTEGER loaded = Now();
        size_t characters = 0;
        for (const EditEntry& entry : list.Entries()) characters += FormatRow(entry, kShowCompressedSizes).size();
        LARGE_INTEGER formatted = Now();
        std::printf("load_100000_items_seconds %.4f\n", Seconds(start, loaded));
        std::printf("format_100000_rows_seconds %.4f (%zu characters)\n", Seconds(loaded, formatted), characters);
    }

    // The merge.
    CEditList list;
    LoadItems(list, found / 2, items);
    LARGE_INTEGER start = Now();
    const MergeOutcome outcome = MergeFoundFiles(list, paths, found, TypeFilter{"", true}, OpAddFile, nullptr);
    LARGE_INTEGER merged = Now();
    int updates = 0, additions = 0;
    for (const EditEntry& entry : list.Entries()) {
        updates += entry.action == ActionUpdate;
        additions += entry.action == ActionAdd;
    }
    std::printf("merge_list_entries %d\n", items);
    std::printf("merge_found_files %d\n", outcome.merged);
    std::printf("merge_seconds %.4f\n", Seconds(start, merged));
    std::printf("merge_result_entries %zu updates %d additions %d\n", list.Size(), updates, additions);

    // The same merge into a fresh list with the progress dialog shown, as the
    // editor shows it.
    {
        CEditList shown;
        LoadItems(shown, found / 2, items);
        CPassProgress progress(nullptr, true);
        LARGE_INTEGER from = Now();
        MergeFoundFiles(shown, paths, found, TypeFilter{"", true}, OpAddFile, &progress);
        std::printf("merge_with_progress_seconds %.4f\n", Seconds(from, Now()));
    }

    // The same merge again: every file is now listed, so each one is only matched.
    start = Now();
    MergeFoundFiles(list, paths, found, TypeFilter{"", true}, OpAddFile, nullptr);
    std::printf("merge_again_seconds %.4f (entries %zu)\n", Seconds(start, Now()), list.Size());
    return (updates == found - found / 2 && additions == found / 2) ? 0 : 1;
}
