#include "settings/SettingsFilesPP.h"

#include "framework/Text.h"
#include "monitor/FileTypeListDlg.h"
#include "monitor/FileTypes.h"
#include "res/resource.h"

namespace tb {

namespace {
constexpr size_t kMaxExcludedFiles = 10000;
constexpr int kDescriptionTabStop = 48;  // dialog units
}  // namespace

namespace {

// Both lists are kept upper-cased (as the settings file stores them), so that
// ".xyz" typed by hand still takes ".XYZ" out of the other list.
void SetTypeList(std::string& list, std::string& other, const std::string& edited) {
    list = ToUpper(edited);
    other = ToUpper(other);
    for (const std::string& entry : TypeListEntries(list))
        if (!entry.empty())
            while (RemoveFromTypeList(other, entry)) {
            }
}

}  // namespace

void SetMonitoredTypes(SettingsRecord& record, const std::string& list) {
    SetTypeList(record.FileTypes, record.ExcludeTypes, list);
}

void SetExcludedTypes(SettingsRecord& record, const std::string& list) {
    SetTypeList(record.ExcludeTypes, record.FileTypes, list);
}

std::string ExcludedFilesFromLines(const std::vector<std::string>& lines) {
    std::string list;
    for (size_t i = 0; i < lines.size() && i < kMaxExcludedFiles; ++i) list += lines[i] + ";";
    return list;
}

SettingsFilesPP::SettingsFilesPP(SettingsRecord& record) : CSettingsPage(IDD_SETTINGS_FILES, record) {
    Map().OnCommand(IDC_FT_EDIT_TYPES, [this] { EditTypes(CFileTypeListDlg::kMonitoredTypes); });
    Map().OnCommand(IDC_FT_EDIT_EXCLUDED, [this] { EditTypes(CFileTypeListDlg::kExcludedTypes); });
    Map().OnCommand(IDC_FT_ADD_FILE, [this] { AddFile(); });
    Map().OnCommand(IDC_FT_REMOVE_FILE, [this] { RemoveFile(); });
}

BOOL SettingsFilesPP::OnInitDialog() {
    for (int id : {IDC_FT_TYPES, IDC_FT_EXCLUDED}) CListBox(Item(id)).SetTabStops(&kDescriptionTabStop, 1);
    return CSettingsPage::OnInitDialog();
}

void SettingsFilesPP::Refill() {
    CListBox types(Item(IDC_FT_TYPES));
    types.Reset();
    for (const std::string& entry : TypeListEntries(m_record.FileTypes))
        if (!entry.empty()) types.Add(DescribeFileType(entry));

    CListBox excluded(Item(IDC_FT_EXCLUDED));
    excluded.Reset();
    for (const std::string& entry : TypeListEntries(m_record.ExcludeTypes))
        if (!entry.empty()) excluded.Add(DescribeFileType(entry));

    CListBox files(Item(IDC_FT_FILES));
    files.Reset();
    for (const std::string& entry : TypeListEntries(m_record.ExcludeFiles))
        if (!entry.empty()) files.Add(entry);
}

void SettingsFilesPP::EditTypes(int mode) {
    const bool monitored = mode == CFileTypeListDlg::kMonitoredTypes;
    std::optional<std::string> edited;
    if (m_services.editTypeList)
        edited = m_services.editTypeList(m_hwnd, mode, monitored ? m_record.FileTypes : m_record.ExcludeTypes);
    if (edited) {
        if (!FitsSettingsText(*edited))
            Tell(TooLongMessage(monitored ? "file types to archive" : "file types not to archive", edited->size()));
        else if (monitored)
            SetMonitoredTypes(m_record, *edited);
        else
            SetExcludedTypes(m_record, *edited);
    }
    Refill();
}

void SettingsFilesPP::AddFile() {
    std::optional<std::string> name;
    if (m_services.pickFileName) name = m_services.pickFileName(m_hwnd);
    if (name) {
        const std::string list = m_record.ExcludeFiles + *name + ";";
        if (FitsSettingsText(list)) m_record.ExcludeFiles = list;
        else Tell(TooLongMessage("excluded files", list.size()));
    }
    ::SetFocus(m_hwnd);
    Refill();
}

void SettingsFilesPP::RemoveFile() {
    CListBox files(Item(IDC_FT_FILES));
    const int selected = files.CurSel();
    if (selected >= 0) files.Delete(selected);
    std::vector<std::string> remaining;
    for (int i = 0; i < files.Count(); ++i) remaining.push_back(files.GetText(i));
    m_record.ExcludeFiles = ExcludedFilesFromLines(remaining);
    ::SetFocus(m_hwnd);
    Refill();
}

}  // namespace tb
