#include "framework/UserPrompts.h"

#include "framework/Shell.h"
#include "framework/Window.h"

namespace tb {

UserPrompts SystemPrompts() {
    UserPrompts prompts;
    prompts.message = [](HWND owner, const std::string& text, UINT flags, const char* caption) {
        return ShowMessage(owner, text, flags, caption);
    };
    prompts.browseFolder = [](HWND owner, const std::string& title) { return BrowseForFolder(owner, title); };
    return prompts;
}

}  // namespace tb
