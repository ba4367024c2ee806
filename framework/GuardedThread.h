#pragma once
// The top of every thread the program starts. The thread's work runs through
// Guarded: an exception that escapes it is reported and ends the thread, not
// the program (an exception leaving a thread's function calls
// std::terminate). `onFailure` then runs, also guarded, so that whoever waits
// for the thread hears that it ended (a done message posted, a running flag
// cleared).

#include <thread>
#include <utility>

#include "framework/Guard.h"

namespace tb {

template <typename Work, typename OnFailure>
std::thread GuardedThread(const char* where, Work work, OnFailure onFailure) {
    return std::thread([where, work = std::move(work), onFailure = std::move(onFailure)]() mutable noexcept {
        if (Guarded(where, false, [&] {
                work();
                return true;
            }))
            return;
        Guarded(where, false, [&] {
            onFailure();
            return true;
        });
    });
}

template <typename Work>
std::thread GuardedThread(const char* where, Work work) {
    return GuardedThread(where, std::move(work), [] {});
}

}  // namespace tb
