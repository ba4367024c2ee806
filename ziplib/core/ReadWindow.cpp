#include "ReadWindow.h"

#include <algorithm>
#include <cstring>

namespace zl {

int64_t CWindowedFile::ReadAt(uint64_t offset, void* buffer, size_t count) {
    if (count >= m_window) return m_file.ReadAt(offset, buffer, count);
    // A window shorter than asked for ends at the file's end: a read running
    // past it is as short from the window as from the file.
    const bool toEnd = m_filled && m_bytes.size() < m_window;
    const bool inside = m_filled && offset >= m_start &&
                        (offset - m_start + count <= m_bytes.size() || (toEnd && offset - m_start <= m_bytes.size()));
    if (!inside) {
        m_bytes.resize(m_window);
        const int64_t got = m_file.ReadAt(offset, m_bytes.data(), m_window);
        if (got < 0) {
            m_bytes.clear();
            m_filled = false;
            return -1;
        }
        m_bytes.resize(size_t(got));
        m_start = offset;
        m_filled = true;
    }
    const size_t at = size_t(offset - m_start);
    const size_t n = std::min(count, m_bytes.size() - at);
    std::memcpy(buffer, m_bytes.data() + at, n);
    return int64_t(n);
}

}  // namespace zl
