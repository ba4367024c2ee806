#include "app/EndRequest.h"

#include <commctrl.h>

#include <cstring>

#include "res/resource.h"

namespace tb {

namespace {

struct BusySearch {
    HWND frame;
    bool found;
};

BOOL CALLBACK FindOtherWindow(HWND hwnd, LPARAM data) {
    auto* search = reinterpret_cast<BusySearch*>(data);
    if (hwnd == search->frame || !::IsWindowVisible(hwnd)) return TRUE;
    // A tool tip that happens to be up is not a reason to wait.
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof name);
    if (std::strcmp(name, TOOLTIPS_CLASSA) == 0) return TRUE;
    search->found = true;
    return FALSE;
}

}  // namespace

bool ProgramBusy(HWND frame) {
    if (!::IsWindowEnabled(frame)) return true;
    BusySearch search{frame, false};
    ::EnumThreadWindows(::GetWindowThreadProcessId(frame, nullptr), FindOtherWindow,
                        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

LRESULT HandleEndRequest(HWND frame) {
    if (ProgramBusy(frame)) return 0;
    if (::InSendMessage()) {
        ::PostMessageA(frame, WM_TB_END_PROGRAM, 0, 0);
        return 1;
    }
    ::DestroyWindow(frame);
    return 1;
}

}  // namespace tb
