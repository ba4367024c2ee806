#pragma once
// The extraction a self-extracting program makes: the checks before it (the
// password, the folder, the free space) and the extract job of the ZIP core
// with the answers the user gives, turned into one outcome: an exit code and
// the message group that tells it.

#include <string>

#include "sfx/StubResult.h"
#include "sfx/stub/SelfArchive.h"

namespace tb::sfx {

// What the extraction asks and tells while it runs (on the thread that runs it).
class IExtractionHost {
public:
    enum class Answer { Yes, No, Cancel };
    virtual ~IExtractionHost() = default;
    // The file being extracted and the share done; false stops the extraction.
    virtual bool Progress(const std::string& file, int percent) = 0;
    virtual Answer AskOverwrite(const std::string& path, bool readOnly) = 0;
};

struct ExtractionRequest {
    std::string folder;             // the destination (UTF-8)
    bool keepFolders = true;
    bool askOverwrite = true;       // otherwise `overwriteSilently` decides
    bool overwriteSilently = false;
    bool havePassword = false;
    std::string password;
};

bool NeedsPassword(const zl::ZipDirectory& directory);
// Decodes the smallest encrypted entry, writing nothing: kStubOk when the
// password opens it, kStubPasswordError when it does not.
Outcome CheckPassword(const SelfArchive& archive, const std::string& password);
// Makes the destination folder and the folders above it.
Outcome PrepareFolder(const std::string& folder);
// Whether the files that are not there yet fit on the destination's disk.
Outcome CheckFreeSpace(const zl::ZipDirectory& directory, const ExtractionRequest& request);
Outcome Extract(const SelfArchive& archive, const ExtractionRequest& request, IExtractionHost& host);

}  // namespace tb::sfx
