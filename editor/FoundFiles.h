#pragma once
// Files found by a search (or taken from the pending list) on their way into
// the edit list: which types are wanted, and the filter-then-merge pass with
// its progress, shared by the editor's "Changed Since:" search and the
// add-files dialog's wildcard search.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Clock.h"

namespace tb {

class CEditList;

// A type list text (".DOC;.TXT;" or "*.DOC;*.TXT;"); a path is wanted when the
// text holds its extension (from its last '.', upper-cased) followed by ";"
// or ",". A path without any '.' is never wanted, not even with all types.
struct TypeFilter {
    std::string types;   // upper-case
    bool allTypes = false;

    bool Accepts(const std::string& path) const;
};

// The types text of the "Types From:" list's selected lines ("DOC\t(Word
// Document)" gives ".DOC;"): each line without its leading blanks, cut at its
// first tab, between "." and ";".
std::string TypesFromListLines(const std::vector<std::string>& lines);

// The extra types typed beside the list (".EXT;.EXT") are well formed when
// empty or beginning with '.' or '*'.
bool TypeEditWellFormed(const std::string& text);

// The filter of "Types From:": the selected lines' types, then the typed
// text followed by ";" when it is well formed (it is left out otherwise),
// upper-cased.
TypeFilter TypesFromFilter(const std::vector<std::string>& lines, const std::string& editText);

// The add-files dialog's wildcard text as a filter: "*.doc;*.txt" wants .DOC
// and .TXT files; "*.*" anywhere in it wants every type.
TypeFilter WildcardFilter(const std::string& wildcardText);

// Progress of a long pass: the program shows the progress dialog, tests count.
class IPassProgress {
public:
    virtual ~IPassProgress() = default;
    // Shows the text and position; false once the user has asked to stop.
    virtual bool Update(const std::string& text, int percent) = 0;
    virtual bool Aborted() const = 0;
};

struct MergeOutcome {
    int kept = 0;      // paths that passed the filter
    int merged = 0;    // paths handed to ApplyEntry
    bool aborted = false;
};

// Filters the first `count` found paths by type, then applies the kept ones
// to the list with `operation` (OpAddFile or OpFreshen), in order. With more
// than 50 found paths the progress is shown on every fourth path: "Searching
// List of Files: " for the first half of the bar, "Integrating Files: " for
// the second. A stop asked while filtering merges nothing; one asked while
// merging keeps what was merged.
MergeOutcome MergeFoundFiles(CEditList& list, const std::vector<std::string>& found, int count,
                             const TypeFilter& filter, int operation, IPassProgress* progress);

// The start of a search without a date of its own: 1 January 1970, 01:01:01
// local time.
FileTicks EarliestChange();
// Now minus `days` whole days (a negative number looks ahead).
FileTicks DaysBeforeNow(int days);

// More found paths than this show the progress dialog.
constexpr int kProgressAbove = 50;

}  // namespace tb
