#include "sfx/stub/Screens.h"

#include <commctrl.h>
#include <shlobj.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "framework/Handles.h"
#include "sfx/ScriptIds.h"
#include "sfx/WideText.h"
#include "sfx/stub/Picture.h"
#include "sfx/stub/StubResources.h"

namespace tb::sfx {

namespace {

constexpr UINT kWmAskOverwrite = WM_APP + 2;
constexpr UINT kWmDone = WM_APP + 3;
// The progress screen shows how far the extraction is on a timer: posted
// messages would come before the screen's own painting every time.
constexpr UINT_PTR kProgressTimer = 1;
constexpr UINT kProgressTimerMs = 100;

// Windows shows "\n" as a line break only after "\r".
WideString LineBreaks(const WideString& text) {
    WideString out;
    for (wchar_t c : text) {
        if (c == L'\n' && (out.empty() || out.back() != L'\r')) out += L'\r';
        out += c;
    }
    return out;
}

}  // namespace

// A dialog of the extractor: its template, title, message and picture; the
// screens add what is their own.
class CScreen {
public:
    CScreen(const CStubTexts& texts, uint32_t group, int templateId)
        : m_texts(texts), m_group(group), m_templateId(templateId) {}
    virtual ~CScreen() = default;
    CScreen(const CScreen&) = delete;
    CScreen& operator=(const CScreen&) = delete;

    INT_PTR Modal(HWND owner) {
        return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner, Proc,
                                 reinterpret_cast<LPARAM>(this));
    }
    HWND Modeless(HWND owner) {
        return ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_templateId), owner, Proc,
                                    reinterpret_cast<LPARAM>(this));
    }

protected:
    virtual void OnInit() {}
    // True when the command was handled.
    virtual bool OnCommand(int) { return false; }
    virtual bool OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

    HWND Item(int id) const { return ::GetDlgItem(m_hwnd, id); }
    void SetItemText(int id, const WideString& text) const { ::SetDlgItemTextW(m_hwnd, id, text.c_str()); }
    WideString ItemText(int id) const {
        WideString text(size_t(::GetWindowTextLengthW(Item(id))) + 1, L'\0');
        text.resize(size_t(::GetDlgItemTextW(m_hwnd, id, &text[0], int(text.size()))));
        return text;
    }

    const CStubTexts& m_texts;
    uint32_t m_group;
    HWND m_hwnd = nullptr;

private:
    void Setup() {
        ::SetWindowTextW(m_hwnd, m_texts.Title(m_group).c_str());
        SetItemText(IDC_MESSAGE, LineBreaks(m_texts.Message(m_group)));
        HWND picture = Item(IDC_PICTURE);
        if (!picture) return;
        const std::string* file = m_texts.Picture(m_group);
        UniqueBitmap original = file ? BitmapFromFile(*file) : UniqueBitmap();
        RECT box{};
        ::GetWindowRect(picture, &box);
        if (original) m_picture = FitBitmap(original.Get(), box.right - box.left, box.bottom - box.top);
        if (m_picture) {
            ::SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_picture.Get()));
            return;
        }
        // No picture: the other controls move into its place.
        ::ShowWindow(picture, SW_HIDE);
        RECT message{};
        ::GetWindowRect(Item(IDC_MESSAGE), &message);
        const int shift = message.left - box.left;
        for (HWND child = ::GetWindow(m_hwnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            RECT r{};
            ::GetWindowRect(child, &r);
            if (child == picture || r.left < box.right) continue;
            ::MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
            ::SetWindowPos(child, nullptr, r.left - shift, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        RECT window{};
        ::GetWindowRect(m_hwnd, &window);
        ::SetWindowPos(m_hwnd, nullptr, window.left + shift / 2, window.top, window.right - window.left - shift,
                       window.bottom - window.top, SWP_NOZORDER);
    }

    static INT_PTR CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        CScreen* self = reinterpret_cast<CScreen*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
        try {
            if (message == WM_INITDIALOG) {
                self = reinterpret_cast<CScreen*>(lParam);
                ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
                self->m_hwnd = hwnd;
                self->Setup();
                self->OnInit();
                return TRUE;
            }
            if (!self) return FALSE;
            INT_PTR result = 0;
            if (self->OnMessage(message, wParam, lParam, result)) {
                ::SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
                return TRUE;
            }
            if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
                if (self->OnCommand(LOWORD(wParam))) return TRUE;
                if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                    ::EndDialog(hwnd, LOWORD(wParam));
                    return TRUE;
                }
            }
        } catch (...) {
            ::EndDialog(hwnd, IDCANCEL);
        }
        return FALSE;
    }

    int m_templateId;
    UniqueBitmap m_picture;
};

class CPictureScreen : public CScreen {
public:
    CPictureScreen(const CStubTexts& texts, uint32_t group, bool withOk)
        : CScreen(texts, group, IDD_SCREEN_PICTURE), m_withOk(withOk) {}

private:
    void OnInit() override {
        if (!m_withOk) ::ShowWindow(Item(IDOK), SW_HIDE);
    }
    bool m_withOk;
};

namespace {



int CALLBACK BrowseCallback(HWND hwnd, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, data);
    return 0;
}

class CFolderScreen : public CScreen {
public:
    CFolderScreen(const CStubTexts& texts, WideString& folder)
        : CScreen(texts, ids::kFolderScreen, IDD_SCREEN_FOLDER), m_folder(folder) {}

private:
    void OnInit() override {
        SetItemText(IDC_FOLDER, m_folder);
        ::SetFocus(Item(IDC_FOLDER));
    }
    bool OnCommand(int id) override {
        if (id == IDC_BROWSE) {
            Browse();
            return true;
        }
        if (id == IDOK) {
            WideString folder = ItemText(IDC_FOLDER);
            if (folder.empty()) {
                ::MessageBeep(MB_ICONEXCLAMATION);
                return true;
            }
            m_folder = folder;
        }
        return false;
    }
    void Browse() {
        ComInit com;
        const WideString current = ItemText(IDC_FOLDER);
        const WideString title = LineBreaks(m_texts.Message(ids::kFolderScreen));
        BROWSEINFOW info{};
        info.hwndOwner = m_hwnd;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        info.lpfn = BrowseCallback;
        info.lParam = reinterpret_cast<LPARAM>(current.c_str());
        UniquePidl chosen(::SHBrowseForFolderW(&info));
        wchar_t path[MAX_PATH];
        if (chosen && ::SHGetPathFromIDListW(chosen.Get(), path)) SetItemText(IDC_FOLDER, path);
    }
    WideString& m_folder;
};

class CPasswordScreen : public CScreen {
public:
    CPasswordScreen(const CStubTexts& texts, WideString& password)
        : CScreen(texts, ids::kPasswordPrompt, IDD_SCREEN_PASSWORD), m_password(password) {}

private:
    void OnInit() override { ::SetFocus(Item(IDC_PASSWORD)); }
    bool OnCommand(int id) override {
        if (id == IDOK) m_password = ItemText(IDC_PASSWORD);
        return false;
    }
    WideString& m_password;
};

class CDiskErrorScreen : public CScreen {
public:
    explicit CDiskErrorScreen(const CStubTexts& texts) : CScreen(texts, ids::kDiskError, IDD_SCREEN_DISK_ERROR) {}

private:
    void OnInit() override {
        SetItemText(IDYES, m_texts.Text(ids::kDiskErrorRestartButton, "Restart Computer Now"));
        SetItemText(IDNO, m_texts.Text(ids::kDiskErrorNoRestartButton, "No Restart"));
        ::SetWindowTextW(m_hwnd, m_texts.Text(ids::kDiskError + ids::kTitle, "Restart System").c_str());
    }
    bool OnCommand(int id) override {
        if (id == IDYES || id == IDNO) {
            ::EndDialog(m_hwnd, id);
            return true;
        }
        return false;
    }
};

// The progress screen as the extraction's host: the extraction runs on a
// thread of its own and leaves its progress for the screen's timer; its
// questions are sent to the screen, so they are asked on the screen's thread.
class CProgressScreen : public CScreen, public IExtractionHost {
public:
    CProgressScreen(const CStubTexts& texts, const std::function<Outcome(IExtractionHost&)>& work)
        : CScreen(texts, ids::kProgressScreen, IDD_SCREEN_PROGRESS), m_work(work) {}
    ~CProgressScreen() override {
        if (m_thread.joinable()) m_thread.join();
    }

    const Outcome& Result() const { return m_outcome; }

    bool Progress(const std::string& file, int percent) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_file = file;
        m_percent = percent;
        return !m_cancel;
    }
    Answer AskOverwrite(const std::string& path, bool readOnly) override {
        return Answer(::SendMessageW(m_hwnd, kWmAskOverwrite, readOnly, reinterpret_cast<LPARAM>(&path)));
    }

private:
    void OnInit() override {
        ::SendMessageW(Item(IDC_PROGRESS), PBM_SETRANGE32, 0, 100);
        ::SetTimer(m_hwnd, kProgressTimer, kProgressTimerMs, nullptr);
        m_thread = std::thread([this] {
            try {
                m_outcome = m_work(*this);
            } catch (...) {
                m_outcome = Outcome{kStubMemoryError, ids::kMemoryError, "unexpected failure"};
            }
            ::PostMessageW(m_hwnd, kWmDone, 0, 0);
        });
    }
    bool OnCommand(int id) override {
        if (id == IDCANCEL) {
            m_cancel = true;
            ::EnableWindow(Item(IDCANCEL), FALSE);
            return true;
        }
        return id == IDOK;   // Enter does not end the screen
    }
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        switch (message) {
        case WM_TIMER: {
            if (wParam != kProgressTimer) return false;
            std::string file;
            int percent;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                file = m_file;
                percent = m_percent;
            }
            if (file != m_shownFile) SetItemText(IDC_ITEM, Widen(file));
            m_shownFile = file;
            ::SendMessageW(Item(IDC_PROGRESS), PBM_SETPOS, WPARAM(percent), 0);
            return true;
        }
        case kWmAskOverwrite:
            result = INT_PTR(AskOverwriteBox(m_hwnd, m_texts, *reinterpret_cast<const std::string*>(lParam), wParam != 0));
            return true;
        case kWmDone:
            ::KillTimer(m_hwnd, kProgressTimer);
            m_thread.join();
            ::EndDialog(m_hwnd, IDOK);
            return true;
        case WM_CLOSE:
            OnCommand(IDCANCEL);
            return true;
        }
        return false;
    }

    const std::function<Outcome(IExtractionHost&)>& m_work;
    std::thread m_thread;
    Outcome m_outcome;
    std::mutex m_mutex;
    std::string m_file;
    int m_percent = 0;
    std::string m_shownFile;
    std::atomic<bool> m_cancel{false};
};

}  // namespace

CPreparingScreen::CPreparingScreen(const CStubTexts& texts)
    : m_screen(std::make_unique<CPictureScreen>(texts, ids::kPrepareScreen, false)) {
    m_hwnd = m_screen->Modeless(nullptr);
    if (!m_hwnd) return;
    ::ShowWindow(m_hwnd, SW_SHOW);
    ::UpdateWindow(m_hwnd);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

CPreparingScreen::~CPreparingScreen() {
    if (m_hwnd) ::DestroyWindow(m_hwnd);
}

bool AskFolder(const CStubTexts& texts, WideString& folder) {
    CFolderScreen screen(texts, folder);
    return screen.Modal(nullptr) == IDOK;
}

bool AskPassword(const CStubTexts& texts, WideString& password) {
    CPasswordScreen screen(texts, password);
    return screen.Modal(nullptr) == IDOK;
}

void ShowSuccess(const CStubTexts& texts) {
    CPictureScreen screen(texts, ids::kSuccessScreen, true);
    screen.Modal(nullptr);
}

void ShowFailure(const CStubTexts& texts, uint32_t group) {
    if (!texts.Shown(group)) return;
    ::MessageBoxW(nullptr, LineBreaks(texts.Message(group)).c_str(), texts.Title(group).c_str(),
                  MB_OK | (group == ids::kCancelled ? MB_ICONINFORMATION : MB_ICONERROR));
}

bool AskRestart(const CStubTexts& texts) {
    if (!texts.Shown(ids::kDiskError)) return false;
    CDiskErrorScreen screen(texts);
    return screen.Modal(nullptr) == IDYES;
}

IExtractionHost::Answer AskOverwriteBox(HWND owner, const CStubTexts& texts, const std::string& path, bool readOnly) {
    const uint32_t group = readOnly ? ids::kReadOnlyQuestion : ids::kOverwriteQuestion;
    if (!texts.Shown(group)) return IExtractionHost::Answer::No;
    const WideString text = Widen(path) + L"\r\n\r\n" + LineBreaks(texts.Message(group));
    switch (::MessageBoxW(owner, text.c_str(), texts.Title(group).c_str(), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: return IExtractionHost::Answer::Yes;
    case IDNO: return IExtractionHost::Answer::No;
    default: return IExtractionHost::Answer::Cancel;
    }
}

Outcome RunWithProgressScreen(const CStubTexts& texts, const std::function<Outcome(IExtractionHost&)>& work) {
    CProgressScreen screen(texts, work);
    if (screen.Modal(nullptr) == -1) return Outcome{kStubMemoryError, ids::kMemoryError, "no progress screen"};
    return screen.Result();
}

}  // namespace tb::sfx
