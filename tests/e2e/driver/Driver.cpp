// tbdriver: operates the real Tallybox windows from outside, for the
// end-to-end scenarios. It reads one command per line on standard input, its
// arguments separated by tabs, and answers one line on standard output:
// "ok <value>" or "err <reason>".
//
//   start <args...>                  start Tallybox.exe (beside this program) -> process id
//   exec-user <command line>         the same, as a user who is not an administrator (this
//                                    program's token with the Administrators group disabled)
//   run <args...>                    start it and wait for it to end -> exit code
//   exec <command line>              start any program as Windows starts a shortcut or a Run
//                                    entry: the program named first (in quotes when it has
//                                    blanks), in its own folder -> process id
//   wait-exit <pid> <ms>             wait for a started process to end -> exit code
//   kill <pid>                       end a process at once, as a crash or the task
//                                    manager would (TerminateProcess), and wait for its end
//   find <class|*> <title|*>         first visible-or-hidden top-level window -> hwnd
//   wait <class|*> <title|*> <ms>    the same, waiting for it to appear
//   wait-gone <hwnd> <ms>            wait until a window no longer exists
//   command <hwnd> <id>              post WM_COMMAND(id) as a menu command
//   run-command <hwnd> <id> [ms]     send WM_COMMAND(id) and wait until its handler has
//                                    returned (120 s at most)
//   wait-event <name> <ms>           wait until the named event exists and is set
//   paint <hwnd>                     have the window and its children repaint now
//   click <hwnd> <id>                post a button click of control id
//   press <hwnd> <id>                post BM_CLICK to a control: a real click, which
//                                    also ticks check boxes and selects radio buttons
//   send <hwnd> <msg> <w> <l>        SendMessage -> result
//   drag <hwnd> <x1> <y1> <x2> <y2> drag with the left button, as the user's mouse does, from one
//                                    client point of the window to another
//   text <hwnd> [id]                 window text (of a control when id is given)
//   settext <hwnd> <id> <text...>    set a control's text
//   lines <hwnd> <id>                lines of a list box, separated by \x1f
//   selected <hwnd> <id>             selected line indexes of a list box (comma-separated)
//   select <hwnd> <id> <index>       select one line of a list box and notify its dialog
//   select-timed <hwnd> <id> <index> <list id> <lines> <ms>
//                                    select as above, then watch a list box of the same
//                                    dialog: seconds until it holds more than one line and
//                                    until it holds <lines> -> "first whole" (benchmarks)
//   checked <hwnd> <id>              check state of a button
//   enabled <hwnd> [id]              1 or 0
//   visible <hwnd> [id]              1 or 0
//   rect <hwnd>                      left,top,right,bottom of a window
//   style <hwnd> [id]                window style and extended style, in hex
//   foreground                       the foreground window
//   children <hwnd>                  child window ids, classes and texts
//   descendant <hwnd> <id>           the first window below hwnd with that control id -> hwnd
//   parent <hwnd>                    the parent window -> hwnd
//   lock <path>                      open a file with no sharing, as a program holding it would
//   unlock                           close the files opened by lock
//   windows                          top-level windows: hwnd, class, title, visible
//   msgbox                           hwnd and text of the first message box on screen
//   quit
//
// Numbers may be decimal or 0x-hex. Texts are read and written as UTF-16 and
// converted to UTF-8 here.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

// Selects one line of a list box of a dialog and tells the dialog, as a click does.
void SelectLine(HWND dialog, int id, long long index) {
    HWND list = ::GetDlgItem(dialog, id);
    LONG style = ::GetWindowLongW(list, GWL_STYLE);
    if (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL))
        ::SendMessageW(list, LB_SETSEL, TRUE, LPARAM(index));
    else
        ::SendMessageW(list, LB_SETCURSEL, WPARAM(index), 0);
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), LPARAM(list));
}

// Line breaks and tabs are escaped so a reply stays on one line.
std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (c == '\t') out += "\\t";
        else if (c == '\\') out += "\\\\";
        else out += c;
    }
    return out;
}

std::string Unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

long long Number(const std::string& text) { return std::strtoll(text.c_str(), nullptr, 0); }
HWND Window(const std::string& text) { return reinterpret_cast<HWND>(static_cast<intptr_t>(Number(text))); }

std::string Hex(const void* value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(value)));
    return buffer;
}

std::string WindowText(HWND hwnd) {
    LRESULT length = 0;
    if (!::SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, reinterpret_cast<PDWORD_PTR>(&length)))
        return {};
    std::wstring text(size_t(length) + 1, L'\0');
    LRESULT got = 0;
    ::SendMessageTimeoutW(hwnd, WM_GETTEXT, WPARAM(length + 1), LPARAM(text.data()), SMTO_ABORTIFHUNG, 5000,
                          reinterpret_cast<PDWORD_PTR>(&got));
    text.resize(size_t(got));
    return Narrow(text);
}

std::string ClassName(HWND hwnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(hwnd, name, 256);
    return Narrow(name);
}

struct FindRequest {
    std::string className;
    std::string title;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
    auto* request = reinterpret_cast<FindRequest*>(lParam);
    if (request->className != "*" && ClassName(hwnd) != request->className) return TRUE;
    if (request->title != "*" && WindowText(hwnd).find(request->title) == std::string::npos) return TRUE;
    request->found = hwnd;
    return FALSE;
}

HWND FindTop(const std::string& className, const std::string& title) {
    FindRequest request{className, title};
    ::EnumWindows(&FindTopLevel, LPARAM(&request));
    return request.found;
}

BOOL CALLBACK ListTopLevel(HWND hwnd, LPARAM lParam) {
    auto* out = reinterpret_cast<std::string*>(lParam);
    *out += Hex(hwnd) + "|" + ClassName(hwnd) + "|" + Escape(WindowText(hwnd)) + "|" +
            (::IsWindowVisible(hwnd) ? "1" : "0") + "\x1f";
    return TRUE;
}

BOOL CALLBACK ListChildren(HWND hwnd, LPARAM lParam) {
    auto* out = reinterpret_cast<std::string*>(lParam);
    *out += std::to_string(::GetDlgCtrlID(hwnd)) + "|" + ClassName(hwnd) + "|" + Escape(WindowText(hwnd)) + "|" +
            (::IsWindowVisible(hwnd) ? "1" : "0") + "\x1f";
    return TRUE;
}

std::vector<std::string> Words(const std::string& line) {
    std::vector<std::string> words;
    size_t start = 0;
    for (;;) {
        size_t tab = line.find('\t', start);
        words.push_back(Unescape(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start)));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    return words;
}

struct DescendantSearch {
    int id;
    HWND found;
};

BOOL CALLBACK FindDescendant(HWND hwnd, LPARAM lParam) {
    auto* search = reinterpret_cast<DescendantSearch*>(lParam);
    if (::GetDlgCtrlID(hwnd) != search->id) return TRUE;
    search->found = hwnd;
    return FALSE;
}

std::vector<HANDLE> g_processes;
std::vector<HANDLE> g_locked;

HANDLE ProcessById(DWORD id) {
    for (HANDLE h : g_processes)
        if (::GetProcessId(h) == id) return h;
    return nullptr;
}

std::string ProgramPath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder = folder.substr(0, folder.find_last_of(L'\\') + 1);
    const char* dist = std::getenv("TB_DIST_WIN");
    if (dist && *dist) return std::string(dist) + "\\Tallybox.exe";
    return Narrow(folder) + "Tallybox.exe";
}

// The program a command line names first: the quoted text, or the text up to
// the first blank.
std::string ProgramOf(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') return commandLine.substr(1, commandLine.find('"', 1) - 1);
    return commandLine.substr(0, commandLine.find(' '));
}

// This program's token with the Administrators group disabled (deny-only):
// what a user who is not an administrator runs with. Null on failure.
HANDLE PlainUserToken() {
    HANDLE own = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own))
        return nullptr;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof administrators;
    HANDLE limited = nullptr;
    if (::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size)) {
        SID_AND_ATTRIBUTES disable{administrators, 0};
        if (!::CreateRestrictedToken(own, 0, 1, &disable, 0, nullptr, 0, nullptr, &limited)) limited = nullptr;
    }
    ::CloseHandle(own);
    return limited;
}

std::string StartCommandLine(const std::string& line, HANDLE* process, bool plainUser = false) {
    const std::string program = ProgramOf(line);
    std::wstring commandLine = Widen(line);
    std::wstring folder = Widen(program.substr(0, program.find_last_of('\\')));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (plainUser) {
        HANDLE token = PlainUserToken();
        if (!token) return "err no restricted token " + std::to_string(::GetLastError());
        const BOOL started = ::CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                                    nullptr, folder.c_str(), &si, &pi);
        const DWORD error = ::GetLastError();
        ::CloseHandle(token);
        if (!started) return "err CreateProcessAsUser failed " + std::to_string(error);
    } else if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                                 &si, &pi)) {
        return "err CreateProcess failed " + std::to_string(::GetLastError());
    }
    ::CloseHandle(pi.hThread);
    g_processes.push_back(pi.hProcess);
    *process = pi.hProcess;
    return "ok " + std::to_string(pi.dwProcessId);
}

std::string Start(const std::string& arguments, HANDLE* process) {
    return StartCommandLine("\"" + ProgramPath() + "\" " + arguments, process);
}

std::string Handle(const std::string& line) {
    std::vector<std::string> w = Words(line);
    if (w.empty()) return "err empty";
    const std::string& c = w[0];
    auto need = [&](size_t n) { return w.size() >= n; };

    if (c == "setenv" && need(2)) {
        // Programs started from now on get the variable (an empty value removes it).
        const std::string value = need(3) ? w[2] : std::string();
        ::SetEnvironmentVariableA(w[1].c_str(), value.empty() ? nullptr : value.c_str());
        return "ok";
    }
    if (c == "start") {
        HANDLE process = nullptr;
        return Start(need(2) ? w[1] : std::string(), &process);
    }
    if ((c == "exec" || c == "exec-user") && need(2)) {
        HANDLE process = nullptr;
        return StartCommandLine(w[1], &process, c == "exec-user");
    }
    if (c == "run") {
        HANDLE process = nullptr;
        std::string started = Start(need(2) ? w[1] : std::string(), &process);
        if (started.rfind("ok", 0) != 0) return started;
        if (::WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) return "err timeout";
        DWORD code = 0;
        ::GetExitCodeProcess(process, &code);
        return "ok " + std::to_string(code);
    }
    if (c == "wait-exit" && need(3)) {
        HANDLE process = ProcessById(DWORD(Number(w[1])));
        if (!process) return "err unknown process";
        if (::WaitForSingleObject(process, DWORD(Number(w[2]))) != WAIT_OBJECT_0) return "err timeout";
        DWORD code = 0;
        ::GetExitCodeProcess(process, &code);
        return "ok " + std::to_string(code);
    }
    if (c == "kill" && need(2)) {
        // Any process of the prefix: the one that started it may be busy waiting on it.
        HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, DWORD(Number(w[1])));
        if (!process) return "err open " + std::to_string(::GetLastError());
        const BOOL ended = ::TerminateProcess(process, 99);
        const DWORD error = ::GetLastError();
        const bool gone = ended && ::WaitForSingleObject(process, 20000) == WAIT_OBJECT_0;
        ::CloseHandle(process);
        if (!ended) return "err terminate " + std::to_string(error);
        return gone ? "ok" : "err timeout";
    }
    if (c == "find" && need(3)) {
        HWND hwnd = FindTop(w[1], w[2]);
        return hwnd ? "ok " + Hex(hwnd) : "err not found";
    }
    if (c == "wait" && need(4)) {
        DWORD limit = DWORD(Number(w[3]));
        const std::string& title = w[2];
        DWORD start = ::GetTickCount();
        for (;;) {
            HWND hwnd = FindTop(w[1], title);
            if (hwnd) return "ok " + Hex(hwnd);
            if (::GetTickCount() - start > limit) return "err timeout";
            ::Sleep(50);
        }
    }
    if (c == "wait-gone" && need(3)) {
        HWND hwnd = Window(w[1]);
        DWORD start = ::GetTickCount();
        while (::IsWindow(hwnd)) {
            if (::GetTickCount() - start > DWORD(Number(w[2]))) return "err timeout";
            ::Sleep(50);
        }
        return "ok";
    }
    if (c == "command" && need(3)) {
        return ::PostMessageW(Window(w[1]), WM_COMMAND, MAKEWPARAM(Number(w[2]), 0), 0) ? "ok" : "err post";
    }
    if (c == "run-command" && need(3)) {
        const DWORD limit = need(4) ? DWORD(Number(w[3])) : 120000;
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(Window(w[1]), WM_COMMAND, MAKEWPARAM(Number(w[2]), 0), 0, SMTO_NORMAL, limit,
                                   &result))
            return "err timeout";
        return "ok";
    }
    if (c == "wait-event" && need(3)) {
        const DWORD limit = DWORD(Number(w[2]));
        const DWORD start = ::GetTickCount();
        HANDLE event = nullptr;
        while (!(event = ::OpenEventA(SYNCHRONIZE, FALSE, w[1].c_str()))) {
            if (::GetTickCount() - start > limit) return "err no such event";
            ::Sleep(50);
        }
        const DWORD spent = ::GetTickCount() - start;
        const DWORD waited = ::WaitForSingleObject(event, spent < limit ? limit - spent : 0);
        ::CloseHandle(event);
        return waited == WAIT_OBJECT_0 ? "ok" : "err timeout";
    }
    if (c == "set-event" && need(2)) {
        HANDLE event = ::OpenEventA(EVENT_MODIFY_STATE, FALSE, w[1].c_str());
        if (!event) return "err no such event";
        const BOOL set = ::SetEvent(event);
        ::CloseHandle(event);
        return set ? "ok" : "err set";
    }
    if (c == "paint" && need(2)) {
        const UINT flags = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;
        return ::RedrawWindow(Window(w[1]), nullptr, nullptr, flags) ? "ok" : "err redraw";
    }
    if (c == "click" && need(3)) {
        HWND dialog = Window(w[1]);
        int id = int(Number(w[2]));
        HWND control = ::GetDlgItem(dialog, id);
        return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(control)) ? "ok" : "err post";
    }
    if (c == "press" && need(3)) {
        HWND control = ::GetDlgItem(Window(w[1]), int(Number(w[2])));
        if (!control) return "err no control";
        return ::PostMessageW(control, BM_CLICK, 0, 0) ? "ok" : "err post";
    }
    if ((c == "send" || c == "post") && need(5)) {
        HWND hwnd = Window(w[1]);
        UINT msg = UINT(Number(w[2]));
        WPARAM wp = WPARAM(Number(w[3]));
        LPARAM lp = LPARAM(Number(w[4]));
        if (c == "post") return ::PostMessageW(hwnd, msg, wp, lp) ? "ok" : "err post";
        DWORD_PTR result = 0;
        if (!::SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, 30000, &result)) return "err timeout";
        return "ok " + std::to_string(static_cast<long long>(static_cast<LRESULT>(result)));
    }
    if (c == "drag" && need(6)) {
        HWND hwnd = Window(w[1]);
        POINT from{LONG(Number(w[2])), LONG(Number(w[3]))};
        POINT to{LONG(Number(w[4])), LONG(Number(w[5]))};
        ::ClientToScreen(hwnd, &from);
        ::ClientToScreen(hwnd, &to);
        auto at = [](POINT p, DWORD flags) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            // Absolute positions run from 0 to 65535 across the screen.
            input.mi.dx = LONG((p.x * 65535 + ::GetSystemMetrics(SM_CXSCREEN) / 2) / (::GetSystemMetrics(SM_CXSCREEN) - 1));
            input.mi.dy = LONG((p.y * 65535 + ::GetSystemMetrics(SM_CYSCREEN) / 2) / (::GetSystemMetrics(SM_CYSCREEN) - 1));
            input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            return input;
        };
        INPUT inputs[] = {at(from, 0), at(from, MOUSEEVENTF_LEFTDOWN), at(to, 0), at(to, MOUSEEVENTF_LEFTUP)};
        return ::SendInput(4, inputs, sizeof(INPUT)) == 4 ? "ok" : "err input";
    }
    if (c == "text" && need(2)) {
        HWND hwnd = Window(w[1]);
        if (w.size() >= 3) hwnd = ::GetDlgItem(hwnd, int(Number(w[2])));
        if (!hwnd) return "err no window";
        return "ok " + Escape(WindowText(hwnd));
    }
    if (c == "settext" && need(3)) {
        HWND control = ::GetDlgItem(Window(w[1]), int(Number(w[2])));
        std::wstring text = Widen(need(4) ? w[3] : std::string());
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(control, WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_NORMAL, 5000, &result);
        return "ok";
    }
    if (c == "lines" && need(3)) {
        HWND list = ::GetDlgItem(Window(w[1]), int(Number(w[2])));
        if (!list) return "err no list";
        LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        std::string out;
        for (LRESULT i = 0; i < count; ++i) {
            LRESULT length = ::SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0);
            // Generous: a cross-process LB_GETTEXT may copy more than it announced.
            std::wstring text(size_t(length > 0 ? length : 0) * 2 + 16, L'\0');
            ::SendMessageW(list, LB_GETTEXT, WPARAM(i), LPARAM(text.data()));
            text.resize(wcslen(text.c_str()));
            if (i) out += "\x1f";
            out += Escape(Narrow(text));
        }
        return "ok " + std::to_string(count) + " " + out;
    }
    if (c == "selected" && need(3)) {
        HWND list = ::GetDlgItem(Window(w[1]), int(Number(w[2])));
        LRESULT count = ::SendMessageW(list, LB_GETCOUNT, 0, 0);
        std::string out;
        for (LRESULT i = 0; i < count; ++i) {
            if (::SendMessageW(list, LB_GETSEL, WPARAM(i), 0) > 0) out += (out.empty() ? "" : ",") + std::to_string(i);
        }
        return "ok " + out;
    }
    if (c == "select" && need(4)) {
        SelectLine(Window(w[1]), int(Number(w[2])), Number(w[3]));
        return "ok";
    }
    if (c == "select-timed" && need(7)) {
        HWND dialog = Window(w[1]);
        HWND watched = ::GetDlgItem(dialog, int(Number(w[4])));
        const LRESULT whole = LRESULT(Number(w[5]));
        const double limit = double(Number(w[6])) / 1000.0;
        LARGE_INTEGER frequency, start, now;
        ::QueryPerformanceFrequency(&frequency);
        ::QueryPerformanceCounter(&start);
        SelectLine(dialog, int(Number(w[2])), Number(w[3]));
        double first = -1;
        for (;;) {
            DWORD_PTR lines = 0;
            ::SendMessageTimeoutW(watched, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 60000, &lines);
            ::QueryPerformanceCounter(&now);
            const double seconds = double(now.QuadPart - start.QuadPart) / double(frequency.QuadPart);
            if (first < 0 && LRESULT(lines) > 1) first = seconds;
            if (LRESULT(lines) >= whole) {
                char reply[64];
                std::snprintf(reply, sizeof reply, "ok %.4f %.4f", first, seconds);
                return reply;
            }
            if (seconds > limit) return "err timeout";
            ::Sleep(1);
        }
    }
    if (c == "checked" && need(3)) {
        LRESULT state = ::SendMessageW(::GetDlgItem(Window(w[1]), int(Number(w[2]))), BM_GETCHECK, 0, 0);
        return "ok " + std::to_string(state);
    }
    if ((c == "enabled" || c == "visible") && need(2)) {
        HWND hwnd = Window(w[1]);
        if (w.size() >= 3) hwnd = ::GetDlgItem(hwnd, int(Number(w[2])));
        if (!hwnd) return "err no window";
        bool on = c == "enabled" ? ::IsWindowEnabled(hwnd) : ::IsWindowVisible(hwnd);
        return std::string("ok ") + (on ? "1" : "0");
    }
    if (c == "style" && need(2)) {
        HWND hwnd = Window(w[1]);
        if (w.size() >= 3) hwnd = ::GetDlgItem(hwnd, int(Number(w[2])));
        if (!hwnd) return "err no window";
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "0x%lx 0x%lx", static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_STYLE)),
                      static_cast<unsigned long>(::GetWindowLongW(hwnd, GWL_EXSTYLE)));
        return std::string("ok ") + buffer;
    }
    if (c == "rect" && need(2)) {
        RECT r{};
        if (!::GetWindowRect(Window(w[1]), &r)) return "err no window";
        return "ok " + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }
    if (c == "foreground") return "ok " + Hex(::GetForegroundWindow());
    if (c == "children" && need(2)) {
        std::string out;
        ::EnumChildWindows(Window(w[1]), &ListChildren, LPARAM(&out));
        return "ok " + out;
    }
    if (c == "descendant" && need(3)) {
        DescendantSearch search{int(Number(w[2])), nullptr};
        ::EnumChildWindows(Window(w[1]), &FindDescendant, LPARAM(&search));
        return search.found ? "ok " + Hex(search.found) : "err not found";
    }
    if (c == "parent" && need(2)) {
        HWND parent = ::GetParent(Window(w[1]));
        return parent ? "ok " + Hex(parent) : "err none";
    }
    if (c == "lock" && need(2)) {
        HANDLE file = ::CreateFileW(Widen(w[1]).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return "err open " + std::to_string(::GetLastError());
        g_locked.push_back(file);
        return "ok";
    }
    if (c == "unlock") {
        for (HANDLE file : g_locked) ::CloseHandle(file);
        g_locked.clear();
        return "ok";
    }
    if (c == "windows") {
        std::string out;
        ::EnumWindows(&ListTopLevel, LPARAM(&out));
        return "ok " + out;
    }
    if (c == "msgbox") {
        // A message box is a dialog whose static text has the id 0xFFFF.
        HWND hwnd = nullptr;
        while ((hwnd = ::FindWindowExW(nullptr, hwnd, L"#32770", nullptr)) != nullptr) {
            HWND text = ::GetDlgItem(hwnd, 0xFFFF);
            if (text && ::IsWindowVisible(hwnd)) return "ok " + Hex(hwnd) + " " + Escape(WindowText(text));
        }
        return "err none";
    }
    return "err unknown command " + c;
}

}  // namespace

int main() {
    char buffer[8192];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line == "quit") break;
        std::string reply = Handle(line);
        std::fputs(reply.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    for (HANDLE h : g_processes) ::CloseHandle(h);
    return 0;
}
