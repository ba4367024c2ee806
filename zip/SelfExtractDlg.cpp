#include "zip/SelfExtractDlg.h"

#include "framework/Shell.h"
#include "res/resource.h"
#include "zip/TempFile.h"

namespace tb {

namespace {

constexpr char kWorking[] = "........................Working........................";
constexpr char kBitmapName[] = "tb.bmp";
constexpr UINT kWindowsFolderLimit = 200;

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CSelfExtractDlg::CSelfExtractDlg(std::string source, SelfExtractServices services)
    : CDialog(IDD_SELF_EXTRACT), m_source(std::move(source)), m_services(std::move(services)) {}

std::string CSelfExtractDlg::ProposedProgramName(const std::string& source) {
    const size_t nameStart = source.find_last_of("\\/") == std::string::npos ? 0 : source.find_last_of("\\/") + 1;
    const size_t dot = source.rfind('.');
    if (dot == std::string::npos || dot <= nameStart) return std::string();
    return source.substr(0, dot) + ".exe";
}

const char* CSelfExtractDlg::DefaultCaption() { return "Self-Extracting Archive - made with File Archiver by Corvane"; }

int CSelfExtractDlg::Message(const std::string& text, UINT flags) {
    if (m_services.message) return m_services.message(m_hwnd, text, flags);
    return ShowMessage(m_hwnd, text, flags);
}

BOOL CSelfExtractDlg::OnInitDialog() {
    if (m_source.empty()) {
        Message("You must select an Archive(Zip) before you can make a Sel-Extracting Archive.", MB_OK);
        EndDialog(IDCANCEL);
        return TRUE;
    }
    SetItemText(IDC_SX_CAPTION, DefaultCaption());
    SetItemText(IDC_SX_SOURCE, "Make Self-Extracting Archive from:\n\n" + m_source);
    SetItemText(IDC_SX_OUTPUT, ProposedProgramName(m_source));
    return TRUE;
}

std::string CSelfExtractDlg::Bitmap() const {
    const std::string windowsCopy = WindowsFolder(kWindowsFolderLimit) + "\\" + kBitmapName;
    const std::string shipped = ProgramFolder() + kBitmapName;
    if (!FileExists(windowsCopy) && FileExists(shipped)) ::CopyFileA(shipped.c_str(), windowsCopy.c_str(), TRUE);
    // Where the Windows folder is closed to the user the picture comes from
    // beside the program.
    return FileExists(windowsCopy) || !FileExists(shipped) ? windowsCopy : shipped;
}

void CSelfExtractDlg::OnOK() {
    SelfExtractValues values;
    values.bitmap = Bitmap();
    values.caption = ItemText(IDC_SX_CAPTION);
    // The script and the second scratch file live in the temporary folder (the
    // current folder may be closed to the user) and go when the dialog is done.
    CTempFile script("~s"), scratch("~z");
    if (!script.Valid() || !scratch.Valid()) {
        Message("ERROR: Could not create a tempory file.", MB_OK);
        return;
    }
    script.Remove();   // the library starts a new script where there is no file
    values.output = ItemText(IDC_SX_OUTPUT);
    if (FileExists(values.output) &&
        Message("This file exists: " + values.output + ".  Do you wish to overwrite this file?", MB_YESNO) != IDYES)
        return;
    values.source = m_source;
    values.extractFolder = ItemText(IDC_SX_EXTRACT_FOLDER);

    std::unique_ptr<CAdfactryLibrary> library;
    ISelfExtractBuilder* builder = m_services.builder;
    if (!builder) {
        library = std::make_unique<CAdfactryLibrary>();
        builder = library.get();
    }
    const SelfExtractResult result = WriteAndBuildSelfExtractor(*builder, script.Path(), values, [this] {
        SetItemText(IDC_SX_STATUS, kWorking);
        UpdateNow();
    });
    if (!result.scriptCreated)
        Message("Couldn't create the new script", MB_OK);
    else if (result.code != 0)
        Message("Unable to create Self-Extracting Archive. Error code: " + std::to_string(result.code),
                MB_OK | MB_ICONEXCLAMATION);
    else
        Message("Self-Extracting Archive successfully created.", MB_OK);
    EndDialog(IDOK);
}

}  // namespace tb
