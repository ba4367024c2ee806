#pragma once
// CView: the child window that fills a frame's client area between its
// toolbar and status bar. Commands reach the view before the frame.

#include "framework/WindowImpl.h"

namespace tb {

class CFrameWindow;

class CView : public CWindowImpl {
public:
    static constexpr UINT kPaneId = 0xE900;

    // Creates the view window as the frame's child and makes it the frame's view.
    bool CreateView(CFrameWindow& frame);
    CFrameWindow* Frame() const { return m_frame; }
    bool RouteCommand(WPARAM wParam, LPARAM lParam) { return Map().RouteCommand(wParam, lParam); }

    // Called once, after the frame and the view exist.
    virtual void OnInitialUpdate() {}

private:
    CFrameWindow* m_frame = nullptr;
};

}  // namespace tb
