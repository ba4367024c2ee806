#pragma once
// The extractor's command line: /s (no questions, no windows), /d=FOLDER
// (the destination) and /p=PASSWORD. Switch letters in either case, "-" for
// "/", values in double quotes or not.

#include <string>

#include "sfx/WideText.h"
#include <vector>

namespace tb::sfx {

struct StubSwitches {
    bool silent = false;
    bool haveFolder = false;
    WideString folder;
    bool havePassword = false;
    WideString password;
};

// Parses the arguments after the program's name; false, with the first unknown
// argument in `bad`, when there is one (the others are still taken).
bool ParseSwitches(const std::vector<WideString>& arguments, StubSwitches& switches, WideString& bad);

}  // namespace tb::sfx

namespace tb::sfx {

// The folder proposed for extraction: the script's default folder with its
// %VARIABLES% expanded, a relative one taken below `programFolder`, and the
// program's folder itself when the script leaves it empty.
WideString ProposedFolder(const WideString& scriptFolder, const WideString& programFolder);
// A folder typed by the user or given with /d=, made absolute against the
// current folder.
WideString AbsoluteFolder(const WideString& folder);

}  // namespace tb::sfx
