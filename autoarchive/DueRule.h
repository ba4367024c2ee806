#pragma once
// When a file is due for the automatic archive, decided in one place for the
// change list and for the reconciliation walk.
//
// A file is due when it was written after the last archive, or when it is of
// a chosen type and the archives do not hold it under its path with its size
// and time (a file renamed, moved in or copied with its old time, or one the
// change monitor never reported). The second half counts only for files
// written after the moment change tracking began (so a first start does not
// take every old file of the drive), and not for files the user declined
// ("Exit and Reset Pending List") while they stay as they were declined, nor
// for files above the size limit (the run would leave them out again).

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "autoarchive/ArchivedVersions.h"
#include "common/Clock.h"
#include "common/Settings.h"

namespace tb {

// "TrackedSince" of section "Settings": the last archive time change tracking
// began with, written once (in the form of "LastArchiveTime") and kept.
// Returns the moment; writes it first when it is missing.
FileTicks EnsureTrackedSince();

// A file as it is on disk.
struct FileState {
    std::string path;
    unsigned long long size = 0;
    FileTicks lastWrite = 0;
};

// Files the user chose not to archive, as they were then: declined again only
// while path, size and time stay the same. Kept in a small file beside the
// settings file, one file a line.
class CDeclinedFiles {
public:
    static std::string DefaultFile();
    explicit CDeclinedFiles(std::string file = DefaultFile()) : m_file(std::move(file)) {}

    void Load();
    // Adds the files as they are now and writes the record; lines for files
    // that changed or vanished since they were declined are dropped.
    void Decline(const std::vector<std::string>& paths);
    bool Holds(const FileState& file) const;
    size_t Size() const { return m_lines.size(); }

private:
    static std::string Line(const FileState& file);
    std::string m_file;
    std::unordered_set<std::string> m_lines;
};

// The type choice of the run: what it would archive or ask about.
struct TypeChoice {
    std::string fileTypes;
    std::string excludeTypes;
    std::string excludeFiles;  // upper-cased
    int general = 0;
    int sizelimit = 0;

    static TypeChoice From(const std::string& fileTypes, const std::string& excludeTypes,
                           const std::string& excludeFiles, int general, int sizelimit);
    // A type in FileTypes, or with Learn Mode on any type not in ExcludeTypes;
    // never a name of ExcludeFiles, nor a path without a type.
    bool Chosen(const std::string& path) const;
    bool Oversize(unsigned long long size) const;
};

class CDueRule {
public:
    CDueRule(FileTicks lastArchive, FileTicks trackedSince, bool withFolderNames, TypeChoice choice,
             std::shared_ptr<const CArchivedVersions> archived, std::shared_ptr<const CDeclinedFiles> declined);

    FileTicks LastArchive() const { return m_lastArchive; }
    bool NewerThanLastArchive(FileTicks lastWrite) const { return lastWrite > m_lastArchive; }
    // Due because the archives do not hold it as it is now.
    bool NotArchived(const FileState& file) const;
    bool Due(const FileState& file) const { return NewerThanLastArchive(file.lastWrite) || NotArchived(file); }
    // The same for the reconciliation walk, which records folders for the
    // next run: "LastArchiveTime" keeps whole seconds, so a file written in
    // the second of the last list moment may be one that run took. Such a
    // file is due for the walk only when the archives do not hold it, and a
    // folder the run has just emptied is not recorded again.
    bool DueForWalk(const FileState& file) const {
        return file.lastWrite >= m_lastArchive + kTicksPerSecond || NotArchived(file);
    }
    const TypeChoice& Choice() const { return m_choice; }

private:
    FileTicks m_lastArchive;
    FileTicks m_trackedSince;
    bool m_withFolderNames;
    TypeChoice m_choice;
    std::shared_ptr<const CArchivedVersions> m_archived;
    std::shared_ptr<const CDeclinedFiles> m_declined;
};

// The rule as it stands now: "LastArchiveTime", "TrackedSince" (written when
// missing), "PendSaveFolderNames", the declined files and what the archives
// of the two locations hold.
CDueRule CurrentDueRule(const TypeChoice& choice, const std::string& locationDir, const std::string& locationDirAlt,
                        CArchiveContents& contents);

}  // namespace tb
