#include "monitor/FileTypeListDlg.h"

#include <optional>

#include "framework/Text.h"
#include "monitor/FileTypes.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr unsigned kEditorDescriptionBuffer = 255;
constexpr int kDescriptionTabStop = 48;  // dialog units
}  // namespace

std::string TypeListFromLines(const std::vector<std::string>& lines) {
    std::string list;
    for (const std::string& line : lines) {
        size_t start = line.find_first_not_of(' ');
        if (start == std::string::npos) continue;
        size_t tab = line.find('\t', start);
        list += line.substr(start, tab == std::string::npos ? std::string::npos : tab - start) + ";";
    }
    return list;
}

TypedType CheckTypedType(const std::string& typed) {
    if (typed.empty()) return TypedType::kNone;
    return typed[0] == '.' ? TypedType::kAccepted : TypedType::kMalformed;
}

std::string TypedTypeEntry(const std::string& typed) {
    return EndsWith(typed, ";") ? typed : typed + ";";
}

BOOL CFileTypeListDlg::OnInitDialog() {
    if (m_mode == kMonitoredTypes) {
        SetItemText(IDC_FTL_TEXT,
                    "Edit the list of File Type(s).\n\nFile(s) of the selected Type(s) will be included in "
                    "automatic archives.");
        SetText("File Types to Monitor for Automatic Archiving.");
    } else {
        SetItemText(IDC_FTL_TEXT, "Edit the list of File Type(s) you DO NOT want to be automatically archived.");
        SetText("File Types NOT to Archive");
    }
    CListBox list(Item(IDC_FTL_LIST));
    list.SetTabStops(&kDescriptionTabStop, 1);
    FillFromRegistry();
    SelectListEntries();
    return TRUE;
}

void CFileTypeListDlg::FillFromRegistry() {
    CListBox list(Item(IDC_FTL_LIST));
    list.Reset();
    char name[256];
    for (DWORD index = 0; index < DWORD(kMaxRegistryKeys); ++index) {
        DWORD length = sizeof name;
        if (::RegEnumKeyExA(HKEY_CLASSES_ROOT, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        if (name[0] == '.') list.Add(DescribeFileType(ToUpper(name)));
    }
}

void CFileTypeListDlg::SelectListEntries() {
    CListBox list(Item(IDC_FTL_LIST));
    for (const std::string& entry : TypeListEntries(m_list, kMaxListEntries)) {
        if (entry.empty()) continue;
        // The whole extension must match: ".DO" is not ".DOC".
        const std::string line = "   " + entry;
        int index = list.FindPrefix(line + "\t");
        if (index < 0) index = int(list.Send(LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(line.c_str())));
        if (index < 0) {
            std::optional<std::string> description = LookupTypeDescription(entry, kEditorDescriptionBuffer);
            index = list.Add(description ? line + "\t(" + *description + ")" : line);
        }
        if (index >= 0) list.Select(index, true);
    }
}

void CFileTypeListDlg::OnOK() {
    CListBox list(Item(IDC_FTL_LIST));
    const int selectedCount = int(list.Send(LB_GETSELCOUNT));
    if (selectedCount > kMaxChosen) {
        MessageBox(Format("At most %d file types can be chosen; %d are selected.\n\n"
                          "Please choose fewer types.",
                          kMaxChosen, selectedCount),
                   MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    std::vector<std::string> lines;
    for (int index : list.SelectedItems(kMaxChosen)) lines.push_back(list.GetText(index));
    std::string newList = TypeListFromLines(lines);

    const std::string typed = ItemText(IDC_FTL_EDIT);
    switch (CheckTypedType(typed)) {
    case TypedType::kAccepted:
        newList += TypedTypeEntry(typed);
        break;
    case TypedType::kMalformed:
        if (MessageBox("File type in edit box not entered in the correct format, Retry?", MB_YESNO, "Error") == IDYES)
            return;
        break;
    case TypedType::kNone:
        break;
    }
    m_list = newList;
    EndDialog(IDOK);
}

}  // namespace tb
