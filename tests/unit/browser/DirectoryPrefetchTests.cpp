#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "browser/DirectoryPrefetch.h"
#include "doctest/doctest.h"

using namespace tb;

namespace {
// A reader that notes what it read and on which thread, and holds the read of
// "held" until it is let go.
struct Reads {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> done;
    std::vector<std::thread::id> threads;
    bool holding = false;
    bool letGo = false;

    CDirectoryPrefetch::Reader Reader() {
        return [this](const std::string& archive) {
            std::unique_lock<std::mutex> guard(lock);
            if (archive == "held") {
                holding = true;
                changed.notify_all();
                changed.wait(guard, [&] { return letGo; });
            }
            done.push_back(archive);
            threads.push_back(std::this_thread::get_id());
            changed.notify_all();
        };
    }
    void WaitHolding() {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return holding; });
    }
    void LetGo() {
        std::lock_guard<std::mutex> guard(lock);
        letGo = true;
        changed.notify_all();
    }
};
}  // namespace

TEST_CASE("the prefetch reads on a thread of its own, and only the newest of the requests made while it reads") {
    Reads reads;
    CDirectoryPrefetch prefetch(reads.Reader());
    prefetch.Request("");  // nothing to read
    prefetch.Request("held");
    reads.WaitHolding();
    prefetch.Request("b.zip");
    prefetch.Request("c.zip");
    reads.LetGo();
    prefetch.WaitIdle();
    prefetch.Request("d.zip");
    prefetch.WaitIdle();
    CHECK(reads.done == std::vector<std::string>{"held", "c.zip", "d.zip"});
    for (std::thread::id id : reads.threads) CHECK((id != std::this_thread::get_id()));
}

TEST_CASE("a prefetch that goes away lets its running read end first") {
    Reads reads;
    {
        CDirectoryPrefetch prefetch(reads.Reader());
        prefetch.Request("held");
        reads.WaitHolding();
        std::thread release([&] { reads.LetGo(); });
        release.join();
    }
    std::lock_guard<std::mutex> guard(reads.lock);
    CHECK(reads.done == std::vector<std::string>{"held"});
}
