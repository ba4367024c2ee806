#include "framework/Subclass.h"

#include "framework/Guard.h"

namespace tb {

namespace {

struct SubclassRecord {
    WNDPROC original;
    SubclassHandler handler;
};

SubclassRecord* RecordOf(HWND control) {
    return reinterpret_cast<SubclassRecord*>(::GetWindowLongPtrA(control, GWLP_USERDATA));
}

LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    SubclassRecord* record = RecordOf(hwnd);
    if (!record) return ::DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        WNDPROC original = record->original;
        ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, LONG_PTR(original));
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        delete record;
        return ::CallWindowProcA(original, hwnd, message, wParam, lParam);
    }
    return Guarded("control procedure", LRESULT(0), [&] { return record->handler(hwnd, message, wParam, lParam); });
}

}  // namespace

bool SubclassControl(HWND control, SubclassHandler handler) {
    if (!control || RecordOf(control)) return false;
    auto* record = new SubclassRecord{nullptr, std::move(handler)};
    ::SetWindowLongPtrA(control, GWLP_USERDATA, LONG_PTR(record));
    record->original = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(control, GWLP_WNDPROC, LONG_PTR(&SubclassProc)));
    return true;
}

LRESULT CallOriginal(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    SubclassRecord* record = RecordOf(control);
    if (!record) return ::DefWindowProcA(control, message, wParam, lParam);
    return ::CallWindowProcA(record->original, control, message, wParam, lParam);
}

}  // namespace tb
