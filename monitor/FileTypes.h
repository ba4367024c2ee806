#pragma once
// What the program knows about file types: their descriptions from the
// registry (HKEY_CLASSES_ROOT), the recommendation to add or exclude a type,
// the type list texts (".DOC;.TXT;") and the learning step of the automatic
// archive run.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Settings.h"
#include "res/resource.h"

namespace tb {

// The description of a type as the registry gives it: the default value of
// HKCR\<extension> (the class name), then the default value of HKCR\<class>
// read into the same buffer of `bufferSize` bytes. Nothing when neither can be
// read or the text is empty. A value longer than the buffer shows as much of
// it as the buffer holds (bufferSize - 1 characters).
std::optional<std::string> LookupTypeDescription(const std::string& extension, unsigned bufferSize);

// The registry buffer of the description lines.
constexpr unsigned kDescriptionBuffer = 30;

// "   .DOC\t(description)", or "   .XYZ\t(Unknown file type)".
std::string DescribeFileType(const std::string& extension);
// "DOC\t(description)", or "XYZ\t(Unknown type)" (the archive editor's form).
std::string DescribeFileTypeShort(const std::string& extension);

enum TypeRecommendation : int { kRecommendExclude = 0, kRecommendAdd = 1 };
// EXCLUDE when the description line holds "unknown", "Intermediate" or
// "Temporary" in any case; ADD otherwise.
int RecommendFileType(const std::string& descriptionLine);

// The entries of a type list or ExcludeFiles text: the pieces before each
// ";" (text after the last ";" is not an entry), at most `limit` of them.
std::vector<std::string> TypeListEntries(const std::string& list, size_t limit = 2000);
// True when the list text holds `entry` followed by ";".
bool TypeListHas(const std::string& list, const std::string& entry);
// Removes the first whole entry `entry` (with its ";") from the list text:
// ".GZ" takes ".GZ;" out of ".TAR.GZ;.GZ;", never the end of ".TAR.GZ;".
// False when the list holds no such entry.
bool RemoveFromTypeList(std::string& list, const std::string& entry);

// Answers of the "New File Type Found !" dialog.
enum NewTypeAnswer : int { kNewTypeAdd = IDC_NFT_ADD, kNewTypeIgnore = IDC_NFT_IGNORE, kNewTypeExclude = IDC_NFT_EXCLUDE };

struct NewTypeDecision {
    int answer = kNewTypeIgnore;
    bool doNotAskAgain = false;
};

// Asks the user about one new type (its description line and the
// recommendation). The program's asker shows dialog 143; tests give their own.
using NewTypeAsker = std::function<NewTypeDecision(const std::string& descriptionLine, int recommendation)>;
NewTypeDecision AskWithNewFileTypeDialog(const std::string& descriptionLine, int recommendation);

// Told, at most once per learning step, that a type list is full: a type was
// not added because the list would no longer be read back whole.
using TypeListFullTeller = std::function<void(const std::string& message)>;

// The learning step of the archive run: offers, adds or excludes each of the
// new types (dotted, upper-case extensions in order of first appearance) as
// the General and Prompts bits of `settings` say, appending accepted types to
// FileTypes or ExcludeTypes. May also change General and Prompts ("Do not ask
// again"). Returns 1 when a type list changed, 0 otherwise.
//
// A type list never grows past what the settings file reads back whole
// (kStringBuffer - 1 characters): a type that does not fit is not added, and
// `tellFull` hears of it; a type that fits in neither list is not asked about.
int LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings,
                      const NewTypeAsker& ask = AskWithNewFileTypeDialog, const TypeListFullTeller& tellFull = nullptr);

}  // namespace tb
