#include "browser/ExtractDlg.h"

#include <commctrl.h>
#include <shlobj.h>

#include "common/Profile.h"
#include "browser/Extraction.h"
#include "framework/Shell.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr char kLastUnZipPathKey[] = "LastUnZipPath";
constexpr DWORD kTempFolderLimit = 500;
constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kCloseDelayMs = 200;
constexpr DWORD kLetInEveryMs = 30;
constexpr int kMessagesLetIn = 16;
constexpr char kBrowseTitle[] = "Select Folder/Directory that is to be where files are Extracted/UnZiped to.";
constexpr char kNoDestination[] = "You must enter a Folder destination before you can extract files.";

struct DestinationButton {
    int id;
    ExtractDestination destination;
};
constexpr DestinationButton kDestinationButtons[] = {
    {IDC_EX_DEFAULT_FOLDER, ExtractDestination::Default},
    {IDC_EX_LAST_FOLDER, ExtractDestination::Last},
    {IDC_EX_TEMP_FOLDER, ExtractDestination::Temp},
    {IDC_EX_MY_DOCUMENTS, ExtractDestination::Documents},
};

struct FlagBox {
    int id;
    int bit;
};
constexpr FlagBox kFlagBoxes[] = {
    {IDC_EX_DEFAULT_FOLDER, kUnZipUseDefault}, {IDC_EX_LAST_FOLDER, kUnZipUseLast},
    {IDC_EX_TEMP_FOLDER, kUnZipUseTemp},       {IDC_EX_MY_DOCUMENTS, kUnZipMyDocuments},
    {IDC_EX_OVERWRITE, kUnZipOverwrite},       {IDC_EX_PROMPT, kUnZipPrompt},
    {IDC_EX_RENAME, kUnZipRenameByNumber},     {IDC_EX_FOLDER_NAMES, kUnZipUseFolderNames},
};
}  // namespace

CExtractDlg::CExtractDlg(const SettingsRecord& settings, std::string archive, std::vector<ExtractEntry> selection,
                         int mode, ExtractPrompts prompts)
    : CDialog(IDD_EXTRACT),
      m_unZipFlags(settings.UnZipFlags),
      m_archive(std::move(archive)),
      m_selection(std::move(selection)),
      m_mode(mode),
      m_prompts(std::move(prompts)) {
    m_folders.defaultFolder = settings.DefUnZipPath;
    for (const DestinationButton& button : kDestinationButtons)
        Map().OnCommand(button.id, [this, button] { ShowFolder(button.destination); });
    Map().OnCommand(IDC_EX_BROWSE, [this] { Browse(); });
    Map().OnMessage(WM_TB_ZIP_PROGRESS, [this](WPARAM percent, LPARAM) -> LRESULT {
        OnZipProgress(int(percent));
        return 0;
    });
    Map().OnMessage(WM_TB_ZIP_ITEM, [this](WPARAM, LPARAM) -> LRESULT {
        LetUserIn();
        return 0;
    });
    Map().OnTimer(kCloseTimer, [this] {
        StopTimer(kCloseTimer);
        EndDialog(m_cancel ? IDCANCEL : IDOK);
    });
}

CExtractDlg::~CExtractDlg() = default;

std::vector<ExtractEntry> CExtractDlg::EntriesOf(const std::vector<FileListRecord>& records) {
    std::vector<ExtractEntry> entries;
    entries.reserve(records.size());
    for (const FileListRecord& record : records) entries.push_back({record.fullPath, record.flags});
    return entries;
}

BOOL CExtractDlg::OnInitDialog() {
    m_folders.lastFolder = ReadIniString(kSettingsSection, kLastUnZipPathKey, kStringBuffer);
    m_folders.tempFolder = TempFolder(kTempFolderLimit);
    m_folders.documentsFolder = SpecialFolder(CSIDL_PERSONAL);

    for (const FlagBox& box : kFlagBoxes) SetChecked(box.id, (m_unZipFlags & box.bit) != 0);
    SetItemText(IDC_EX_DESTINATION, InitialDestination(m_unZipFlags, m_folders));

    // Nothing selected: only all files can be extracted.
    const int mode = m_selection.empty() ? kExtractAllFiles : m_mode;
    SetChecked(IDC_EX_SELECTED_FILES, (mode & kExtractSelectedFiles) != 0);
    SetChecked(IDC_EX_ALL_FILES, (mode & kExtractAllFiles) != 0);
    EnableItem(IDC_EX_SELECTED_FILES, !m_selection.empty());
    SendItem(IDC_EX_PROGRESS, PBM_SETRANGE32, 0, 100);
    return TRUE;
}

void CExtractDlg::ShowFolder(ExtractDestination destination) {
    if (!m_busy) SetItemText(IDC_EX_DESTINATION, FolderFor(destination, m_folders));
}

void CExtractDlg::Browse() {
    if (m_busy) return;
    std::optional<std::string> folder = m_prompts.prompts.browseFolder(Handle(), kBrowseTitle);
    if (!folder) return;
    for (const DestinationButton& button : kDestinationButtons) SetChecked(button.id, false);
    SetItemText(IDC_EX_DESTINATION, *folder);
}

void CExtractDlg::OnOK() {
    if (!m_busy) Extract();
}

void CExtractDlg::OnCancel() {
    m_cancel = 1;
    if (m_running) {
        // The running batch stops at the library's next report and leaves no
        // partial file; the extraction then ends the dialog.
        m_running->Abort();
        return;
    }
    EndDialog(IDCANCEL);
}

void CExtractDlg::SetBar(int position) {
    m_lastPercent = position;
    SendItem(IDC_EX_PROGRESS, PBM_SETPOS, WPARAM(position));
}

void CExtractDlg::Extract() {
    const int options =
        ExtractOptionsFor(IsChecked(IDC_EX_RENAME), IsChecked(IDC_EX_OVERWRITE), IsChecked(IDC_EX_FOLDER_NAMES));
    const std::string destination = ItemText(IDC_EX_DESTINATION);
    if (destination.empty()) {
        m_prompts.prompts.message(Handle(), kNoDestination, MB_OK, nullptr);
        return;
    }
    const bool all = IsChecked(IDC_EX_ALL_FILES);
    if (all && m_archive.empty()) return;  // nothing to extract from; the dialog stays
    const bool remember = RemembersLastFolder(IsChecked(IDC_EX_DEFAULT_FOLDER), IsChecked(IDC_EX_TEMP_FOLDER));

    ExtractionHooks hooks;
    hooks.askPassword = [this] { return m_prompts.askPassword(Handle(), kPasswordPrompt); };
    hooks.setProgress = [this](int position) { SetBar(position); };
    hooks.setFollowProgress = [this](int follow) { m_followProgress = follow; };
    hooks.cancelled = [this] { return m_cancel != 0; };

    m_busy = true;
    int extracted = 0;
    {
        CExtraction extraction(Handle(), m_archive, destination, options, std::move(hooks));
        m_running = &extraction;
        if (all) extracted = extraction.ExtractAll();
        else if (IsChecked(IDC_EX_SELECTED_FILES)) extracted = extraction.ExtractSelected(m_selection);
        m_running = nullptr;
        const std::string report = extraction.PasswordReport();
        if (!report.empty()) m_prompts.prompts.message(Handle(), report, MB_OK | MB_ICONWARNING, nullptr);
    }
    if (m_cancel) {
        EndDialog(IDCANCEL);
        return;
    }
    if (extracted && remember) WriteIniString(kSettingsSection, kLastUnZipPathKey, destination);
    // The bar shows where the work ended for a moment before the dialog goes.
    StartTimer(kCloseTimer, kCloseDelayMs);
}

void CExtractDlg::OnZipProgress(int percent) {
    if (m_followProgress && percent != m_lastPercent) {
        m_lastPercent = percent;
        SetBar(percent);
    }
    LetUserIn();
}

void CExtractDlg::LetUserIn() {
    const DWORD now = ::GetTickCount();
    if (now - m_lastLetIn < kLetInEveryMs) return;
    m_lastLetIn = now;
    MSG msg;
    for (int i = 0; i < kMessagesLetIn && ::PeekMessageA(&msg, Handle(), 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(int(msg.wParam));
            break;
        }
        if (!::IsDialogMessageA(Handle(), &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

}  // namespace tb
