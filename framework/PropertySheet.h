#pragma once
// Property sheets on the common controls' own sheet: CPropertySheet collects
// CPropertyPage objects and shows them modally. A page is a CDialog whose
// template is the page; it hears when it becomes active, when it is left
// (OnKillActive, which may refuse), on OK (OnApply) and on Cancel (OnReset).

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace tb {

class CPropertySheet;

class CPropertyPage : public CDialog {
public:
    explicit CPropertyPage(UINT templateId) : CDialog(templateId) {}

    PROPSHEETPAGEA Describe();
    CPropertySheet* Sheet() const { return m_sheet; }
    bool Created() const { return m_created; }

protected:
    friend class CPropertySheet;
    virtual void OnSetActive() {}
    // The page is being left for another page, or the sheet is closing with
    // OK. False refuses: the user stays on the page, which keeps what the
    // user typed (the page tells the user why first), and OK does not close
    // the sheet.
    virtual bool OnKillActive() { return true; }
    // OK was pressed; sent to every page that was created.
    virtual void OnApply() {}
    virtual void OnReset() {}
    virtual void OnHelp();
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static INT_PTR CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    CPropertySheet* m_sheet = nullptr;
    bool m_created = false;
};

class CPropertySheet {
public:
    explicit CPropertySheet(std::string caption) : m_caption(std::move(caption)) {}
    virtual ~CPropertySheet() = default;

    void AddPage(CPropertyPage& page);
    // With a Help button, pressing it calls `help`.
    void SetHelpHandler(std::function<void()> help) { m_help = std::move(help); }
    // Shows the sheet modally; true when it was closed with OK.
    bool DoModal(HWND owner = kMainWindowOwner);
    HWND Handle() const { return m_hwnd; }

private:
    friend class CPropertyPage;
    std::string m_caption;
    std::vector<CPropertyPage*> m_pages;
    std::function<void()> m_help;
    HWND m_hwnd = nullptr;
    bool m_accepted = false;
};

}  // namespace tb
