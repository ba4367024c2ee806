#pragma once
// The File History window's texts: one line per file (its stored path) with
// its versions below it, newest first, and the status and note lines.

#include <string>
#include <vector>

#include "history/HistorySearch.h"

namespace tb {

struct HistoryLine {
    int group = 0;
    int version = -1;  // -1: the file's own line
    std::string text;  // tab-separated, beginning with a tab
};

// File line: "\t" path "\t" "2 versions". Version line: "\t" days "\t"
// modified "\t" size "\t" copies "\t" "+" when protected "\t" archive
// (ArchiveText of the newest copy's archive).
std::vector<HistoryLine> HistoryLines(const VersionSearch& search);

// The file's own modified time as local time, "03/01/2026 09:05"; "" when unknown.
std::string ModifiedText(int64_t ticks);
// "November 04 2026.zip in D:\Archives": the name first, so a cut text keeps it.
std::string ArchiveText(const std::string& path);
// 1234567 -> "1,234,567".
std::string SizeText(uint64_t size);
// What the search found, for the status line.
std::string SearchSummary(const std::string& pattern, const HistorySearchResult& result);
// The archives that were skipped and why; "" when none.
std::string SkippedNote(const std::vector<SkippedArchive>& skipped);

}  // namespace tb
