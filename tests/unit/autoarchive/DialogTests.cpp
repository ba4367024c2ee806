// The progress dialog, the file size limit dialog and the pending archive
// dialog, driven by posted messages.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "autoarchive/FileSizeLimitDlg.h"
#include "autoarchive/PendingArchiveDlg.h"
#include "autoarchive/ProgressDlg.h"
#include "common/Profile.h"
#include "common/Settings.h"
#include "doctest/doctest.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

void PostClick(HWND dialog, int id) {
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(::GetDlgItem(dialog, id)));
}

// Lets the dialog's messages through until `done` holds (at most 10 s).
bool PumpUntil(HWND dialog, const std::function<bool()>& done) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > 10000) return false;
        MSG message;
        while (::PeekMessageA(&message, dialog, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    }
    return true;
}

// Runs `act` on the next dialog of this thread when it has initialised.
std::function<void(HWND)> gOnDialogReady;
LRESULT CALLBACK AfterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    auto* call = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITDIALOG && gOnDialogReady) {
        auto act = std::move(gOnDialogReady);
        gOnDialogReady = nullptr;
        act(call->hwnd);
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

class DialogHook {
public:
    explicit DialogHook(std::function<void(HWND)> act) {
        gOnDialogReady = std::move(act);
        m_hook = ::SetWindowsHookExA(WH_CALLWNDPROCRET, &AfterWindowProc, nullptr, ::GetCurrentThreadId());
    }
    ~DialogHook() {
        ::UnhookWindowsHookEx(m_hook);
        gOnDialogReady = nullptr;
    }

private:
    HHOOK m_hook;
};

struct SizeLimitAnswer {
    INT_PTR result = 0;
    int dontShow = -1;
    std::string pathShown, sizeShown, caption;
};

// Shows the size-limit dialog; once it is up, ticks the box when asked and
// presses `button` (0: the close box).
SizeLimitAnswer AskSizeLimit(int button, bool tick) {
    SizeLimitAnswer answer;
    DialogHook hook([&](HWND dialog) {
        CWindow window(dialog);
        answer.pathShown = window.ItemText(IDC_FSL_PATH);
        answer.sizeShown = window.ItemText(IDC_FSL_SIZE);
        answer.caption = window.Text();
        if (tick) ::PostMessageA(::GetDlgItem(dialog, IDC_FSL_DONT_SHOW), BM_SETCHECK, BST_CHECKED, 0);
        if (button)
            PostClick(dialog, button);
        else
            ::PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    });
    CFileSizeLimitDlg dialog("C:\\Big Files\\movie.avi", 123456789);
    answer.result = dialog.DoModal(nullptr);
    answer.dontShow = dialog.DontShow();
    return answer;
}

struct PendingSeen {
    INT_PTR result = 0;
    std::string shutdownText, resetText, archiveText, laterText;
    int cancelFlag = -1;
};

// Shows the pending archive dialog in shut-down mode and presses `button`.
PendingSeen AnswerPending(int button) {
    PendingSeen seen;
    int cancelShutdown = 1;  // a flag left from an earlier dialog
    DialogHook hook([&](HWND dialog) {
        CWindow window(dialog);
        seen.shutdownText = window.ItemText(IDC_PA_SHUTDOWN_NO_ARCHIVE);
        seen.resetText = window.ItemText(IDC_PA_RESET_PENDING);
        seen.archiveText = window.ItemText(IDC_PA_ARCHIVE_NOW);
        seen.laterText = window.ItemText(IDC_PA_LATER);
        seen.cancelFlag = cancelShutdown;
        PostClick(dialog, button);
    });
    CPendingArchiveDlg dialog;
    dialog.Set({"C:\\a.txt"}, {"C:\\b.tmp"}, CPendingArchiveDlg::kShutdownMode, &cancelShutdown);
    seen.result = dialog.DoModal(nullptr);
    return seen;
}

}  // namespace

TEST_CASE("the pending archive dialog: its buttons' texts, and it only collects the decision") {
    TestIni ini("[Changes]\r\nDir1=C:\\DOCS\r\nDir2=\r\n");
    const PendingSeen seen = AnswerPending(IDC_PA_RESET_PENDING);
    CHECK(seen.result == kPendingExitAndReset);
    // The texts as they are; a multi-line button wraps them itself.
    CHECK(seen.shutdownText == "Shutdown Without Archiving");
    CHECK(seen.resetText == "Exit and Reset Pending List");
    CHECK(seen.archiveText == "Archive Now \nand Shutdown");
    CHECK(seen.laterText == "Cancel Shutdown");
    CHECK(seen.cancelFlag == 0);  // cleared as the dialog opened
    // The run, not the dialog, takes the records it covered out of "Changes".
    CHECK(ini.Value("Changes", "Dir1") == "C:\\DOCS");
    CHECK(ini.Value("Settings", "PendSaveFolderNames") == "1");
}

TEST_CASE("the size limit dialog shows the file and answers with the button pressed") {
    struct Case {
        int button;
        INT_PTR result;
        bool readsBox;
    };
    const Case cases[] = {
        {IDC_FSL_INCLUDE, 1, true},     {IDC_FSL_INCLUDE_ALL, 1162, true},        {IDC_FSL_SKIP, 2, false},
        {IDC_FSL_SKIP_ALL, 1076, true}, {IDC_FSL_EDIT_SETTINGS, 1054, true}, {0, 2, false},  // close box
    };
    for (const Case& c : cases) {
        for (bool tick : {false, true}) {
            CAPTURE(c.button);
            CAPTURE(tick);
            const SizeLimitAnswer answer = AskSizeLimit(c.button, tick);
            CHECK(answer.result == c.result);
            CHECK(answer.dontShow == ((tick && c.readsBox) ? 1 : 0));
            CHECK(answer.pathShown == "C:\\Big Files\\movie.avi");
            CHECK(answer.sizeShown == "123456789");
            CHECK(answer.caption == "File Size Limit");
        }
    }
}

TEST_CASE("a file over the size limit, and when the run asks about it") {
    CHECK_FALSE(ExceedsSizeLimit(kGeneralSizeLimit, 100, 100000));  // exactly the limit
    CHECK(ExceedsSizeLimit(kGeneralSizeLimit, 100, 100001));
    CHECK_FALSE(ExceedsSizeLimit(0, 100, 100001));                  // limit not on
    CHECK(ExceedsSizeLimit(kGeneralSizeLimit, 0, 1));
    CHECK(ExceedsSizeLimit(kGeneralSizeLimit | kGeneralMonitor, 3000000, 3000000001LL));

    CHECK(AsksAboutSizeLimit(kPromptPending | kPromptSizeLimit));
    CHECK_FALSE(AsksAboutSizeLimit(kPromptSizeLimit));
    CHECK_FALSE(AsksAboutSizeLimit(kPromptPending));
}

TEST_CASE("progress: the bar moves at once, the text with the timer") {
    CProgressDlg progress;
    REQUIRE(progress.Create(nullptr));
    HWND dialog = progress.Handle();
    CWindow window(dialog);
    CHECK(window.Text() == "File Archiver");
    CHECK(window.IsVisible());

    CHECK(progress.Update("first", 30) == 1);
    CHECK(window.SendItem(IDC_PROG_BAR, PBM_GETPOS) == 30);
    CHECK(progress.Update("second", 40) == 1);
    CHECK(window.SendItem(IDC_PROG_BAR, PBM_GETPOS) == 40);
    CHECK(window.ItemText(IDC_PROG_TEXT) != "second");  // not painted by Update
    CHECK(PumpUntil(dialog, [&] { return window.ItemText(IDC_PROG_TEXT) == "second"; }));

    progress.Update("over", 250);
    CHECK(window.SendItem(IDC_PROG_BAR, PBM_GETPOS) == 100);
    CHECK(progress.Position() == 250);
    progress.DestroyModeless();
    CHECK_FALSE(::IsWindow(dialog));
}

TEST_CASE("progress: Abort Operation makes every later update answer 0") {
    CProgressDlg progress;
    REQUIRE(progress.Create(nullptr));
    HWND dialog = progress.Handle();
    PostClick(dialog, IDC_PROG_ABORT);
    // Each update lets one message through; the click arrives within a few.
    int updates = 0;
    while (progress.Update("working", 10) == 1 && updates < 100) ++updates;
    CHECK(progress.Aborted());
    CHECK(updates < 100);
    PostClick(dialog, IDC_PROG_ABORT);  // a second press changes nothing
    for (int i = 0; i < 5; ++i) CHECK(progress.Update("still working", 20) == 0);
    CHECK(::IsWindow(dialog));  // the dialog stays open
    progress.DestroyModeless();
}

TEST_CASE("progress: closing the window stops its timer and ends it") {
    CProgressDlg progress;
    REQUIRE(progress.Create(nullptr));
    HWND dialog = progress.Handle();
    ::PostMessageA(dialog, WM_CLOSE, 0, 0);
    for (int i = 0; i < 100 && ::IsWindow(dialog); ++i) progress.Update("closing", 50);
    CHECK_FALSE(::IsWindow(dialog));
    CHECK(progress.Update("after", 60) == 1);  // closed is not aborted
}
