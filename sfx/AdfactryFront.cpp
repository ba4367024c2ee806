// adfactry.dll: the four functions of the builder, by ordinal only (adfactry.def),
// called through to their code in DUNZIP32.dll beside it (sfx/Adfactry.cpp).
#include "dll/CoreLink.h"
#include "sfx/AdfactryApi.h"

using tb::corelink::CallCore;
using namespace tb::sfx;

extern "C" {

int WINAPI SfxNewScript(const char* script) {
    return CallCore<NewScriptFn>("SfxNewScript", kSfxInternal, script);
}

int WINAPI SfxSetNumber(const char* script, int id, int number) {
    return CallCore<SetNumberFn>("SfxSetNumber", kSfxInternal, script, id, number);
}

int WINAPI SfxSetText(const char* script, int id, const char* text) {
    return CallCore<SetTextFn>("SfxSetText", kSfxInternal, script, id, text);
}

int WINAPI SfxBuild(const char* script, int reserved) {
    return CallCore<BuildFn>("SfxBuild", kSfxInternal, script, reserved);
}

}  // extern "C"
