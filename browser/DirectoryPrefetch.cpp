#include "browser/DirectoryPrefetch.h"

#include <utility>

#include "framework/Guard.h"
#include "framework/GuardedThread.h"
#include "zip/ZipEngine.h"

namespace tb {

namespace {
void CountEntries(const std::string& archive) {
    CZipEngine engine(nullptr);
    engine.CountEntries(archive);
}
}  // namespace

CDirectoryPrefetch::CDirectoryPrefetch(Reader reader) : m_reader(reader ? std::move(reader) : Reader(CountEntries)) {}

CDirectoryPrefetch::~CDirectoryPrefetch() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
        m_waiting.clear();
    }
    m_changed.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void CDirectoryPrefetch::Request(const std::string& archive) {
    if (archive.empty()) return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_quit) return;
        m_waiting = archive;
        if (!m_thread.joinable())
            m_thread = GuardedThread("directory prefetch", [this] { ThreadMain(); }, [this] {
                std::lock_guard<std::mutex> ended(m_lock);
                m_reading = false;
                m_waiting.clear();
                m_changed.notify_all();
            });
    }
    m_changed.notify_all();
}

void CDirectoryPrefetch::WaitIdle() {
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [&] { return !m_reading && m_waiting.empty(); });
}

void CDirectoryPrefetch::ThreadMain() {
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_changed.wait(lock, [&] { return m_quit || !m_waiting.empty(); });
        if (m_quit) break;
        const std::string archive = std::move(m_waiting);
        m_waiting.clear();
        m_reading = true;
        lock.unlock();
        Guarded("directory prefetch", 0, [&] {
            m_reader(archive);
            return 0;
        });
        lock.lock();
        m_reading = false;
        m_changed.notify_all();
    }
}

}  // namespace tb
