#pragma once
// The archive a self-extracting program carries: its script (with the
// pictures) behind the program's own image, and the ZIP archive after it.

#include <memory>
#include <string>

#include "core/Format.h"
#include "sfx/Payload.h"
#include "sfx/StubResult.h"

namespace tb::sfx {

struct SelfArchive {
    std::string path;                                  // the program file (UTF-8)
    Payload payload;
    std::shared_ptr<const zl::ZipDirectory> directory;
};

// Reads the script of the program at `path`. Fails with kStubInitError when
// the program carries none, kStubArchiveError when it cannot be read or ends
// inside the script.
Outcome ReadScriptOf(const std::string& path, SelfArchive& archive);
// Reads the archive's directory; fails with kStubArchiveError.
Outcome ReadDirectoryOf(SelfArchive& archive);

}  // namespace tb::sfx
