#pragma once
// The part of the Settings record that the two change tracking threads use,
// held as a private copy. The user-interface thread takes a fresh copy from
// the live record whenever it hands the threads work (it may be assigning the
// record's strings at any other time); a thread copies it again, under the
// same lock, when a job or a watch period starts.

#include <mutex>
#include <string>

#include "common/Settings.h"

namespace tb {

struct ChangeTrackingSettings {
    int Drives = 0;
    std::string CustomDriveList;
    std::string ExcludeDirList;
    std::string DefUnZipPath;
    // What the reconciliation walk needs to know which files the run would
    // take and where the archives are.
    int General = 0;
    int Sizelimit = 0;
    std::string FileTypes;
    std::string ExcludeTypes;
    std::string ExcludeFiles;
    std::string LocationDir;
    std::string LocationDirAlt;

    static ChangeTrackingSettings From(const SettingsRecord& record) {
        ChangeTrackingSettings s;
        s.Drives = record.Drives;
        s.CustomDriveList = record.CustomDriveList;
        s.ExcludeDirList = record.ExcludeDirList;
        s.DefUnZipPath = record.DefUnZipPath;
        s.General = record.General;
        s.Sizelimit = record.Sizelimit;
        s.FileTypes = record.FileTypes;
        s.ExcludeTypes = record.ExcludeTypes;
        s.ExcludeFiles = record.ExcludeFiles;
        s.LocationDir = record.LocationDir;
        s.LocationDirAlt = record.LocationDirAlt;
        return s;
    }
};

class CSettingsSnapshot {
public:
    // User-interface thread.
    void Take(const SettingsRecord& record) {
        ChangeTrackingSettings fresh = ChangeTrackingSettings::From(record);
        std::lock_guard<std::mutex> lock(m_lock);
        m_settings = std::move(fresh);
    }
    // Either thread.
    ChangeTrackingSettings Copy() const {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_settings;
    }

private:
    mutable std::mutex m_lock;
    ChangeTrackingSettings m_settings;
};

}  // namespace tb
