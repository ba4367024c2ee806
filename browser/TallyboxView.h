#pragma once
// CTallyboxView: the single view of the main frame. It owns the known-archive
// list, the two background objects of change tracking, and the automatic
// archive run with its schedule.

#include <string>

#include "framework/View.h"

namespace tb {

class CTallyboxView : public CView {
public:
    CTallyboxView();
    ~CTallyboxView() override;

    void OnInitialUpdate() override;

    // A ZIP named on the command line or handed over: added when missing,
    // selected and listed.
    void ShowNamedArchive(const std::string& path);
    void LayoutPanes(int cx, int cy);
    void MarkResized() { m_resized = 1; }

    // The automatic archive run; 1 = finished (or nothing to do), 0 = postponed.
    int RunArchive(int automatic, int reason);

    // Windows is ending the session: keep what would be lost.
    void SaveAtSessionEnd();

    int m_cancelShutdown = 0;

protected:
    void OnFinalMessage() override { delete this; }

private:
    int m_resized = 0;
};

}  // namespace tb
