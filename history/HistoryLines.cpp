#include "history/HistoryLines.h"

#include <windows.h>

#include "framework/Text.h"

namespace tb {

namespace {
constexpr size_t kNamedSkips = 3;

std::string Counted(size_t n, const char* one, const char* many) { return Format("%u %s", unsigned(n), n == 1 ? one : many); }

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

std::string ArchiveText(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return path;
    return path.substr(slash + 1) + " in " + path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

std::string ModifiedText(int64_t ticks) {
    if (ticks <= 0) return "";
    FILETIME utc{DWORD(uint64_t(ticks) & 0xFFFFFFFFu), DWORD(uint64_t(ticks) >> 32)}, local{};
    SYSTEMTIME time{};
    if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time)) return "";
    return Format("%02u/%02u/%04u %02u:%02u", time.wMonth, time.wDay, time.wYear, time.wHour, time.wMinute);
}

std::string SizeText(uint64_t size) {
    std::string digits = std::to_string(size), text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::vector<HistoryLine> HistoryLines(const VersionSearch& search) {
    std::vector<HistoryLine> lines;
    for (size_t g = 0; g < search.groups.size(); ++g) {
        const FileVersionGroup& group = search.groups[g];
        lines.push_back({int(g), -1, "\t" + group.path + "\t" + Counted(group.versions.size(), "version", "versions")});
        for (size_t v = 0; v < group.versions.size(); ++v) {
            const FileVersion& version = group.versions[v];
            const VersionCopy& last = version.Last();
            lines.push_back({int(g), int(v),
                             "\t" + version.DaysText() + "\t" + ModifiedText(last.modified) + "\t" +
                                 SizeText(version.size) + "\t" + std::to_string(version.copies.size()) + "\t" +
                                 (last.Encrypted() ? "+" : "") + "\t" + ArchiveText(last.archive)});
        }
    }
    return lines;
}

std::string SearchSummary(const std::string& pattern, const HistorySearchResult& result) {
    const std::string where = "in " + Counted(result.archives, "archive", "archives");
    if (result.failed) return "The search failed on an unexpected error. Try it again.";
    if (result.stopped) return "The search was stopped.";
    const VersionSearch& found = result.versions;
    if (found.groups.empty()) return "No versions of " + pattern + " were found " + where + ".";
    size_t versions = 0;
    for (const FileVersionGroup& group : found.groups) versions += group.versions.size();
    std::string text = Counted(found.groups.size(), "file", "files") + ", " +
                       Counted(versions, "version", "versions") + " " + where + ".";
    if (found.truncated) text += Format(" Only the first %u files are shown.", unsigned(found.groups.size()));
    return text;
}

std::string SkippedNote(const std::vector<SkippedArchive>& skipped) {
    if (skipped.empty()) return "";
    std::string note = "Skipped " + Counted(skipped.size(), "archive", "archives") + ": ";
    for (size_t i = 0; i < skipped.size() && i < kNamedSkips; ++i)
        note += (i ? "; " : "") + FileNameOf(skipped[i].path) + " " + skipped[i].reason;
    if (skipped.size() > kNamedSkips) note += Format("; and %u more", unsigned(skipped.size() - kNamedSkips));
    return note + ".";
}

}  // namespace tb
