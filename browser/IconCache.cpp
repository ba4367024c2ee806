#include "browser/IconCache.h"

#include <algorithm>

namespace tb {

bool CIconCache::Find(const std::string& key, HICON& icon) {
    for (Entry& entry : m_entries) {
        if (entry.key != key) continue;
        entry.lastUse = ++m_clock;
        icon = entry.icon.Get();
        return true;
    }
    return false;
}

HICON CIconCache::Put(const std::string& key, UniqueIcon icon) {
    auto same = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.key == key; });
    if (same == m_entries.end() && m_entries.size() >= m_capacity) {
        // The least recently used goes; its handle is destroyed with it.
        same = std::min_element(m_entries.begin(), m_entries.end(),
                                [](const Entry& a, const Entry& b) { return a.lastUse < b.lastUse; });
    }
    if (same == m_entries.end()) {
        m_entries.push_back(Entry{key, std::move(icon), ++m_clock});
        return m_entries.back().icon.Get();
    }
    same->key = key;
    same->icon = std::move(icon);
    same->lastUse = ++m_clock;
    return same->icon.Get();
}

}  // namespace tb
