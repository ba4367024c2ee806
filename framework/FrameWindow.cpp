#include "framework/FrameWindow.h"

#include "framework/Application.h"
#include "framework/View.h"

namespace tb {

namespace {
const char kReady[] = "Ready";

std::string LoadResourceString(UINT id) {
    char buffer[512] = {};
    int n = ::LoadStringA(::GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, size_t(n > 0 ? n : 0));
}
}  // namespace

std::string CFrameWindow::CommandPrompt(UINT id) {
    std::string text = LoadResourceString(id);
    return text.substr(0, text.find('\n'));
}

std::string CFrameWindow::CommandTip(UINT id) {
    std::string text = LoadResourceString(id);
    size_t at = text.find('\n');
    return at == std::string::npos ? std::string() : text.substr(at + 1);
}

bool CFrameWindow::CreateToolBar(UINT bitmapId, const std::vector<UINT>& commands, SIZE image,
                                 int buttonWidth) {
    m_toolBar = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                  WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS | TBSTYLE_FLAT |
                                      CCS_TOP | CCS_NODIVIDER,
                                  0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(UINT_PTR(kToolBarId)),
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (!m_toolBar) return false;
    ::SendMessageA(m_toolBar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    int pictures = 0;
    for (UINT id : commands) pictures += id ? 1 : 0;
    m_toolImages.Reset(::ImageList_Create(image.cx, image.cy, ILC_COLOR32, pictures, 0));
    UniqueBitmap strip(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                          MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0,
                                                          0, LR_CREATEDIBSECTION)));
    if (m_toolImages && strip) ::ImageList_Add(m_toolImages.Get(), strip.Get(), nullptr);
    ::SendMessageA(m_toolBar, TB_SETIMAGELIST, 0, LPARAM(m_toolImages.Get()));

    m_buttonTexts.clear();
    for (UINT id : commands) m_buttonTexts.push_back(id ? CommandTip(id) : std::string());
    std::vector<TBBUTTON> buttons;
    int picture = 0;
    for (size_t i = 0; i < commands.size(); ++i) {
        TBBUTTON b{};
        if (commands[i] == 0) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = 6;
        } else {
            b.iBitmap = picture++;
            b.idCommand = int(commands[i]);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
            b.iString = INT_PTR(m_buttonTexts[i].c_str());
        }
        buttons.push_back(b);
    }
    ::SendMessageA(m_toolBar, TB_ADDBUTTONSA, WPARAM(buttons.size()), LPARAM(buttons.data()));
    ::SendMessageA(m_toolBar, TB_SETBUTTONWIDTH, 0, MAKELPARAM(buttonWidth, buttonWidth));
    ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
    return true;
}

bool CFrameWindow::CreateStatusBar(const std::vector<int>& widths) {
    m_statusBar = ::CreateWindowExA(0, STATUSCLASSNAMEA, kReady, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | SBARS_TOOLTIPS,
                                    0, 0, 0, 0, m_hwnd, reinterpret_cast<HMENU>(UINT_PTR(kStatusBarId)),
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!m_statusBar) return false;
    m_statusWidths = widths;
    LayoutStatusParts();
    return true;
}

void CFrameWindow::LayoutStatusParts() {
    if (!m_statusBar) return;
    RECT r{};
    ::GetClientRect(m_hwnd, &r);
    std::vector<int> edges(m_statusWidths.size() + 1);
    int right = r.right;
    for (size_t i = m_statusWidths.size(); i > 0; --i) {
        edges[i] = (i == m_statusWidths.size()) ? -1 : right;
        right -= m_statusWidths[i - 1];
    }
    edges[0] = right > 0 ? right : 0;
    // In a narrow window the first pane keeps half the width: the panes after
    // it move right and are cut.
    const int firstMin = r.right / 2;
    if (edges[0] < firstMin) {
        const int shift = firstMin - edges[0];
        for (int& edge : edges)
            if (edge != -1) edge += shift;
    }
    if (m_statusWidths.empty()) edges[0] = -1;
    ::SendMessageA(m_statusBar, SB_SETPARTS, WPARAM(edges.size()), LPARAM(edges.data()));
}

void CFrameWindow::SetStatusText(int pane, const std::string& text) const {
    if (m_statusBar) ::SendMessageA(m_statusBar, SB_SETTEXTA, WPARAM(pane), LPARAM(text.c_str()));
}

void CFrameWindow::RecalcLayout() {
    RECT client{};
    ::GetClientRect(m_hwnd, &client);
    int top = 0;
    int bottom = client.bottom;
    if (m_toolBar) {
        ::SendMessageA(m_toolBar, TB_AUTOSIZE, 0, 0);
        RECT r{};
        ::GetWindowRect(m_toolBar, &r);
        top = r.bottom - r.top;
    }
    if (m_statusBar) {
        ::SendMessageA(m_statusBar, WM_SIZE, 0, 0);
        LayoutStatusParts();
        RECT r{};
        ::GetWindowRect(m_statusBar, &r);
        bottom -= r.bottom - r.top;
    }
    if (m_view && m_view->Handle())
        ::MoveWindow(m_view->Handle(), 0, top, client.right, bottom > top ? bottom - top : 0, TRUE);
}

void CFrameWindow::ShowPrompt(UINT id) {
    std::string prompt = id ? CommandPrompt(id) : std::string();
    if (prompt.empty()) prompt = m_idleText.empty() ? std::string(kReady) : m_idleText;
    SetStatusText(0, prompt);
}

void CFrameWindow::SetIdleText(const std::string& text) {
    m_idleText = text;
    SetStatusText(0, text.empty() ? std::string(kReady) : text);
    // The whole text shows as the pane's tip when the pane cuts it.
    if (m_statusBar) ::SendMessageA(m_statusBar, SB_SETTIPTEXTA, 0, LPARAM(m_idleText.c_str()));
}

CFrameWindow::CFrameWindow() {
    // The frame's own handling, registered like any other so that a derived
    // frame registering the same message is told at once.
    Map().OnMessage(WM_MENUSELECT, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (HIWORD(wParam) == 0xFFFF && lParam == 0)
            ShowPrompt(0);
        else if (!(HIWORD(wParam) & (MF_POPUP | MF_SEPARATOR)))
            ShowPrompt(LOWORD(wParam));
        return 0;
    });
    Map().OnMessage(WM_EXITMENULOOP, [this](WPARAM wParam, LPARAM lParam) -> LRESULT {
        ShowPrompt(0);
        return DefaultProc(WM_EXITMENULOOP, wParam, lParam);
    });
    Map().OnNotify(kToolBarId, UINT(NM_CUSTOMDRAW), [this](NMHDR* header) -> LRESULT {
        // The flat toolbar is transparent: give it the face colour itself,
        // as the frame does not erase its background.
        auto* draw = reinterpret_cast<NMTBCUSTOMDRAW*>(header);
        if (draw->nmcd.dwDrawStage == CDDS_PREPAINT)
            ::FillRect(draw->nmcd.hdc, &draw->nmcd.rc, ::GetSysColorBrush(COLOR_3DFACE));
        return CDRF_DODEFAULT;
    });
    Map().OnNotify(kToolBarId, UINT(TBN_HOTITEMCHANGE), [this](NMHDR* header) -> LRESULT {
        auto* hot = reinterpret_cast<NMTBHOTITEM*>(header);
        ShowPrompt((hot->dwFlags & HICF_LEAVING) ? 0 : UINT(hot->idNew));
        return 0;
    });
}

// Commands go down the routing chain; every other message goes to its one
// handler in the map, or else to the frame's default for it.
LRESULT CFrameWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        if (m_view && m_view->RouteCommand(wParam, lParam)) return 0;
        if (Map().RouteCommand(wParam, lParam)) return 0;
        if (CApplication::Instance() && CApplication::Instance()->RouteCommand(wParam, lParam))
            return 0;
        return DefaultProc(message, wParam, lParam);
    }
    LRESULT result = 0;
    bool handled = Map().Route(message, wParam, lParam, result);
    if (message == WM_DESTROY && CApplication::MainWindowHandle() == m_hwnd) ::PostQuitMessage(0);
    if (handled) return result;
    switch (message) {
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_NOTIFY:
        // Tool tips of the toolbar buttons: the short name of the command.
        if (reinterpret_cast<NMHDR*>(lParam)->code == TTN_GETDISPINFOA) {
            auto* info = reinterpret_cast<NMTTDISPINFOA*>(lParam);
            m_tip = CommandTip(UINT(info->hdr.idFrom));
            info->lpszText = const_cast<char*>(m_tip.c_str());
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

}  // namespace tb
