#pragma once
// Made-up archive directories for the index and version tests: a reader that
// hands out what a test put in and counts what it was asked for.

#include <map>
#include <string>
#include <vector>

#include "history/ArchiveIndex.h"

namespace tb {

struct MadeEntry {
    std::string name;
    uint32_t crc;
    uint64_t size;
    uint32_t flags = 0;
    int64_t modified = 0;
};

class CMadeUpReader : public IArchiveReader {
public:
    void Put(const std::string& path, const std::vector<MadeEntry>& entries) {
        IndexedArchive archive;
        uint32_t position = 0;
        for (const MadeEntry& made : entries) {
            IndexedEntry entry;
            entry.crc = made.crc;
            entry.size = made.size;
            entry.compressedSize = made.size / 2;
            entry.flags = made.flags;
            entry.modified = made.modified;
            entry.position = position++;
            archive.AddEntry(made.name, entry);
        }
        m_archives[path] = archive;
        m_results.erase(path);
    }
    void Fail(const std::string& path, Result result, const std::string& why) {
        m_results[path] = result;
        m_reasons[path] = why;
    }
    Result Read(const std::string& path, IndexedArchive& into) override {
        m_reads.push_back(path);
        auto failed = m_results.find(path);
        if (failed != m_results.end()) {
            into.problem = m_reasons[path];
            return failed->second;
        }
        auto found = m_archives.find(path);
        if (found == m_archives.end()) {
            into.problem = "could not be opened";
            return Result::Unavailable;
        }
        into.names = found->second.names;
        into.entries = found->second.entries;
        return Result::Read;
    }
    std::vector<std::string> TakeReads() {
        std::vector<std::string> reads;
        reads.swap(m_reads);
        return reads;
    }

private:
    std::map<std::string, IndexedArchive> m_archives;
    std::map<std::string, Result> m_results;
    std::map<std::string, std::string> m_reasons;
    std::vector<std::string> m_reads;
};

inline ArchiveKey KeyOf(const std::string& path, unsigned long long size, FileTicks time) {
    ArchiveKey key;
    key.path = path;
    key.size = size;
    key.writeTime = time;
    return key;
}

}  // namespace tb
