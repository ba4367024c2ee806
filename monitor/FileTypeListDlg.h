#pragma once
// The type list editor (dialog 139): edits FileTypes (mode 0) or ExcludeTypes
// (mode 1) by picking from every type registered in Windows, plus one typed
// entry.

#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "res/resource.h"

namespace tb {

// The list text made from the chosen lines of the editor: each line without
// its leading blanks, cut at its first tab, followed by ";".
std::string TypeListFromLines(const std::vector<std::string>& lines);

// What the editor makes of the text typed in its edit box.
enum class TypedType { kNone, kAccepted, kMalformed };
TypedType CheckTypedType(const std::string& typed);
// The typed entry as it joins the list text: followed by ";" (unless it ends
// with one already, as the format shown beside the box has it).
std::string TypedTypeEntry(const std::string& typed);

class CFileTypeListDlg : public CDialog {
public:
    enum Mode { kMonitoredTypes = 0, kExcludedTypes = 1 };

    // Registry keys looked at, and list entries and chosen lines taken, at most.
    static constexpr int kMaxRegistryKeys = 12000;
    static constexpr size_t kMaxListEntries = 2000;
    static constexpr int kMaxChosen = 300;

    CFileTypeListDlg() : CDialog(IDD_FILE_TYPE_LIST) {}

    void Set(int mode, const std::string& list) {
        m_mode = mode;
        m_list = list;
    }
    // After IDOK: the new list text.
    const std::string& List() const { return m_list; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    void FillFromRegistry();
    void SelectListEntries();

    int m_mode = kMonitoredTypes;
    std::string m_list;
};

}  // namespace tb
