#include "autoarchive/DueRule.h"

#include <windows.h>


#include "autoarchive/ChangeListBuilder.h"
#include "autoarchive/Classification.h"
#include "autoarchive/FileSizeLimitDlg.h"
#include "common/Profile.h"
#include "framework/Path.h"
#include "framework/Shell.h"
#include "framework/Text.h"
#include "framework/TextFile.h"

namespace tb {

namespace {

constexpr char kTrackedSinceKey[] = "TrackedSince";
constexpr time_t kOneDay = 24 * 60 * 60;

bool TicksOfArchiveTime(const std::string& text, FileTicks& ticks) {
    std::tm local{};
    if (!ParseLastArchiveTime(text, local)) return false;
    const time_t when = std::mktime(&local);
    if (when == time_t(-1)) return false;
    ticks = TicksFromTime(when);
    return true;
}

bool StateOf(const std::string& path, FileState& state) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return false;
    state.path = path;
    state.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    state.lastWrite = TicksOf(data.ftLastWriteTime);
    return true;
}

}  // namespace

FileTicks EnsureTrackedSince() {
    FileTicks since = 0;
    if (TicksOfArchiveTime(ReadIniString(kSettingsSection, kTrackedSinceKey, 200), since)) return since;
    // The first last archive time change tracking uses: the one written, or
    // what a missing one reads as (a day before now).
    std::string text = ReadLastArchiveTimeText();
    if (!TicksOfArchiveTime(text, since)) text = ArchiveTimeText(CurrentTime() - kOneDay);
    if (!TicksOfArchiveTime(text, since)) return TicksFromTime(CurrentTime() - kOneDay);
    WriteIniString(kSettingsSection, kTrackedSinceKey, text);
    return since;
}

// ---------------------------------------------------------------------------

std::string CDeclinedFiles::DefaultFile() {
    const std::string folder = WindowsFolder();
    return folder.empty() ? "VaultlyDeclined.txt" : JoinPath(folder, "VaultlyDeclined.txt");
}

std::string CDeclinedFiles::Line(const FileState& file) {
    return Format("%llu|%llu|", file.size, file.lastWrite) + ToUpper(file.path);
}

void CDeclinedFiles::Load() {
    m_lines.clear();
    for (std::string& line : ReadTextLines(m_file)) m_lines.insert(std::move(line));
}

void CDeclinedFiles::Decline(const std::vector<std::string>& paths) {
    Load();
    std::unordered_set<std::string> kept;
    // Lines of files that are no longer as they were declined have no use.
    for (const std::string& line : m_lines) {
        const size_t second = line.find('|', line.find('|') + 1);
        if (second == std::string::npos) continue;
        FileState now;
        if (StateOf(line.substr(second + 1), now) && Line(now) == line) kept.insert(line);
    }
    for (const std::string& path : paths) {
        FileState now;
        if (StateOf(path, now)) kept.insert(Line(now));
    }
    m_lines = std::move(kept);
    std::string text;
    for (const std::string& line : m_lines) text += line + "\r\n";
    ReplaceTextFile(m_file, text, ".tmp");
}

bool CDeclinedFiles::Holds(const FileState& file) const { return m_lines.count(Line(file)) != 0; }

// ---------------------------------------------------------------------------

TypeChoice TypeChoice::From(const std::string& fileTypes, const std::string& excludeTypes,
                            const std::string& excludeFiles, int general, int sizelimit) {
    TypeChoice choice;
    choice.fileTypes = fileTypes;
    choice.excludeTypes = excludeTypes;
    choice.excludeFiles = ToUpper(excludeFiles);
    choice.general = general;
    choice.sizelimit = sizelimit;
    return choice;
}

bool TypeChoice::Chosen(const std::string& path) const {
    const std::string type = ArchiveTypeOf(path);
    if (type.empty()) return false;
    const size_t slash = path.find_last_of('\\');
    const std::string name = ToUpper(slash == std::string::npos ? path : path.substr(slash + 1));
    if (excludeFiles.find(name) != std::string::npos) return false;
    if (fileTypes.find(type + ";") != std::string::npos) return true;
    if (excludeTypes.find(type + ";") != std::string::npos) return false;
    return (general & kGeneralLearnMode) != 0;
}

bool TypeChoice::Oversize(unsigned long long size) const {
    return ExceedsSizeLimit(general, sizelimit, static_cast<long long>(size));
}

// ---------------------------------------------------------------------------

CDueRule::CDueRule(FileTicks lastArchive, FileTicks trackedSince, bool withFolderNames, TypeChoice choice,
                   std::shared_ptr<const CArchivedVersions> archived, std::shared_ptr<const CDeclinedFiles> declined)
    : m_lastArchive(lastArchive),
      m_trackedSince(trackedSince),
      m_withFolderNames(withFolderNames),
      m_choice(std::move(choice)),
      m_archived(std::move(archived)),
      m_declined(std::move(declined)) {}

bool CDueRule::NotArchived(const FileState& file) const {
    if (file.lastWrite <= m_trackedSince) return false;
    if (!m_choice.Chosen(file.path) || m_choice.Oversize(file.size)) return false;
    if (m_declined && m_declined->Holds(file)) return false;
    return !(m_archived && m_archived->Holds(StoredNameKey(file.path, m_withFolderNames), file.size, file.lastWrite));
}

CDueRule CurrentDueRule(const TypeChoice& choice, const std::string& locationDir, const std::string& locationDirAlt,
                        CArchiveContents& contents) {
    const FileTicks trackedSince = EnsureTrackedSince();
    auto declined = std::make_shared<CDeclinedFiles>();
    declined->Load();
    const bool withFolderNames = ReadIniInt(kSettingsSection, "PendSaveFolderNames", 1) != 0;
    return CDueRule(ReadLastArchiveTime(), trackedSince, withFolderNames, choice,
                    contents.Snapshot(locationDir, locationDirAlt), std::move(declined));
}

}  // namespace tb
