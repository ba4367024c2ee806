#include "framework/PropertySheet.h"

#include "framework/Application.h"
#include "framework/Guard.h"
#include "framework/Placement.h"

namespace tb {

PROPSHEETPAGEA CPropertyPage::Describe() {
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_DEFAULT;
    if (m_sheet && m_sheet->m_help) page.dwFlags |= PSP_HASHELP;
    page.hInstance = ::GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(TemplateId());
    page.pfnDlgProc = &CPropertyPage::PageProc;
    page.lParam = LPARAM(this);
    return page;
}

void CPropertyPage::OnHelp() {
    if (m_sheet && m_sheet->m_help) m_sheet->m_help();
}

INT_PTR CPropertyPage::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_NOTIFY) return FALSE;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case PSN_SETACTIVE:
        OnSetActive();
        SetMessageResult(0);
        return TRUE;
    case PSN_KILLACTIVE:
        // TRUE keeps the user on the page, with everything on it as it is.
        SetMessageResult(OnKillActive() ? FALSE : TRUE);
        return TRUE;
    case PSN_APPLY:
        OnApply();
        // The sheet has no Apply button, so an apply always means OK.
        if (m_sheet) m_sheet->m_accepted = true;
        SetMessageResult(PSNRET_NOERROR);
        return TRUE;
    case PSN_RESET:
        OnReset();
        return TRUE;
    case PSN_HELP:
        OnHelp();
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* description = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
        auto* self = reinterpret_cast<CPropertyPage*>(description->lParam);
        self->AttachDialog(hwnd);
        self->m_created = true;
        if (self->m_sheet) self->m_sheet->m_hwnd = ::GetParent(hwnd);
        return Guarded("property page", INT_PTR(TRUE), [&] { return INT_PTR(self->OnInitDialog()); });
    }
    return StaticDialogProc(hwnd, message, wParam, lParam);
}

namespace {
// Like every dialog of the program, the sheet comes up centred over its owner.
int CALLBACK CenterSheet(HWND sheet, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) CenterOverOwner(sheet);
    return 0;
}
}  // namespace

void CPropertySheet::AddPage(CPropertyPage& page) {
    page.m_sheet = this;
    m_pages.push_back(&page);
}

bool CPropertySheet::DoModal(HWND owner) {
    if (owner == kMainWindowOwner) owner = CApplication::MainWindowHandle();
    std::vector<PROPSHEETPAGEA> pages;
    for (CPropertyPage* page : m_pages) pages.push_back(page->Describe());

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK | (m_help ? PSH_HASHELP : 0);
    header.pfnCallback = &CenterSheet;
    header.hwndParent = owner;
    header.hInstance = ::GetModuleHandleA(nullptr);
    header.pszCaption = m_caption.c_str();
    header.nPages = UINT(pages.size());
    header.ppsp = pages.data();
    m_accepted = false;
    ::PropertySheetA(&header);
    m_hwnd = nullptr;
    return m_accepted;
}

}  // namespace tb
