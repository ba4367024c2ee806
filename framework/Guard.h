#pragma once
// No C++ exception may cross into Windows or end the program: every callback
// the system calls runs its body through Guarded, which turns an escaping
// exception into `onError`, and every thread the program starts runs its work
// through GuardedThread (framework/GuardedThread.h).

#include <windows.h>

#include <exception>

namespace tb {

// Tells the debugger's output where an exception was caught and, when it
// says, what it was.
void ReportUnexpectedException(const char* where, const char* what = nullptr);

template <typename Result, typename Body>
Result Guarded(const char* where, Result onError, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::exception& e) {
        ReportUnexpectedException(where, e.what());
    } catch (...) {
        ReportUnexpectedException(where);
    }
    return onError;
}

}  // namespace tb
