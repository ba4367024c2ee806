#pragma once
// CDirectoryPrefetch: reads an archive's central directory on a thread of its
// own while a selection waits out its 200 ms, so that the listing that follows
// finds it read (the ZIP library keeps the directories it read last, and the
// count of the listing then only checks that the file is unchanged). One
// archive at a time: a request made while a read runs replaces any request
// still waiting. The thread starts with the first request.

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tb {

class CDirectoryPrefetch {
public:
    using Reader = std::function<void(const std::string& archive)>;
    // The reader runs on the prefetch thread; by default it counts the
    // archive's entries through a ZIP engine of its own.
    explicit CDirectoryPrefetch(Reader reader = nullptr);
    // Waits for a read in progress; a waiting request is dropped.
    ~CDirectoryPrefetch();
    CDirectoryPrefetch(const CDirectoryPrefetch&) = delete;
    CDirectoryPrefetch& operator=(const CDirectoryPrefetch&) = delete;

    void Request(const std::string& archive);
    // Returns once nothing is read or waiting.
    void WaitIdle();

private:
    void ThreadMain();

    Reader m_reader;
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::string m_waiting;  // empty: nothing waits
    bool m_reading = false;
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace tb
