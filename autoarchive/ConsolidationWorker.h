#pragma once
// Folding old day archives into month archives (history/Consolidation), off
// the user-interface thread. A pass over the archive folders starts after an
// automatic run, at start-up and after a wake, when the settings ask for it
// and no pass has completed today ("ConsolidatedOn" in section "Settings");
// it never holds up a run, and the program's end stops it at its next entry,
// leaving the day archives as they were.

#include <atomic>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/Settings.h"
#include "history/Consolidation.h"

namespace tb {

class CConsolidationWorker {
public:
    CConsolidationWorker() = default;
    ~CConsolidationWorker() { Stop(); }
    CConsolidationWorker(const CConsolidationWorker&) = delete;
    CConsolidationWorker& operator=(const CConsolidationWorker&) = delete;

    // Starts a pass over the settings' archive folders at `now` when it is
    // due; true when one started.
    bool StartIfDue(const SettingsRecord& settings, time_t now);
    // Stops a pass at its next entry and waits for its thread.
    void Stop();
    bool Running() const { return m_running; }
    // What the last pass that ended did.
    ConsolidationResult LastResult() const;

private:
    void Pass(std::vector<std::string> folders, std::tm today, int days);
    // After an exception ended a pass.
    void Failed();

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    mutable std::mutex m_resultLock;
    ConsolidationResult m_last;
};

// The day text of "ConsolidatedOn": "%d,%m,%Y".
std::string ConsolidationDayText(const std::tm& local);

}  // namespace tb
