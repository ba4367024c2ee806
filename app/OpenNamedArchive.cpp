#include "app/OpenNamedArchive.h"

#include <windows.h>

#include "browser/TallyboxView.h"
#include "common/Settings.h"
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

void OpenNamedArchive(const std::string& name, bool handedOver, int editFlags, CTallyboxView* view) {
    const OpenNamedPlan plan = PlanOpenNamed(name, FindFileSize(name), editFlags, handedOver);
    if (plan.openEditor) {
        EditorRequest request;
        request.presetArchive = plan.presetArchive;
        request.archive = plan.archive;
        request.isNew = plan.empty;
        if (view) view->OpenEditor(request);
        return;
    }
    if (view) view->ShowNamedArchive(plan.archive);
}

}  // namespace tb
