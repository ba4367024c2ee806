#pragma once
// What the change list tests share: a known-archive list that records what it
// is offered, and a tree on drive X: whose every time stamp the test sets
// relative to "LastArchiveTime".

#include <functional>
#include <string>
#include <vector>

#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/KnownArchiveSink.h"
#include "tests/unit/TestDrive.h"
#include "tests/unit/TestIni.h"

namespace tb {

class FakeArchives : public IKnownArchiveSink {
public:
    int AddArchive(const std::string& path) override {
        offered.push_back(path);
        changed = true;
        if (onAdd) onAdd(path);
        return 1;
    }
    bool ArchiveListChanged() const override { return changed; }
    int RefreshArchiveList() override {
        ++refreshes;
        changed = false;
        return int(offered.size());
    }

    std::vector<std::string> offered;
    bool changed = false;
    int refreshes = 0;
    std::function<void(const std::string&)> onAdd;
};

// One second, in file time steps.
constexpr FileTicks kSecond = 10000000ULL;

// The settings file of a change list test: a fixed "LastArchiveTime" and the
// change record list given as paths.
inline std::string ChangeListIni(const std::vector<std::string>& changes) {
    std::string text = "[Settings]\r\nLastArchiveTime=1,6,2025,12,00,00\r\n[Changes]\r\n";
    for (size_t i = 0; i < changes.size(); ++i)
        text += "Dir" + std::to_string(i + 1) + "=" + changes[i] + "\r\n";
    return text;
}

// Files and folders on X: stamped older or newer than the last archive time.
class StampedTree {
public:
    StampedTree() : m_last(ReadLastArchiveTime()) {}
    FileTicks Last() const { return m_last; }

    void File(const std::string& relative, FileTicks time) {
        TestDrive::Write(relative);
        m_stamps.emplace_back(relative, time);
    }
    void NewFile(const std::string& relative) { File(relative, m_last + 10 * kSecond); }
    void OldFile(const std::string& relative) { File(relative, m_last - 10 * kSecond); }
    // Makes the folder; it is stamped newer or older, its ancestors made here
    // older unless stamped otherwise already.
    void Folder(const std::string& relative, bool newer) {
        TestDrive::MakeDirs(relative);
        for (size_t at = relative.find('\\'); at != std::string::npos; at = relative.find('\\', at + 1))
            SetFolder(relative.substr(0, at), m_last - 10 * kSecond, false);
        SetFolder(relative, newer ? m_last + 10 * kSecond : m_last - 10 * kSecond, true);
    }
    // Sets every stamp once the whole tree is made (making an entry changes
    // its folder's time; setting a time does not).
    void Stamp() {
        for (const auto& [path, time] : m_stamps) TestDrive::SetWriteTime(path, time);
        for (const auto& [path, time] : m_folders) TestDrive::SetWriteTime(path, time);
    }

private:
    void SetFolder(const std::string& relative, FileTicks time, bool replace) {
        for (auto& [path, stamp] : m_folders) {
            if (path != relative) continue;
            if (replace) stamp = time;
            return;
        }
        m_folders.emplace_back(relative, time);
    }

    FileTicks m_last;
    std::vector<std::pair<std::string, FileTicks>> m_stamps;
    std::vector<std::pair<std::string, FileTicks>> m_folders;
};

// The settings a change list test builds with (silent by default: no progress window).
struct BuildSettings : SettingsRecord {
    explicit BuildSettings(int prompts = kPromptSilent) { Prompts = prompts; }
};

}  // namespace tb
