#include "sfx/stub/SelfArchive.h"

#include "core/Io.h"
#include "sfx/PeImage.h"
#include "sfx/ScriptIds.h"

namespace tb::sfx {

namespace {
std::string ReadAt(zl::IReadFile& file, uint64_t offset, size_t size) {
    std::string data(size, '\0');
    int64_t got = size ? file.ReadAt(offset, &data[0], size) : 0;
    data.resize(got < 0 ? 0 : size_t(got));
    return data;
}
}  // namespace

Outcome ReadScriptOf(const std::string& path, SelfArchive& archive) {
    archive.path = path;
    std::unique_ptr<zl::IReadFile> file = zl::PlatformFileSystem().OpenRead(path);
    if (!file) return Outcome{kStubArchiveError, ids::kAccessError, "cannot open " + path};
    const std::string head = ReadAt(*file, 0, kPeHeadSize);
    uint64_t imageEnd = 0;
    if (!PeImageEnd(reinterpret_cast<const uint8_t*>(head.data()), head.size(), imageEnd))
        return Outcome{kStubArchiveError, ids::kAccessError, "the program's headers cannot be read"};
    const uint32_t size = PayloadSize(ReadAt(*file, imageEnd, kPayloadHeaderSize));
    if (size == 0) return Outcome{kStubInitError, ids::kInitError, "the program carries no script"};
    if (imageEnd + size > file->Size()) return Outcome{kStubArchiveError, ids::kEndOfFileError, "the program is cut short"};
    Outcome o;
    if (!DecodePayload(ReadAt(*file, imageEnd, size), archive.payload, o.detail))
        return Outcome{kStubInitError, ids::kInitError, o.detail};
    return o;
}

Outcome ReadDirectoryOf(SelfArchive& archive) {
    std::unique_ptr<zl::IReadFile> file = zl::PlatformFileSystem().OpenRead(archive.path);
    auto directory = std::make_shared<zl::ZipDirectory>();
    Outcome o;
    if (!file || !zl::ReadDirectory(*file, *directory, o.detail)) {
        // A program cut short inside its archive has lost the archive's end.
        const bool cut = file && o.detail.find("no end of central directory") != std::string::npos;
        return Outcome{kStubArchiveError, cut ? ids::kEndOfFileError : ids::kAccessError,
                       file ? o.detail : "cannot open " + archive.path};
    }
    archive.directory = directory;
    return o;
}

}  // namespace tb::sfx
