#pragma once
// The extractor's windows: the picture screens (preparing, success), the folder
// question, the password prompt, the progress screen, the disk error choice and
// the message boxes, each with the script's title, message and picture.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "sfx/stub/Extraction.h"
#include "sfx/stub/StubTexts.h"

namespace tb::sfx {

class CScreen;

// The "Preparing to Extract" screen, shown while it lives.
class CPreparingScreen {
public:
    explicit CPreparingScreen(const CStubTexts& texts);
    ~CPreparingScreen();
    CPreparingScreen(const CPreparingScreen&) = delete;
    CPreparingScreen& operator=(const CPreparingScreen&) = delete;
    HWND Handle() const { return m_hwnd; }

private:
    std::unique_ptr<CScreen> m_screen;
    HWND m_hwnd = nullptr;
};

// The folder question, prefilled with `folder`; false when cancelled.
bool AskFolder(const CStubTexts& texts, WideString& folder);
// The password prompt; false when cancelled.
bool AskPassword(const CStubTexts& texts, WideString& password);
void ShowSuccess(const CStubTexts& texts);
// The message of `group` in a message box (when the script shows it).
void ShowFailure(const CStubTexts& texts, uint32_t group);
// The disk error with its two buttons; true when the user chose to restart.
bool AskRestart(const CStubTexts& texts);
// The overwrite questions, asked without a progress screen.
IExtractionHost::Answer AskOverwriteBox(HWND owner, const CStubTexts& texts, const std::string& path, bool readOnly);

// Runs `work` on a thread of its own while the progress screen shows how far
// it is and offers Cancel; its questions are asked on the screen.
Outcome RunWithProgressScreen(const CStubTexts& texts, const std::function<Outcome(IExtractionHost&)>& work);

}  // namespace tb::sfx
