#pragma once
// CSelfExtractDlg (dialog 175, "Make Self-Extracting Archive (.EXE)"): turns
// the selected known archive into a Windows program that unpacks it, through
// the property script of the builder library adfactry.dll.

#include <functional>
#include <memory>
#include <string>

#include "framework/Dialog.h"
#include "zip/SelfExtractScript.h"

namespace tb {

// What the dialog asks of the world, replaceable in tests.
struct SelfExtractServices {
    // A message box: the text, its flags; returns the button pressed.
    std::function<int(HWND, const std::string&, UINT)> message;
    // The builder; null: adfactry.dll beside the program.
    ISelfExtractBuilder* builder = nullptr;
};

class CSelfExtractDlg : public CDialog {
public:
    explicit CSelfExtractDlg(std::string source, SelfExtractServices services = {});

    // The program name proposed for a source archive: the source up to the
    // last dot of its file name, and ".exe"; empty when the file name has no
    // dot after its first character.
    static std::string ProposedProgramName(const std::string& source);
    // The caption proposed for the program's windows.
    static const char* DefaultCaption();

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    int Message(const std::string& text, UINT flags);
    // The picture the program's screens show: tb.bmp in the Windows folder,
    // copied there from beside the program when it is missing.
    std::string Bitmap() const;

    std::string m_source;
    SelfExtractServices m_services;
};

}  // namespace tb
