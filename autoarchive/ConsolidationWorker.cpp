#include "autoarchive/ConsolidationWorker.h"

#include "common/Profile.h"
#include "framework/GuardedThread.h"
#include "framework/Text.h"

namespace tb {

namespace {
constexpr char kConsolidatedOnKey[] = "ConsolidatedOn";
}  // namespace

std::string ConsolidationDayText(const std::tm& local) {
    return Format("%02d,%02d,%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
}

bool CConsolidationWorker::StartIfDue(const SettingsRecord& settings, time_t now) {
    if (!settings.ConsolidateArchives || m_running) return false;
    std::tm today{};
    if (const std::tm* local = std::localtime(&now)) today = *local;
    else return false;
    if (ReadIniString(kSettingsSection, kConsolidatedOnKey) == ConsolidationDayText(today)) return false;
    std::vector<std::string> folders;
    for (const std::string& folder : {settings.LocationDir, settings.LocationDirAlt})
        if (!folder.empty() && (folders.empty() || ToUpper(folders[0]) != ToUpper(folder))) folders.push_back(folder);
    if (m_thread.joinable()) m_thread.join();  // the last pass ended
    m_stop = false;
    m_running = true;
    const int days = settings.ConsolidateDays;
    m_thread = GuardedThread("folding of old archives", [this, folders, today, days] { Pass(folders, today, days); },
                             [this] { Failed(); });
    return true;
}

void CConsolidationWorker::Pass(std::vector<std::string> folders, std::tm today, int days) {
    ConsolidationResult result;
    for (const std::string& folder : folders) ConsolidateFolder(folder, today, days, m_stop, result);
    // A pass that was stopped is made again; one that ended is not repeated today.
    if (!m_stop) WriteIniString(kSettingsSection, kConsolidatedOnKey, ConsolidationDayText(today));
    {
        std::lock_guard<std::mutex> lock(m_resultLock);
        m_last = std::move(result);
    }
    m_running = false;
}

void CConsolidationWorker::Failed() {
    // The pass ended early: it is made again on the next occasion.
    {
        std::lock_guard<std::mutex> lock(m_resultLock);
        m_last = ConsolidationResult();
        m_last.problems.push_back("The folding of old archives stopped on an unexpected error; it is tried again later");
    }
    m_running = false;
}

void CConsolidationWorker::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

ConsolidationResult CConsolidationWorker::LastResult() const {
    std::lock_guard<std::mutex> lock(m_resultLock);
    return m_last;
}

}  // namespace tb
