#include "editor/FoundFiles.h"


#include "editor/EditList.h"
#include "framework/Text.h"

namespace tb {

namespace {
constexpr int kProgressEvery = 4;
constexpr time_t kSecondsPerDay = 24 * 60 * 60;
}  // namespace

FileTicks EarliestChange() { return FileTicks(LocalTimeTicks(1970, 1, 1, 1, 1, 1)); }

FileTicks DaysBeforeNow(int days) { return TicksFromTime(CurrentTime() - time_t(days) * kSecondsPerDay); }

bool TypeFilter::Accepts(const std::string& path) const {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return false;
    if (allTypes) return true;
    const std::string extension = ToUpper(path.substr(dot));
    return types.find(extension + ";") != std::string::npos || types.find(extension + ",") != std::string::npos;
}

std::string TypesFromListLines(const std::vector<std::string>& lines) {
    std::string types;
    for (const std::string& line : lines) {
        const size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        const size_t tab = line.find('\t', start);
        types += "." + line.substr(start, tab == std::string::npos ? std::string::npos : tab - start) + ";";
    }
    return types;
}

bool TypeEditWellFormed(const std::string& text) { return text.empty() || text[0] == '.' || text[0] == '*'; }

TypeFilter TypesFromFilter(const std::vector<std::string>& lines, const std::string& editText) {
    std::string types = TypesFromListLines(lines);
    if (!editText.empty() && TypeEditWellFormed(editText)) types += editText + ";";
    return TypeFilter{ToUpper(types), false};
}

TypeFilter WildcardFilter(const std::string& wildcardText) {
    TypeFilter filter;
    filter.types = ToUpper(wildcardText + ";");
    filter.allTypes = filter.types.find("*.*") != std::string::npos;
    return filter;
}

MergeOutcome MergeFoundFiles(CEditList& list, const std::vector<std::string>& found, int count,
                             const TypeFilter& filter, int operation, IPassProgress* progress) {
    MergeOutcome outcome;
    if (count > int(found.size())) count = int(found.size());
    const bool showing = progress && count > kProgressAbove;
    std::vector<const std::string*> kept;
    kept.reserve(size_t(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        const std::string& path = found[size_t(i)];
        if (showing && i % kProgressEvery == 0 &&
            !progress->Update("Searching List of Files: " + path, (i * 100 / count) / 2))
            break;
        if (progress && progress->Aborted()) break;
        if (filter.Accepts(path)) kept.push_back(&path);
    }
    outcome.kept = int(kept.size());
    for (size_t i = 0; i < kept.size(); ++i) {
        if (showing && i % kProgressEvery == 0)
            progress->Update("Integrating Files: " + *kept[i], (int(i) * 100 / count) / 2 + 50);
        if (progress && progress->Aborted()) {
            outcome.aborted = true;
            return outcome;
        }
        list.ApplyEntry(*kept[i], operation, 0, "", 0, -1);
        ++outcome.merged;
    }
    return outcome;
}

}  // namespace tb
