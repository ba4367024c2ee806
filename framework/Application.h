#pragma once
// CApplication: the one application object of the process. Run() calls
// InitInstance, runs the message loop while it returned TRUE, and ends with
// ExitInstance. It knows the main window (accelerators are translated for it),
// the modeless dialogs (their keyboard handling) and the application-level
// commands, which are the last stop of command routing.

#include <windows.h>

#include <string>
#include <vector>

#include "framework/MessageMap.h"

namespace tb {

class CApplication {
public:
    CApplication();
    virtual ~CApplication();
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    static CApplication* Instance() { return s_instance; }
    static HWND MainWindowHandle();
    static void AddModeless(HWND dialog);
    static void RemoveModeless(HWND dialog);

    int Run();

    HWND MainWindow() const { return m_mainWindow; }
    void SetMainWindow(HWND hwnd) { m_mainWindow = hwnd; }
    void SetAccelerators(HACCEL accelerators) { m_accelerators = accelerators; }
    bool RouteCommand(WPARAM wParam, LPARAM lParam) { return m_map.RouteCommand(wParam, lParam); }

    // The command line split the way Windows programs see it, without the
    // program's own name; texts in the active code page.
    static std::vector<std::string> CommandLineArguments();

protected:
    virtual BOOL InitInstance() = 0;
    virtual int ExitInstance() { return m_exitCode; }
    CMessageMap& Map() { return m_map; }

private:
    static CApplication* s_instance;
    CMessageMap m_map;
    HWND m_mainWindow = nullptr;
    HACCEL m_accelerators = nullptr;
    std::vector<HWND> m_modeless;
    int m_exitCode = 0;
};

}  // namespace tb
