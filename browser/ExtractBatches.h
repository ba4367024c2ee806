#pragma once
// The walk over the selected entries of an extraction: their names go to the
// ZIP library seven at a time, each batch with the password, which is asked
// once, when the walk meets the first protected entry. A batch that fails, or
// a cancel, ends the walk.

#include <string>
#include <vector>

namespace tb {

// An entry to extract: its stored path and the flags of the entry
// information block (0x8000 = password protected).
struct ExtractEntry {
    std::string path;
    unsigned flags = 0;
};

constexpr unsigned kExtractEntryProtected = 0x8000;
constexpr int kExtractBatchSize = 7;
// A last batch of a selection smaller than this lets the library's own
// progress move the bar.
constexpr int kFollowProgressBelow = 5;

// What the walk needs from the extraction it belongs to.
class IBatchExtraction {
public:
    virtual ~IBatchExtraction() = default;
    // Asks for the password; "" when the user gave none.
    virtual std::string AskPassword() = 0;
    // Extracts one batch (quoted names separated by blanks); true on success.
    virtual bool ExtractBatch(const std::string& fileList, const std::string& password) = 0;
    // The progress bar, 0 to 100.
    virtual void SetProgress(int position) = 0;
    // 1: the library's progress reports move the bar; 0: the walk moves it.
    virtual void SetFollowProgress(int follow) = 0;
    virtual bool Cancelled() const = 0;
};

// Extracts `selection` in batches of seven names, the rest after the walk.
// Returns 1 when every batch was extracted, 0 when one failed or the user
// cancelled (nothing after it is extracted).
int ExtractInBatches(const std::vector<ExtractEntry>& selection, IBatchExtraction& extraction);

// The library's file list entry of one stored path: in double quotes, then a blank.
std::string QuotedListName(const std::string& path);

}  // namespace tb
