#include "monitor/FileTypes.h"

#include <windows.h>

#include "common/Profile.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include "monitor/NewFileTypeFoundDlg.h"

namespace tb {

namespace {

// The default value of an open key when it is text; nothing otherwise.
std::optional<std::string> ReadDefaultValue(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, nullptr, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::string value(size + 1, '\0');
    if (::RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    value.resize(strnlen(value.c_str(), size));
    return value;
}

// What a buffer of `bufferSize` bytes keeps of a text: at most bufferSize - 1
// bytes, never half a character.
std::string FitBuffer(const std::string& text, unsigned bufferSize) {
    size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

}  // namespace

std::optional<std::string> LookupTypeDescription(const std::string& extension, unsigned bufferSize) {
    // An empty name would open HKEY_CLASSES_ROOT itself.
    if (extension.empty()) return std::nullopt;
    UniqueRegKey typeKey;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, extension.c_str(), 0, KEY_READ, typeKey.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<std::string> className = ReadDefaultValue(typeKey.Get());
    if (!className || className->empty()) return std::nullopt;

    // The class key's description replaces the class name in the buffer; when
    // the class has none, the buffer still holds the class name.
    std::string held = *className;
    UniqueRegKey classKey;
    if (::RegOpenKeyExA(HKEY_CLASSES_ROOT, className->c_str(), 0, KEY_READ, classKey.Put()) == ERROR_SUCCESS) {
        if (std::optional<std::string> description = ReadDefaultValue(classKey.Get())) held = *description;
    }
    held = FitBuffer(held, bufferSize);
    if (held.empty()) return std::nullopt;
    return held;
}

std::string DescribeFileType(const std::string& extension) {
    std::optional<std::string> description = LookupTypeDescription(extension, kDescriptionBuffer);
    if (!description) return "   " + extension + "\t(Unknown file type)";
    return "   " + extension + "\t(" + *description + ")";
}

std::string DescribeFileTypeShort(const std::string& extension) {
    std::string bare = extension.empty() ? std::string() : extension.substr(1);
    std::optional<std::string> description = LookupTypeDescription(extension, kDescriptionBuffer);
    if (!description) return bare + "\t(Unknown type)";
    return bare + "\t(" + *description + ")";
}

int RecommendFileType(const std::string& descriptionLine) {
    for (const char* word : {"unknown", "Intermediate", "Temporary"}) {
        if (ContainsNoCase(descriptionLine, word)) return kRecommendExclude;
    }
    return kRecommendAdd;
}

std::vector<std::string> TypeListEntries(const std::string& list, size_t limit) {
    std::vector<std::string> entries = Split(list, ";", false);
    if (entries.size() > limit) entries.resize(limit);
    return entries;
}

bool TypeListHas(const std::string& list, const std::string& entry) {
    return list.find(entry + ";") != std::string::npos;
}

bool RemoveFromTypeList(std::string& list, const std::string& entry) {
    const std::string wanted = entry + ";";
    for (size_t at = list.find(wanted); at != std::string::npos; at = list.find(wanted, at + 1)) {
        if (at != 0 && list[at - 1] != ';') continue;  // the end of a longer entry
        list.erase(at, wanted.size());
        return true;
    }
    return false;
}

NewTypeDecision AskWithNewFileTypeDialog(const std::string& descriptionLine, int recommendation) {
    CNewFileTypeFoundDlg dialog;
    dialog.Set(descriptionLine, recommendation);
    NewTypeDecision decision;
    decision.answer = int(dialog.DoModal());
    decision.doNotAskAgain = dialog.DoNotAskAgain() != 0;
    return decision;
}

namespace {

// Whether the list with `type` appended still reads back whole.
bool Fits(const std::string& list, const std::string& type) { return list.size() + type.size() + 1 <= kStringBuffer - 1; }

bool AppendType(std::string& list, const std::string& type) {
    if (!Fits(list, type)) return false;
    list += type + ";";
    return true;
}

std::string ListFullMessage(const char* which) {
    return Format("The list of %s is full: the settings file cannot keep more than %u characters of it, so new "
                  "file types are no longer added to it.\n\nRemove the types you do not need on the File Types "
                  "page of the settings.",
                  which, unsigned(kStringBuffer - 1));
}

}  // namespace

int LearnNewFileTypes(const std::vector<std::string>& newTypes, SettingsRecord& settings, const NewTypeAsker& ask,
                      const TypeListFullTeller& tellFull) {
    const int automatic = kGeneralAddAll | kGeneralAddRecommended;
    const bool ignoring = (settings.General & kGeneralIgnoreNewTypes) && !(settings.General & kGeneralLearnMode);
    const bool asking = (settings.Prompts & kPromptNewTypes) || (settings.General & kGeneralLetMeChoose);
    // "Add all new types." and "Add recommeded new types." are what the
    // program does when it may not ask: they are chosen by clearing the
    // question on the Prompts page, by Completely Silent and by "Do not ask
    // again". In learn mode they add the new types themselves; without this
    // the files of every new type would be left out of the archives for good.
    const bool learningAlone = (settings.General & kGeneralLearnMode) && (settings.General & automatic);
    if (ignoring || newTypes.empty() || !(asking || learningAlone)) return 0;

    int changed = 0;
    std::string fullMessage;  // the first list found full
    const auto add = [&](std::string& list, const std::string& type, const char* which) {
        if (AppendType(list, type)) {
            changed = 1;
        } else if (fullMessage.empty()) {
            fullMessage = ListFullMessage(which);
        }
    };
    for (const std::string& type : newTypes) {
        if (!Fits(settings.FileTypes, type) && !Fits(settings.ExcludeTypes, type)) {
            if (fullMessage.empty()) fullMessage = ListFullMessage("file types to archive");
            continue;  // nothing the user could answer would be kept
        }
        const std::string line = DescribeFileType(type);
        const int recommendation = RecommendFileType(line);

        NewTypeDecision decision{0, false};
        if ((settings.Prompts & kPromptNewTypes) && !(settings.General & automatic)) decision = ask(line, recommendation);

        if ((settings.General & automatic) || decision.answer == kNewTypeAdd)
            add(settings.FileTypes, type, "file types to archive");
        if (decision.answer == kNewTypeExclude) add(settings.ExcludeTypes, type, "file types not to archive");
        if (decision.doNotAskAgain) {
            settings.Prompts &= ~kPromptNewTypes;
            settings.General &= ~(kGeneralAddAll | kGeneralLetMeChoose);
            settings.General |= kGeneralAddRecommended;
            changed = 1;
            // Handled once more under the new policy, which adds it (once).
            if (!TypeListHas(settings.FileTypes, type)) add(settings.FileTypes, type, "file types to archive");
        }
    }
    if (!fullMessage.empty() && tellFull) tellFull(fullMessage);
    return changed;
}

}  // namespace tb
