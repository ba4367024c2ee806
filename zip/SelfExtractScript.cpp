#include "zip/SelfExtractScript.h"

#include <vector>

#include "framework/Shell.h"
#include "sfx/AdfactryApi.h"

namespace {

// One property of the script's main part: a number, or a text made of the
// caption, the bitmap or a fixed text.
struct Property {
    enum Kind { Number, Caption, Bitmap, Text, RestartCaption } kind;
    int id;
    int number;
    const char* text;
};

constexpr Property N(int id, int number) { return {Property::Number, id, number, nullptr}; }
constexpr Property Caption(int id) { return {Property::Caption, id, 0, nullptr}; }
constexpr Property Bitmap(int id) { return {Property::Bitmap, id, 0, nullptr}; }
constexpr Property T(int id, const char* text) { return {Property::Text, id, 0, text}; }

// Everything after the output name, in its order.
const Property kMainPart[] = {
    N(72500, 1), N(72511, 1), Bitmap(72510), Caption(72501), T(72502, "Preparing to Extract. Please wait..."),
    N(70000, 1), N(70011, 1), Bitmap(70010), Caption(70001),
    T(70002, "Please specify a path....\n\nIf you choose a floppy, ENSURE that the disk is in the drive."),
    N(303, 0), N(302, 0), N(301, 1), N(300, 1),
    N(70100, 1), Caption(70101), T(70102, "This file already exists. \n\nOverwite?"),
    N(70200, 1), Caption(70201), T(70202, "Overwite a Read Only File?"),
    N(72400, 1), N(72411, 1), Bitmap(72410), Caption(72401), T(72402, "Extraction was successful"),
    N(72600, 1), Caption(72601), T(72602, "Error: Could not initialize for extraction"),
    N(804, 0), T(10000, ""),
    N(73100, 1), {Property::RestartCaption, 73101, 0, nullptr},
    T(73102, "Unable to extract files to disk. Disk Error. You may need to restart your machine to be able to "
             "extract files. Please ensure you have a disk in the drive you are trying to extract the files to."),
    T(73120, "Restart Computer Now"), T(73121, "No Restart"),
    N(70300, 32),
    N(70400, 1), Caption(70401), T(70402, "File(s) are password protected. \nPlease enter a password."),
    N(70700, 1), Caption(70701), T(70702, "Incorrect path or path not found."),
    N(70800, 1), Caption(70801), T(70802, "Error overwriting file."),
    N(70900, 1), Caption(70901), T(70902, "Error overwriting read only file."),
    N(71000, 1), Caption(71001), T(71002, "Password Error"),
    N(71100, 2), Caption(71101), T(71102, ""),
    N(71200, 2), Caption(71201), T(71202, ""),
    N(71300, 2), N(71400, 2),
    N(71500, 1), Caption(71501), T(71502, "End of File error."),
    N(71600, 1), Caption(71601),
    T(71602, "Unable to Extract file from Archive. Extraction Path error or archive may be corrupt."),
    N(71700, 1), Caption(71701), T(71702, "Memory low error."),
    N(71800, 1), Caption(71801), T(71802, "Extraction was canceled."),
    N(71900, 1), Caption(71901),
    T(71902, "Could not create output file. \n\nYou may have to re-run this Self-Extracting archive to get all the "
             "files extracted."),
    N(72000, 1), Caption(72001), T(72002, "Could not access Self-Extracting zip file."),
    N(72100, 1), Caption(72101), T(72102, "Archive CRC error. Archive may be corrupt."),
    N(72200, 1), Caption(72201), T(72202, "Disk Full."),
    N(72300, 2), N(72700, 4), N(72900, 4), N(73000, 2), N(73200, 4), N(73300, 4), N(73400, 4),
    N(73500, 1), Caption(73501), T(73502, "Insert Disk."),
};

int Set(ISelfExtractBuilder& b, const std::string& script, const Property& p, const SelfExtractValues& v) {
    switch (p.kind) {
    case Property::Number: return b.SetNumber(script, p.id, p.number);
    case Property::Caption: return b.SetText(script, p.id, v.caption);
    case Property::Bitmap: return b.SetText(script, p.id, v.bitmap);
    case Property::RestartCaption: return b.SetText(script, p.id, "Restart System - " + v.caption);
    case Property::Text: break;
    }
    return b.SetText(script, p.id, p.text);
}

}  // namespace

CAdfactryLibrary::CAdfactryLibrary() { Load(tb::ProgramFolder() + tb::sfx::kAdfactryDll); }

CAdfactryLibrary::CAdfactryLibrary(const std::string& path) { Load(path); }

void CAdfactryLibrary::Load(const std::string& path) {
    m_module.Reset(::LoadLibraryA(path.c_str()));
    if (!m_module) return;
    m_new = ::GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(tb::sfx::kOrdinalNewScript));
    m_number = ::GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(tb::sfx::kOrdinalSetNumber));
    m_text = ::GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(tb::sfx::kOrdinalSetText));
    m_build = ::GetProcAddress(m_module.Get(), MAKEINTRESOURCEA(tb::sfx::kOrdinalBuild));
}

bool CAdfactryLibrary::Loaded() const { return m_new && m_number && m_text && m_build; }

int CAdfactryLibrary::NewScript(const std::string& script) {
    if (!Loaded()) return kNotLoaded;
    return reinterpret_cast<tb::sfx::NewScriptFn>(m_new)(script.c_str());
}

int CAdfactryLibrary::SetNumber(const std::string& script, int id, int number) {
    if (!Loaded()) return kNotLoaded;
    return reinterpret_cast<tb::sfx::SetNumberFn>(m_number)(script.c_str(), id, number);
}

int CAdfactryLibrary::SetText(const std::string& script, int id, const std::string& text) {
    if (!Loaded()) return kNotLoaded;
    return reinterpret_cast<tb::sfx::SetTextFn>(m_text)(script.c_str(), id, text.c_str());
}

int CAdfactryLibrary::Build(const std::string& script) {
    if (!Loaded()) return kNotLoaded;
    return reinterpret_cast<tb::sfx::BuildFn>(m_build)(script.c_str(), 0);
}

SelfExtractResult WriteAndBuildSelfExtractor(ISelfExtractBuilder& b, const std::string& script,
                                             const SelfExtractValues& v, const std::function<void()>& working) {
    SelfExtractResult result;
    b.NewScript(script);
    b.SetText(script, 103, v.iconSource);
    if (working) working();
    int status = b.SetNumber(script, 403, 1);
    if (status != 0) {
        result.code = status;
        return result;
    }
    result.scriptCreated = true;
    status = b.SetNumber(script, 0, 0);
    if (status == 0) status = b.SetNumber(script, 200, 2);
    if (status == 0) status = b.SetText(script, 203, v.extractFolder);
    if (status == 0) {
        b.SetNumber(script, 600, 1);
        b.SetNumber(script, 70611, 1);
        b.SetText(script, 70610, v.bitmap);
        b.SetText(script, 70601, v.caption);
        status = b.SetText(script, 70602, "Percentage Done extracting files....");
    }
    if (status == 0) status = b.SetText(script, 100, v.source);
    if (status == 0) status = b.SetText(script, 101, v.output);
    if (status == 0) {
        for (const Property& p : kMainPart) status = Set(b, script, p, v);
    }
    if (status == 0) status = b.Build(script);
    result.code = status;
    return result;
}
