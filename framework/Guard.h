#pragma once
// No C++ exception may cross into Windows: every callback the system calls runs
// its body through Guarded, which turns an escaping exception into `onError`.

#include <windows.h>

namespace tb {

void ReportUnexpectedException(const char* where);

template <typename Result, typename Body>
Result Guarded(const char* where, Result onError, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        ReportUnexpectedException(where);
        return onError;
    }
}

}  // namespace tb
