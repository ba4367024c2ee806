// The common file dialog wrapper: what the file name buffer holds after a
// selection, and the real dialog with a panel of ours in it.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <functional>
#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/FileDialog.h"
#include "framework/Text.h"
#include "tests/unit/TestFolder.h"
#include "tests/unit/framework/TestResources.h"

using namespace tb;

namespace {
FileSelection Parse(const std::string& buffer) { return ParseFileSelection(buffer.data(), buffer.size()); }
using Texts = std::vector<std::string>;
}  // namespace

TEST_CASE("the file name buffer: one path, or a folder and names; filters") {
    const FileSelection one = Parse(std::string("C:\\work\\Report.doc\0\0", 20));
    CHECK(one.folder == "C:\\work");
    CHECK(one.Paths() == Texts{"C:\\work\\Report.doc"});
    // A root folder keeps its backslash, once.
    CHECK(Parse(std::string("D:\\a.txt\0\0", 10)).folder == "D:\\");
    CHECK(Parse(std::string("D:\\a.txt\0\0", 10)).Paths() == Texts{"D:\\a.txt"});
    CHECK(Parse(std::string("C:\\\0x.zip\0y.zip\0\0", 17)).Paths() == Texts{"C:\\x.zip", "C:\\y.zip"});
    // Several files: the folder first, then the names in the dialog's order.
    const FileSelection many = Parse(std::string("C:\\My Files\0b.txt\0a long name.doc\0\0", 35));
    CHECK(many.folder == "C:\\My Files");
    CHECK(many.Paths() == Texts{"C:\\My Files\\b.txt", "C:\\My Files\\a long name.doc"});
    // Nothing, and a list cut short by the end of the buffer.
    CHECK(Parse(std::string("\0\0", 2)).names.empty());
    CHECK(Parse(std::string("C:\\d\0one\0tw", 11)).names == Texts{"one", "tw"});

    CHECK(FilterFromBars("Zip (*.zip)|*.zip|All Files (*.*)|*.*||") ==
          std::string("Zip (*.zip)\0*.zip\0All Files (*.*)\0*.*\0\0", 39));
    CHECK(FilterFromBars("(All files *.*)|*.*") == std::string("(All files *.*)\0*.*\0\0", 21));
}

namespace {

class TestPanel : public CFileDialogPanel {
public:
    TestPanel() : CFileDialogPanel(IDD_TEST_PANEL) {
        Map().OnMessage(WM_APP, [this](WPARAM, LPARAM) -> LRESULT {
            if (script) script(*this);
            return 0;
        });
        Map().OnCommand(IDC_TEST_PANEL_END, [this] { EndFileDialog(IDC_TEST_PANEL_END); });
        Map().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
            nameAtClose = FileNameText();
            ++destroyed;
            return 0;
        });
    }
    std::function<void(TestPanel&)> script;
    std::string nameAtClose;
    int initialised = 0;
    int destroyed = 0;

protected:
    BOOL OnInitDialog() override {
        ++initialised;
        Post(WM_APP);  // the script runs once the whole dialog is up
        return TRUE;
    }
};

// Types `names` into the file dialog's name field and presses its Open button.
void TypeAndOpen(TestPanel& panel, const std::string& names) {
    HWND dialog = panel.FileDialog();
    for (int field : {edt1, cmb13}) ::SendMessageA(dialog, CDM_SETCONTROLTEXT, field, LPARAM(names.c_str()));
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(::GetDlgItem(dialog, IDOK)));
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
}

}  // namespace

TEST_CASE("the real file dialog with a panel of ours") {
    TestFolder folder("filedialog");
    const std::string a = folder.File("a.txt", "a");
    const std::string b = folder.File("b.txt", "b");
    const std::string shown = WithoutTrailingSlash(folder.Path(""));

    TestPanel panel;
    CFileDialog dialog(CFileDialog::kOpen, "*.*", "(All files *.*)|*.*||");
    dialog.SetTitle("Select Files");
    dialog.AddFlags(OFN_HIDEREADONLY | OFN_NOCHANGEDIR);
    dialog.SetInitialFolder(shown);
    dialog.SetPanel(panel);
    std::string folderSeen;

    SUBCASE("several files chosen") {
        dialog.AllowMultipleSelection(20000);
        panel.script = [&](TestPanel& p) {
            folderSeen = p.ShownFolder();
            TypeAndOpen(p, "\"a.txt\" \"b.txt\"");
        };
        CHECK(dialog.DoModal(nullptr) == IDOK);
        CHECK(EqualsNoCase(folderSeen, shown));
        const Texts paths = dialog.Paths();
        REQUIRE(paths.size() == 2);
        CHECK(EqualsNoCase(paths[0], a));
        CHECK(EqualsNoCase(paths[1], b));
        CHECK(EqualsNoCase(dialog.Folder(), shown));
    }
    SUBCASE("one file chosen") {
        panel.script = [&](TestPanel& p) { TypeAndOpen(p, "b.txt"); };
        CHECK(dialog.DoModal(nullptr) == IDOK);
        CHECK(EqualsNoCase(dialog.Path(), b));
        CHECK(dialog.Paths().size() == 1);
    }
    SUBCASE("the panel ends the dialog with its own command") {
        dialog.AllowMultipleSelection(20000);
        panel.script = [&](TestPanel& p) {
            for (int field : {edt1, cmb13}) ::SendMessageA(p.FileDialog(), CDM_SETCONTROLTEXT, field, LPARAM("*.doc;*.txt"));
            ::SendMessageA(p.Handle(), WM_COMMAND, MAKEWPARAM(IDC_TEST_PANEL_END, BN_CLICKED),
                           LPARAM(p.Item(IDC_TEST_PANEL_END)));
        };
        CHECK(dialog.DoModal(nullptr) == IDC_TEST_PANEL_END);
        CHECK(dialog.Paths().empty());
        CHECK(dialog.Error() == 0);
        CHECK(EqualsNoCase(dialog.Folder(), shown));
        CHECK(panel.nameAtClose == "*.doc;*.txt");  // the panel still reads the field as it closes
        CHECK(dialog.FileNameText() == "*.doc;*.txt");
    }
    SUBCASE("cancelled") {
        panel.script = [&](TestPanel& p) {
            for (int field : {edt1, cmb13}) ::SendMessageA(p.FileDialog(), CDM_SETCONTROLTEXT, field, LPARAM("typed"));
            ::PostMessageA(p.FileDialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                           LPARAM(::GetDlgItem(p.FileDialog(), IDCANCEL)));
        };
        CHECK(dialog.DoModal(nullptr) == IDCANCEL);
        CHECK(dialog.Paths().empty());
        CHECK(dialog.Error() == 0);
        CHECK(panel.nameAtClose == "typed");
        CHECK(dialog.FileNameText() == "typed");
    }
    CHECK(panel.initialised == 1);
    CHECK(panel.destroyed == 1);
    CHECK(panel.Handle() == nullptr);
}
