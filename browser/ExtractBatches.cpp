#include "browser/ExtractBatches.h"

namespace tb {

std::string QuotedListName(const std::string& path) { return "\"" + path + "\" "; }

int ExtractInBatches(const std::vector<ExtractEntry>& selection, IBatchExtraction& extraction) {
    extraction.SetFollowProgress(0);
    extraction.SetProgress(1);
    const size_t count = selection.size();
    std::string fileList;
    std::string password;
    bool asked = false;
    for (size_t i = 0; i < count; ++i) {
        const int position = int(i * 100 / count);
        fileList += QuotedListName(selection[i].path);
        // Asked once: a user who gave no password is not asked again for
        // every further protected entry.
        if ((selection[i].flags & kExtractEntryProtected) && !asked) {
            password = extraction.AskPassword();
            asked = true;
        }
        if ((i + 1) % kExtractBatchSize == 0) {
            const bool extracted = extraction.ExtractBatch(fileList, password);
            extraction.SetProgress(position);
            fileList.clear();
            if (!extracted) return 0;
            if (extraction.Cancelled()) return 0;
        }
    }
    if (!fileList.empty()) fileList.pop_back();  // the trailing blank
    if (fileList.empty()) return 1;
    if (extraction.Cancelled()) return 0;
    extraction.SetFollowProgress(count < size_t(kFollowProgressBelow) ? 1 : 0);
    return extraction.ExtractBatch(fileList, password) ? 1 : 0;
}

}  // namespace tb
