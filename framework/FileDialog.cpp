#include "framework/FileDialog.h"

#include <commctrl.h>

#include <algorithm>

#include "framework/Application.h"
#include "framework/Guard.h"
#include "framework/Path.h"

namespace tb {

namespace {

// A text the common dialog hands out through a CDM_ message, asked with a
// buffer that grows when the dialog says it needs more.
std::string DialogText(HWND dialog, UINT message) {
    std::vector<char> buffer(MAX_PATH * 2, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        LRESULT needed = ::SendMessageA(dialog, message, WPARAM(buffer.size()), LPARAM(buffer.data()));
        if (needed < 0) return {};
        if (size_t(needed) <= buffer.size()) return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
        buffer.assign(size_t(needed) + 1, '\0');
    }
    return {};
}

}  // namespace

std::vector<std::string> FileSelection::Paths() const {
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(JoinPath(folder, name));
    return paths;
}

FileSelection ParseFileSelection(const char* buffer, size_t size) {
    std::vector<std::string> texts;
    size_t at = 0;
    while (at < size && buffer[at] != '\0') {
        const size_t length = strnlen(buffer + at, size - at);
        texts.emplace_back(buffer + at, length);
        at += length + 1;
    }
    FileSelection selection;
    if (texts.empty()) return selection;
    if (texts.size() > 1) {
        selection.folder = texts[0];
        selection.names.assign(texts.begin() + 1, texts.end());
        return selection;
    }
    const std::string& path = texts[0];
    const size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        selection.names.push_back(path);
        return selection;
    }
    selection.folder = path.substr(0, slash);
    // The root keeps its backslash: "C:\a.txt" is in "C:\", not in "C:".
    if (selection.folder.size() == 2 && selection.folder[1] == ':') selection.folder += '\\';
    selection.names.push_back(path.substr(slash + 1));
    return selection;
}

std::string FilterFromBars(const std::string& bars) {
    std::string filter = bars;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    // Two NULs end the list, whether or not the text ended with "||".
    while (filter.size() < 2 || filter[filter.size() - 1] != '\0' || filter[filter.size() - 2] != '\0')
        filter.push_back('\0');
    return filter;
}

std::string CFileDialogPanel::FileNameText() const {
    // While the dialog closes its fields no longer answer: the text they held
    // was kept as the closing began.
    if (m_fileDialog && m_fileDialog->m_closing) return m_fileDialog->m_fileNameText;
    return DialogText(FileDialog(), CDM_GETSPEC);
}

std::string CFileDialogPanel::ShownFolder() const { return DialogText(FileDialog(), CDM_GETFOLDERPATH); }

void CFileDialogPanel::EndFileDialog(INT_PTR command) {
    if (!m_fileDialog) return;
    m_fileDialog->m_endCommand = command;
    m_fileDialog->NoteClosing(FileDialog());
    // The dialog closes the way its own Cancel button closes it, so that the
    // common dialog tidies up and reports that nothing was chosen.
    HWND dialog = FileDialog();
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), LPARAM(::GetDlgItem(dialog, IDCANCEL)));
}

CFileDialog::CFileDialog(Mode mode, std::string initialName, const std::string& filterBars)
    : m_mode(mode), m_initialName(std::move(initialName)),
      m_filter(filterBars.empty() ? std::string() : FilterFromBars(filterBars)) {}

void CFileDialog::AllowMultipleSelection(size_t bufferChars) {
    m_flags |= OFN_ALLOWMULTISELECT;
    m_bufferChars = bufferChars;
}

std::string CFileDialog::Path() const {
    return m_selection.names.empty() ? std::string() : JoinPath(m_selection.folder, m_selection.names.front());
}

void CFileDialog::NoteFolder(HWND dialog) {
    std::string folder = DialogText(dialog, CDM_GETFOLDERPATH);
    if (!folder.empty()) m_folder = folder;
}

void CFileDialog::NoteClosing(HWND dialog) {
    NoteFolder(dialog);
    m_fileNameText = DialogText(dialog, CDM_GETSPEC);
    m_closing = true;
}

// Watches the file dialog itself for the commands that may close it, to keep
// what its fields hold before they are gone.
LRESULT CALLBACK CFileDialog::WatchClosing(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR id, DWORD_PTR data) {
    auto* self = reinterpret_cast<CFileDialog*>(data);
    const bool mayClose = (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) ||
                          message == WM_CLOSE || (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE);
    if (!mayClose) {
        if (message == WM_NCDESTROY) ::RemoveWindowSubclass(dialog, &CFileDialog::WatchClosing, id);
        return ::DefSubclassProc(dialog, message, wParam, lParam);
    }
    const bool wasClosing = self->m_closing;
    Guarded("file dialog", 0, [&] {
        self->NoteClosing(dialog);
        return 0;
    });
    const LRESULT result = ::DefSubclassProc(dialog, message, wParam, lParam);
    // An OK that only opened a folder leaves the dialog up.
    if (::IsWindowVisible(dialog)) self->m_closing = wasClosing;
    return result;
}

UINT_PTR CALLBACK CFileDialog::Hook(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CFileDialog*>(reinterpret_cast<OPENFILENAMEA*>(lParam)->lCustData);
        ::SetWindowLongPtrA(child, GWLP_USERDATA, LONG_PTR(self));
        ::SetWindowSubclass(::GetParent(child), &CFileDialog::WatchClosing, 1, DWORD_PTR(self));
        if (!self->m_panel) return TRUE;
        self->m_panel->m_fileDialog = self;
        return CFileDialogPanel::StaticDialogProc(child, message, wParam, LPARAM(self->m_panel));
    }
    auto* self = reinterpret_cast<CFileDialog*>(::GetWindowLongPtrA(child, GWLP_USERDATA));
    if (!self) return FALSE;
    if (message == WM_NOTIFY) {
        const UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        if (code == CDN_INITDONE || code == CDN_FOLDERCHANGE || code == CDN_FILEOK)
            Guarded("file dialog", 0, [&] {
                self->NoteFolder(::GetParent(child));
                return 0;
            });
    }
    if (!self->m_panel) return FALSE;
    return CFileDialogPanel::StaticDialogProc(child, message, wParam, lParam);
}

INT_PTR CFileDialog::DoModal(HWND owner) {
    if (owner == kMainWindowOwner) owner = CApplication::MainWindowHandle();
    std::vector<char> buffer(std::max(m_bufferChars, m_initialName.size() + 1) + 2, '\0');
    std::copy(m_initialName.begin(), m_initialName.end(), buffer.begin());

    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.hInstance = ::GetModuleHandleA(nullptr);
    dialog.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = DWORD(buffer.size());
    dialog.lpstrInitialDir = m_initialFolder.empty() ? nullptr : m_initialFolder.c_str();
    dialog.lpstrTitle = m_title.empty() ? nullptr : m_title.c_str();
    dialog.lpstrDefExt = m_defaultExtension.empty() ? nullptr : m_defaultExtension.c_str();
    // The hook is always there: it follows the folder the dialog shows.
    dialog.Flags = m_flags | OFN_EXPLORER | OFN_ENABLEHOOK | (m_panel ? OFN_ENABLETEMPLATE : 0);
    dialog.lpfnHook = &CFileDialog::Hook;
    dialog.lpTemplateName = m_panel ? MAKEINTRESOURCEA(m_panel->TemplateId()) : nullptr;
    dialog.lCustData = LPARAM(this);

    m_selection = FileSelection();
    m_folder = m_initialFolder;
    m_endCommand = 0;
    m_error = 0;
    m_fileNameText.clear();
    m_closing = false;
    const BOOL chosen = m_mode == kOpen ? ::GetOpenFileNameA(&dialog) : ::GetSaveFileNameA(&dialog);
    if (m_panel) m_panel->m_fileDialog = nullptr;
    if (chosen) {
        m_selection = ParseFileSelection(buffer.data(), buffer.size());
        if (!m_selection.folder.empty()) m_folder = m_selection.folder;
        return IDOK;
    }
    if (m_endCommand) return m_endCommand;
    m_error = ::CommDlgExtendedError();
    return IDCANCEL;
}

}  // namespace tb
