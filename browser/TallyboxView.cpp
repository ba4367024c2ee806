#include "browser/TallyboxView.h"

#include "app/Globals.h"
#include "app/Settings.h"

namespace tb {

CTallyboxView::CTallyboxView() {
    ReadSettings(gSettings);
    gView = this;
}

CTallyboxView::~CTallyboxView() {
    if (gView == this) gView = nullptr;
}

void CTallyboxView::OnInitialUpdate() {}

void CTallyboxView::ShowNamedArchive(const std::string&) {}

void CTallyboxView::LayoutPanes(int, int) {}

int CTallyboxView::RunArchive(int, int) { return 1; }

void CTallyboxView::SaveAtSessionEnd() {}

}  // namespace tb
