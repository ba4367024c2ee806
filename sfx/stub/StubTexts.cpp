#include "sfx/stub/StubTexts.h"

#include "sfx/ScriptIds.h"
#include "sfx/WideText.h"

namespace tb::sfx {

namespace {

struct DefaultText {
    uint32_t group;
    const char* text;
};

// What each screen and message says when the script does not say it.
constexpr DefaultText kDefaults[] = {
    {ids::kPrepareScreen, "Preparing to Extract. Please wait..."},
    {ids::kFolderScreen, "Please specify a path...."},
    {ids::kProgressScreen, "Percentage Done extracting files...."},
    {ids::kSuccessScreen, "Extraction was successful"},
    {ids::kOverwriteQuestion, "This file already exists. \n\nOverwite?"},
    {ids::kReadOnlyQuestion, "Overwite a Read Only File?"},
    {ids::kPasswordPrompt, "File(s) are password protected. \nPlease enter a password."},
    {ids::kPathError, "Incorrect path or path not found."},
    {ids::kOverwriteError, "Error overwriting file."},
    {ids::kReadOnlyError, "Error overwriting read only file."},
    {ids::kPasswordError, "Password Error"},
    {ids::kEndOfFileError, "End of File error."},
    {ids::kExtractError, "Unable to Extract file from Archive. Extraction Path error or archive may be corrupt."},
    {ids::kMemoryError, "Memory low error."},
    {ids::kCancelled, "Extraction was canceled."},
    {ids::kCreateError, "Could not create output file. \n\nYou may have to re-run this Self-Extracting archive to get all the files extracted."},
    {ids::kAccessError, "Could not access Self-Extracting zip file."},
    {ids::kCrcError, "Archive CRC error. Archive may be corrupt."},
    {ids::kDiskFull, "Disk Full."},
    {ids::kInitError, "Error: Could not initialize for extraction"},
    {ids::kDiskError, "Unable to extract files to disk. Disk Error. You may need to restart your machine to be able to extract files. Please ensure you have a disk in the drive you are trying to extract the files to."},
    {ids::kInsertDisk, "Insert Disk."},
};

constexpr char kDefaultTitle[] = "Self-Extracting Archive";

}  // namespace

bool CStubTexts::Shown(uint32_t group) const { return Number(group, 1) != 0; }

int CStubTexts::Number(uint32_t id, int fallback) const {
    return m_payload ? m_payload->script.NumberOr(id, fallback) : fallback;
}

WideString CStubTexts::Text(uint32_t id, const char* fallback) const {
    if (m_payload) {
        if (auto text = m_payload->script.Text(id)) return Widen(*text);
    }
    return Widen(fallback);
}

WideString CStubTexts::Title(uint32_t group) const {
    WideString title = Text(group + ids::kTitle, "");
    if (title.empty()) title = Text(ids::kProgressScreen + ids::kTitle, "");
    return title.empty() ? Widen(kDefaultTitle) : title;
}

WideString CStubTexts::Message(uint32_t group) const {
    const char* fallback = "";
    for (const DefaultText& d : kDefaults)
        if (d.group == group) fallback = d.text;
    WideString text = Text(group + ids::kMessage, fallback);
    return text.empty() ? Widen(fallback) : text;
}

const std::string* CStubTexts::Picture(uint32_t group) const {
    if (!m_payload || Number(group + ids::kBitmapShown, 0) == 0) return nullptr;
    auto name = m_payload->script.Text(group + ids::kBitmap);
    if (!name) return nullptr;
    auto file = m_payload->files.find(*name);
    return file == m_payload->files.end() ? nullptr : &file->second;
}

}  // namespace tb::sfx
