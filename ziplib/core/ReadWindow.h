#pragma once
// Reading a file forward in large steps: reads that fall inside the window
// are served from memory, others refill it from their own offset. Walking an
// archive's records in order then costs one system read per window instead
// of several per entry.

#include <cstdint>
#include <vector>

#include "Io.h"

namespace zl {

class CWindowedFile : public IReadFile {
public:
    CWindowedFile(IReadFile& file, size_t window) : m_file(file), m_window(window) {}
    uint64_t Size() const override { return m_file.Size(); }
    int64_t ReadAt(uint64_t offset, void* buffer, size_t count) override;

private:
    IReadFile& m_file;
    size_t m_window;
    std::vector<uint8_t> m_bytes;
    uint64_t m_start = 0;  // file offset of m_bytes[0]
    bool m_filled = false;  // m_bytes holds what the file had at m_start
};

}  // namespace zl
