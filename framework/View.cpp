#include "framework/View.h"

#include "framework/FrameWindow.h"

namespace tb {

namespace {
const char kViewClass[] = "TbViewWindow";
}

bool CView::CreateView(CFrameWindow& frame) {
    static ATOM registered = RegisterWindowClass(kViewClass, CS_DBLCLKS, nullptr,
                                                 ::LoadCursor(nullptr, IDC_ARROW),
                                                 HBRUSH(COLOR_WINDOW + 1));
    (void)registered;
    m_frame = &frame;
    RECT r = frame.ClientRect();
    if (!Create(WS_EX_CLIENTEDGE, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                r.right, r.bottom, frame.Handle(), reinterpret_cast<HMENU>(UINT_PTR(kPaneId))))
        return false;
    frame.SetView(this);
    return true;
}

}  // namespace tb
