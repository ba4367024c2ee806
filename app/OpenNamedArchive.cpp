#include "app/OpenNamedArchive.h"

#include <windows.h>

#include "app/Globals.h"
#include "browser/TallyboxView.h"
#include "editor/EditorOperations.h"
#include "framework/Handles.h"
#include "framework/Text.h"

namespace tb {

OpenNamedPlan PlanOpenNamed(const std::string& name, unsigned long long fileSize, int editFlags, bool handedOver) {
    OpenNamedPlan plan;
    const std::string upper = ToUpper(name);
    const bool blank = StartsWith(upper, "BLANK.ZIP");
    plan.empty = fileSize == 0 ? 1 : 0;
    if (plan.empty || (editFlags & kEditOpenInEditor) || blank) {
        plan.openEditor = true;
        plan.presetArchive = !blank;
        plan.archive = handedOver ? upper : name;
    } else {
        plan.archive = name;
    }
    return plan;
}

unsigned long long FindFileSize(const std::string& name) {
    WIN32_FIND_DATAA data{};
    UniqueFind find(::FindFirstFileA(name.c_str(), &data));
    return find ? (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow : 0;
}

void OpenNamedArchive(const std::string& name, bool handedOver) {
    const OpenNamedPlan plan = PlanOpenNamed(name, FindFileSize(name), gSettings.Edit, handedOver);
    if (plan.openEditor) {
        EditorRequest request;
        request.presetArchive = plan.presetArchive;
        request.archive = plan.archive;
        request.isNew = plan.empty;
        if (gView) gView->OpenEditor(request);
        return;
    }
    if (gView) gView->ShowNamedArchive(plan.archive);
}

}  // namespace tb
