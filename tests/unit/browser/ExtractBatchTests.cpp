// The extraction's walk over the selected entries, and the choices of the
// dialog as values: batches, the password, progress, the folders.
#include <string>
#include <vector>

#include "common/Settings.h"
#include "browser/ExtractBatches.h"
#include "browser/ExtractChoices.h"
#include "doctest/doctest.h"
#include "zip/ZipEngine.h"

using namespace tb;

namespace {

// Records what the walk asks and does; batches fail from `failFrom` on, and
// the user cancels after `cancelAfter` batches.
struct RecordingExtraction : IBatchExtraction {
    struct Batch {
        std::string fileList;
        std::string password;
        int follow;
    };
    std::vector<Batch> batches;
    std::vector<int> positions;
    int passwordQuestions = 0;
    std::string passwordGiven = "secret";
    int follow = -1;
    size_t failFrom = 1000;
    size_t cancelAfter = 1000;

    std::string AskPassword() override {
        ++passwordQuestions;
        return passwordGiven;
    }
    bool ExtractBatch(const std::string& fileList, const std::string& password) override {
        batches.push_back({fileList, password, follow});
        return batches.size() <= failFrom;
    }
    void SetProgress(int position) override { positions.push_back(position); }
    void SetFollowProgress(int value) override { follow = value; }
    bool Cancelled() const override { return batches.size() >= cancelAfter; }
};

std::vector<ExtractEntry> Entries(int count, std::vector<int> protectedOnes = {}) {
    std::vector<ExtractEntry> entries;
    for (int i = 0; i < count; ++i) entries.push_back({"dir\\f" + std::to_string(i) + ".txt", 0});
    for (int i : protectedOnes) entries[size_t(i)].flags = kExtractEntryProtected;
    return entries;
}

int NamesIn(const std::string& fileList) {
    int quotes = 0;
    for (char c : fileList) quotes += c == '"';
    return quotes / 2;
}

}  // namespace

TEST_CASE("selected entries go to the library seven at a time, the rest after the walk") {
    RecordingExtraction run;
    CHECK(ExtractInBatches(Entries(15), run) == 1);
    REQUIRE(run.batches.size() == 3);
    CHECK(NamesIn(run.batches[0].fileList) == 7);
    CHECK(NamesIn(run.batches[1].fileList) == 7);
    CHECK(run.batches[2].fileList == "\"dir\\f14.txt\"");  // no trailing blank on the last batch
    CHECK(run.batches[0].fileList.rfind("\"dir\\f0.txt\" \"dir\\f1.txt\" ", 0) == 0);
    CHECK(run.batches[0].fileList.back() == ' ');
    // The bar starts at 1 and moves after each full batch to the position of its last entry.
    CHECK(run.positions == std::vector<int>{1, 6 * 100 / 15, 13 * 100 / 15});
    for (const auto& batch : run.batches) CHECK(batch.follow == 0);

    RecordingExtraction seven;
    CHECK(ExtractInBatches(Entries(7), seven) == 1);
    CHECK(seven.batches.size() == 1);  // nothing is left for after the walk
}

TEST_CASE("a small selection lets the library's progress move the bar, a larger one does not") {
    RecordingExtraction six;
    ExtractInBatches(Entries(6), six);
    REQUIRE(six.batches.size() == 1);
    CHECK(NamesIn(six.batches[0].fileList) == 6);
    CHECK(six.batches[0].follow == 0);

    RecordingExtraction four;
    ExtractInBatches(Entries(4), four);
    REQUIRE(four.batches.size() == 1);
    CHECK(four.batches[0].follow == 1);

    RecordingExtraction nine;
    ExtractInBatches(Entries(9), nine);
    REQUIRE(nine.batches.size() == 2);
    CHECK(nine.batches[1].follow == 0);  // fewer than five in the last batch, but not in all
}

TEST_CASE("the password is asked once, at the first protected entry, and every batch gets it") {
    RecordingExtraction run;
    CHECK(ExtractInBatches(Entries(15, {1, 8, 14}), run) == 1);
    CHECK(run.passwordQuestions == 1);
    REQUIRE(run.batches.size() == 3);
    for (const auto& batch : run.batches) CHECK(batch.password == "secret");

    RecordingExtraction none;
    ExtractInBatches(Entries(3), none);
    CHECK(none.passwordQuestions == 0);
    CHECK(none.batches[0].password.empty());

    // A user who gives no password is not asked again at every protected entry.
    RecordingExtraction refused;
    refused.passwordGiven = "";
    ExtractInBatches(Entries(10, {0, 3, 9}), refused);
    CHECK(refused.passwordQuestions == 1);
}

TEST_CASE("a failed batch or a cancel ends the walk: nothing after it is extracted") {
    RecordingExtraction failing;
    failing.failFrom = 0;
    CHECK(ExtractInBatches(Entries(15), failing) == 0);
    CHECK(failing.batches.size() == 1);

    RecordingExtraction lastFails;
    lastFails.failFrom = 1;
    CHECK(ExtractInBatches(Entries(10), lastFails) == 0);
    CHECK(lastFails.batches.size() == 2);

    RecordingExtraction cancelled;
    cancelled.cancelAfter = 1;
    CHECK(ExtractInBatches(Entries(20), cancelled) == 0);
    CHECK(cancelled.batches.size() == 1);

    RecordingExtraction cancelledBeforeRest;
    cancelledBeforeRest.cancelAfter = 2;
    CHECK(ExtractInBatches(Entries(16), cancelledBeforeRest) == 0);
    CHECK(cancelledBeforeRest.batches.size() == 2);  // the two left over are not extracted
}

TEST_CASE("the folder the dialog opens with: a later destination bit wins") {
    const ExtractFolders folders{"D:\\Default", "D:\\Last", "C:\\Temp\\", "C:\\Docs"};
    CHECK(InitialDestination(0, folders).empty());
    CHECK(InitialDestination(kUnZipUseDefault, folders) == "D:\\Default");
    CHECK(InitialDestination(kUnZipUseDefault | kUnZipUseLast, folders) == "D:\\Last");
    CHECK(InitialDestination(kUnZipUseLast | kUnZipUseTemp, folders) == "C:\\Temp\\");
    CHECK(InitialDestination(kUnZipUseDefault | kUnZipMyDocuments, folders) == "C:\\Docs");
    CHECK(InitialDestination(kUnZipOverwrite | kUnZipRenameByNumber, folders).empty());
    CHECK(FolderFor(ExtractDestination::Temp, folders) == "C:\\Temp\\");
    CHECK(FolderFor(ExtractDestination::Documents, folders) == "C:\\Docs");
}
