// libFuzzer target for the reading side of the ZIP core: the central directory
// parser, name decoding, extraction paths and the entry reader (the decoders
// of every method, traditional and AES decryption, size bounds, CRC checks),
// all on a file held in memory.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/EntryReader.h"
#include "core/Format.h"
#include "core/Names.h"

namespace {

class CMemoryFile : public zl::IReadFile {
public:
    CMemoryFile(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    uint64_t Size() const override { return m_size; }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override {
        if (offset >= m_size) return 0;
        size_t n = size_t(std::min<uint64_t>(count, m_size - offset));
        std::memcpy(buffer, m_data + offset, n);
        return int64_t(n);
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemoryFile file(data, size);
    zl::ZipDirectory dir;
    std::string why;
    if (!zl::ReadDirectory(file, dir, why)) return 0;
    static zl::ReadBuffers buffers;
    const std::string password = "pw";
    size_t budget = 8 * 1024 * 1024;  // output decoded per input, so each run stays short
    for (size_t i = 0; i < dir.entries.size() && i < 64; ++i) {
        const zl::ZipEntry& e = dir.entries[i];
        std::string relative;
        zl::SafeRelativePath(e.name, true, '/', relative);
        if (!relative.empty() && relative[0] == '/') __builtin_trap();  // absolute
        // A part made of dots and blanks only ("..", ". .") would climb on Windows.
        size_t start = 0;
        while (!relative.empty() && start <= relative.size()) {
            size_t end = relative.find('/', start);
            if (end == std::string::npos) end = relative.size();
            std::string part = relative.substr(start, end - start);
            if (part.find_first_not_of(". ") == std::string::npos) __builtin_trap();
            start = end + 1;
        }
        zl::DosTimeText(e.dosTime);
        zl::CEntryReader reader(file, dir, i, &zl::PlatformCrypto());
        if (reader.Open(&password) != zl::kZipOk) continue;
        uint64_t produced = 0;
        const zl::ZipResult r = reader.Pump(
            [&](const uint8_t*, size_t got) {
                produced += got;
                if (produced > e.size) __builtin_trap();  // more than the declared size
                if (got >= budget) return zl::kZipAborted;
                budget -= got;
                return zl::kZipOk;
            },
            buffers);
        if (r == zl::kZipAborted) return 0;
    }
    return 0;
}
