#pragma once
// Watches for message boxes of this process that a test did not expect (the
// ZIP library shows its own): each one is noted and answered No or Cancel, so
// a fault makes the test fail at once instead of waiting for a user forever.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tb {

class MessageBoxWatch {
public:
    MessageBoxWatch() : m_thread([this] { Watch(); }) {}
    ~MessageBoxWatch() {
        m_stop = true;
        m_thread.join();
    }
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    std::vector<std::string> Texts() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }

private:
    void Watch() {
        while (!m_stop) {
            ::EnumWindows(&Found, LPARAM(this));
            ::Sleep(50);
        }
    }
    static BOOL CALLBACK Found(HWND hwnd, LPARAM self) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(hwnd, &process);
        char className[16] = {};
        ::GetClassNameA(hwnd, className, sizeof className);
        HWND text = ::GetDlgItem(hwnd, 0xFFFF);  // a message box's text
        if (process != ::GetCurrentProcessId() || std::string(className) != "#32770" || !text ||
            !::IsWindowVisible(hwnd))
            return TRUE;
        auto* watch = reinterpret_cast<MessageBoxWatch*>(self);
        char buffer[1024] = {};
        ::GetWindowTextA(text, buffer, sizeof buffer);
        {
            std::lock_guard<std::mutex> lock(watch->m_mutex);
            if (watch->m_answered.empty() || watch->m_answered.back() != hwnd) {
                watch->m_answered.push_back(hwnd);
                watch->m_texts.push_back(buffer);
            }
        }
        ::PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageA(hwnd, WM_COMMAND, IDNO, 0);
        return TRUE;
    }

    mutable std::mutex m_mutex;
    std::vector<std::string> m_texts;
    std::vector<HWND> m_answered;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace tb
