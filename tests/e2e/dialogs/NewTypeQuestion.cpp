// tbnewtype: asks the "New File Type Found !" question about one extension the
// way the archive run asks it (its description line and recommendation from
// the registry), then prints the answer and the "Do not ask again" state:
// "<answer> <0|1>". The end-to-end scenarios operate the dialog from outside.
//
//   tbnewtype.exe .RTF

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "monitor/FileTypes.h"

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const std::string extension = argc > 1 ? argv[1] : ".XYZ";
    const std::string line = tb::DescribeFileType(extension);
    const tb::NewTypeDecision decision = tb::AskWithNewFileTypeDialog(line, tb::RecommendFileType(line));
    std::printf("%d %d\n", decision.answer, decision.doNotAskAgain ? 1 : 0);
    return 0;
}
