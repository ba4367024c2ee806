#include "framework/Application.h"

#include <shellapi.h>

#include <algorithm>

#include "framework/Handles.h"

namespace tb {

CApplication* CApplication::s_instance = nullptr;

CApplication::CApplication() { s_instance = this; }

CApplication::~CApplication() {
    if (s_instance == this) s_instance = nullptr;
}

HWND CApplication::MainWindowHandle() {
    return s_instance ? s_instance->m_mainWindow : nullptr;
}

void CApplication::AddModeless(HWND dialog) {
    if (s_instance) s_instance->m_modeless.push_back(dialog);
}

void CApplication::RemoveModeless(HWND dialog) {
    if (!s_instance) return;
    auto& list = s_instance->m_modeless;
    list.erase(std::remove(list.begin(), list.end(), dialog), list.end());
}

int CApplication::Run() {
    if (!InitInstance()) {
        // Whatever start-up created is taken down the normal way.
        if (m_mainWindow && ::IsWindow(m_mainWindow)) ::DestroyWindow(m_mainWindow);
        return ExitInstance();
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (m_accelerators && m_mainWindow &&
            (msg.hwnd == m_mainWindow || ::IsChild(m_mainWindow, msg.hwnd)) &&
            ::TranslateAcceleratorA(m_mainWindow, m_accelerators, &msg))
            continue;
        bool dialogMessage = false;
        for (HWND dialog : m_modeless) {
            if (::IsWindow(dialog) && ::IsDialogMessageA(dialog, &msg)) {
                dialogMessage = true;
                break;
            }
        }
        if (dialogMessage) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    m_exitCode = int(msg.wParam);
    return ExitInstance();
}

std::vector<std::string> CApplication::CommandLineArguments() {
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide) return arguments;
    for (int i = 1; i < count; ++i) {
        int bytes = ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(size_t(bytes > 0 ? bytes : 1), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, wide[i], -1, text.data(), bytes, nullptr, nullptr);
        text.resize(strnlen(text.c_str(), text.size()));
        arguments.push_back(text);
    }
    ::LocalFree(wide);
    return arguments;
}

}  // namespace tb
