#pragma once
// The property script of a self-extracting program as the program writes it:
// every property, in its order, through the builder library's four functions,
// and then the build.

#include <windows.h>

#include <functional>
#include <string>

#include "framework/Handles.h"

// The builder library's four functions.
class ISelfExtractBuilder {
public:
    virtual ~ISelfExtractBuilder() = default;
    virtual int NewScript(const std::string& script) = 0;
    virtual int SetNumber(const std::string& script, int id, int number) = 0;
    virtual int SetText(const std::string& script, int id, const std::string& text) = 0;
    virtual int Build(const std::string& script) = 0;
};

// adfactry.dll, loaded from beside the program (or from `path`), its functions
// taken by ordinal. When it cannot be loaded every call returns kNotLoaded.
class CAdfactryLibrary : public ISelfExtractBuilder {
public:
    static constexpr int kNotLoaded = -1;

    CAdfactryLibrary();
    explicit CAdfactryLibrary(const std::string& path);
    bool Loaded() const;

    int NewScript(const std::string& script) override;
    int SetNumber(const std::string& script, int id, int number) override;
    int SetText(const std::string& script, int id, const std::string& text) override;
    int Build(const std::string& script) override;

private:
    void Load(const std::string& path);

    tb::UniqueModule m_module;
    FARPROC m_new = nullptr, m_number = nullptr, m_text = nullptr, m_build = nullptr;
};

// The values the dialog hands to the script.
struct SelfExtractValues {
    std::string caption;
    std::string extractFolder;
    std::string output;
    std::string source;
    std::string bitmap;
    std::string iconSource = "stowaway.exe;0";
};

struct SelfExtractResult {
    bool scriptCreated = false;   // false: "Couldn't create the new script"
    int code = 0;                 // the result of the last call judged
};

// Writes the script at `script` and builds the program; `working` is called
// once the script is started (the dialog shows its working line then).
SelfExtractResult WriteAndBuildSelfExtractor(ISelfExtractBuilder& builder, const std::string& script,
                                             const SelfExtractValues& values, const std::function<void()>& working);
