#pragma once
// CFrameWindow: a top-level window with a toolbar at the top, a status bar at
// the bottom and one view in between. It routes commands to the view first,
// then to its own map, then to the application; shows the prompt of a menu
// item or toolbar button in the status bar (fly-by help) and its short name as
// the button's tool tip, both from the string table entry of the command id
// ("prompt\ntip").

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/Handles.h"
#include "framework/WindowImpl.h"

namespace tb {

class CView;

class CFrameWindow : public CWindowImpl {
public:
    static constexpr UINT kToolBarId = 0xE800;
    static constexpr UINT kStatusBarId = 0xE801;

    CFrameWindow();
    CView* View() const { return m_view; }
    void SetView(CView* view) { m_view = view; }
    HWND ToolBar() const { return m_toolBar; }
    HWND StatusBar() const { return m_statusBar; }

    // A toolbar from a 32-bit bitmap strip (with alpha) of `image`-sized
    // pictures; `commands` lists the button ids in order (0 = separator). Each
    // button shows the short name of its command under its picture and is
    // `buttonWidth` pixels wide.
    bool CreateToolBar(UINT bitmapId, const std::vector<UINT>& commands, SIZE image, int buttonWidth);
    // A status bar; `widths` are the pane widths after the first, stretching
    // pane, which keeps at least half the window's width.
    bool CreateStatusBar(const std::vector<int>& widths);
    void SetStatusText(int pane, const std::string& text) const;
    // What the first pane shows when no command is pointed at ("Ready" until
    // set); shown at once.
    void SetIdleText(const std::string& text);

    // Places toolbar, status bar and view for the current client size.
    void RecalcLayout();

    static std::string CommandPrompt(UINT id);
    static std::string CommandTip(UINT id);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ShowPrompt(UINT id);
    void LayoutStatusParts();

    CView* m_view = nullptr;
    HWND m_toolBar = nullptr;
    HWND m_statusBar = nullptr;
    std::vector<int> m_statusWidths;
    std::vector<std::string> m_buttonTexts;
    std::string m_tip;  // the text a tool tip is showing
    std::string m_idleText;
    UniqueImageList m_toolImages;
};

}  // namespace tb
