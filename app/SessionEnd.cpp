#include "app/SessionEnd.h"

#include "app/TallyboxApp.h"
#include "browser/TallyboxView.h"
#include "framework/Handles.h"

namespace tb {

namespace {
void EnableShutdownPrivilege() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.Put())) return;
    TOKEN_PRIVILEGES privileges{};
    if (!::LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    ::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr);
}
}  // namespace

bool EndWindowsSession(UINT flags) {
    if (flags & (EWX_SHUTDOWN | EWX_POWEROFF | EWX_REBOOT)) EnableShutdownPrivilege();
    return ::ExitWindowsEx(flags, 0) != FALSE;
}

void EndSessionProcessing(CTallyboxView* view) {
    if (view) view->SaveAtSessionEnd();
    if (CTallyboxApp* app = CTallyboxApp::Get()) app->ExitInstance();
}

}  // namespace tb
