#pragma once
// CIconCache: icons by key, at most a fixed number of them. When it is full,
// the icon used least recently is dropped and destroyed to make room, so a
// program that runs for weeks and draws archives of many types holds a
// bounded number of icon handles.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handles.h"

namespace tb {

class CIconCache {
public:
    explicit CIconCache(size_t capacity) : m_capacity(capacity ? capacity : 1) {}

    // True when `key` is cached; `icon` is then its icon (may be null: the
    // key has no icon of its own). A hit makes the key the most recently used.
    bool Find(const std::string& key, HICON& icon);
    // Keeps `icon` under `key` (replacing what the key held); the cache owns
    // it from now on. Returns the icon kept.
    HICON Put(const std::string& key, UniqueIcon icon);

    size_t Size() const { return m_entries.size(); }
    size_t Capacity() const { return m_capacity; }

private:
    struct Entry {
        std::string key;
        UniqueIcon icon;
        unsigned long long lastUse = 0;
    };
    size_t m_capacity;
    std::vector<Entry> m_entries;
    unsigned long long m_clock = 0;
};

}  // namespace tb
