#pragma once
// CTallyboxApp: the application object. A single instance: a second start
// hands its command line to the running copy and ends. The first start
// registers the frame's window class, creates frame and view, and shows or
// hides the window as the command line says.

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "common/Settings.h"
#include "framework/Application.h"

namespace tb {

class CAutoArchiveController;
class CMainFrame;
class CProgramEditorHost;
class CTallyboxView;

class CTallyboxApp : public CApplication {
public:
    CTallyboxApp();
    ~CTallyboxApp() override;

    static CTallyboxApp* Get();

    BOOL InitInstance() override;
    int ExitInstance() override;

    void ShowAbout();

    std::string m_fileName;  // the command line's file name
    int m_hide = 0;
    int m_exit = 0;
    int m_classRegistered = 0;
    SettingsRecord m_settings;  // constructed empty; the live record is gSettings

private:
    BOOL HandOverToRunningCopy(HWND running);
    bool RegisterFrameClass();
    void OpenFile();

    CMainFrame* m_frame = nullptr;
    CTallyboxView* m_view = nullptr;  // deletes itself with its window
    std::unique_ptr<CAutoArchiveController> m_archiving;
    std::unique_ptr<CProgramEditorHost> m_editorHost;
};

// Cuts `text` to at most `limit` bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& text, size_t limit);

}  // namespace tb
