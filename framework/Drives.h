#pragma once
// The computer's drives as the program lists them: the root strings the system
// gives (letter, colon, backslash), each with the suffix of its kind.

#include <windows.h>

#include <string>
#include <vector>

namespace tb {

// GetLogicalDriveStrings into a buffer of 114 characters; at most 26 roots.
std::vector<std::string> LogicalDriveRoots();

// GetDriveType of a root. Tests may replace it (a removable or network drive
// cannot be made under Wine) with SetDriveTypeSeam; null restores the system's.
UINT DriveTypeOf(const std::string& root);
using DriveTypeFunction = UINT (*)(const std::string& root);
void SetDriveTypeSeam(DriveTypeFunction function);

// " (Removable)", " (Local Hard Disk)", " (Remote/Network)", " (CD)", " (Ram Disk)" or "".
const char* DriveKindSuffix(UINT driveType);

// The list line of a drive: its root followed by the suffix of its kind.
std::string DriveListItem(const std::string& root);

// Fills a list box with every drive's line (the list may sort them) and
// selects, for each letter a..z that occurs in `letters` (exact comparison),
// the first line beginning with it.
void FillDriveList(HWND listBox, const std::string& letters);

}  // namespace tb
