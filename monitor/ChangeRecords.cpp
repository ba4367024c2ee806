#include "monitor/ChangeRecords.h"

#include <algorithm>
#include <utility>

#include "common/NumberedList.h"

namespace tb {

namespace {
constexpr int kChangeRecordLimit = 5000;
}

std::mutex& ChangeRecordLock() {
    static std::mutex lock;
    return lock;
}

int RecordChangedDirectories(const std::vector<std::string>& paths) {
    std::lock_guard<std::mutex> guard(ChangeRecordLock());
    std::vector<std::string> list = ReadDirList(kChangesSection, kChangeRecordLimit);
    std::vector<std::pair<std::string, std::string>> assignments;
    for (const std::string& path : paths) {
        if (path.empty() || list.size() >= size_t(kChangeRecordLimit)) continue;
        if (std::find(list.begin(), list.end(), path) != list.end()) continue;
        list.push_back(path);
        assignments.emplace_back(DirKey(int(list.size())), path);
    }
    if (assignments.empty()) return 0;
    assignments.emplace_back(DirKey(int(list.size()) + 1), std::string());
    CIniSection(kChangesSection).Write(assignments);
    return int(assignments.size()) - 1;
}

}  // namespace tb
