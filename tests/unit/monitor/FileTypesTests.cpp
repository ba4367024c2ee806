#include <windows.h>

#include <string>
#include <vector>

#include "doctest/doctest.h"
#include "framework/Handles.h"
#include "monitor/FileTypeListDlg.h"
#include "monitor/FileTypes.h"
#include "tests/unit/TestIni.h"

using namespace tb;

namespace {

// Types registered under HKEY_CLASSES_ROOT for the length of one test, and
// removed again afterwards.
class RegisteredTypes {
public:
    ~RegisteredTypes() {
        for (const std::string& key : m_keys) ::RegDeleteTreeA(HKEY_CLASSES_ROOT, key.c_str());
    }
    // HKCR\<extension> = <className>; HKCR\<className> = <description> when given.
    void Add(const std::string& extension, const std::string& className, const char* description) {
        SetDefault(extension, className);
        if (description) SetDefault(className, description);
    }

private:
    void SetDefault(const std::string& key, const std::string& value) {
        UniqueRegKey opened;
        REQUIRE(::RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, opened.Put(),
                                  nullptr) == ERROR_SUCCESS);
        REQUIRE(::RegSetValueExA(opened.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 DWORD(value.size() + 1)) == ERROR_SUCCESS);
        m_keys.push_back(key);
    }
    std::vector<std::string> m_keys;
};

// An asker that records what it was asked and answers from a script.
struct ScriptedAsker {
    explicit ScriptedAsker(std::vector<NewTypeDecision> scripted) : answers(std::move(scripted)) {}
    std::vector<NewTypeDecision> answers;
    std::vector<std::string> lines;
    std::vector<int> recommendations;

    NewTypeAsker Asker() {
        return [this](const std::string& line, int recommendation) {
            lines.push_back(line);
            recommendations.push_back(recommendation);
            REQUIRE(lines.size() <= answers.size());
            return answers[lines.size() - 1];
        };
    }
};

NewTypeAsker NeverAsk() {
    return [](const std::string& line, int) -> NewTypeDecision {
        FAIL("no dialog expected, asked about " << line);
        return {};
    };
}

}  // namespace

TEST_CASE("description lines come from the type's class in the registry") {
    RegisteredTypes types;
    types.Add(".TBDOC", "Tallybox.TestDocument", "Tallybox Test Document");
    types.Add(".TBCLS", "Tallybox.NoSuchClass", nullptr);
    types.Add(".TBEMPTY", "Tallybox.EmptyDescription", "");
    types.Add(".TBLONG", "Tallybox.LongDescription", "A description far longer than thirty bytes");

    CHECK(DescribeFileType(".TBDOC") == "   .TBDOC\t(Tallybox Test Document)");
    CHECK(DescribeFileTypeShort(".TBDOC") == "TBDOC\t(Tallybox Test Document)");
    // The registry ignores case; the extension is shown as given.
    CHECK(DescribeFileType(".tbdoc") == "   .tbdoc\t(Tallybox Test Document)");

    SUBCASE("an unregistered type is unknown") {
        CHECK(DescribeFileType(".XYZQQ") == "   .XYZQQ\t(Unknown file type)");
        CHECK(DescribeFileTypeShort(".XYZQQ") == "XYZQQ\t(Unknown type)");
    }
    SUBCASE("a class without a key of its own shows the class name") {
        CHECK(DescribeFileType(".TBCLS") == "   .TBCLS\t(Tallybox.NoSuchClass)");
    }
    SUBCASE("an empty description is unknown") {
        CHECK(DescribeFileType(".TBEMPTY") == "   .TBEMPTY\t(Unknown file type)");
    }
    SUBCASE("a description longer than the buffer shows what the buffer holds") {
        CHECK(DescribeFileType(".TBLONG") == "   .TBLONG\t(A description far longer than)");
        CHECK(LookupTypeDescription(".TBLONG", 255) == "A description far longer than thirty bytes");
    }
    SUBCASE("an empty extension is never looked up") {
        CHECK(DescribeFileType("") == "   \t(Unknown file type)");
    }
}

TEST_CASE("the recommendation excludes unknown, intermediate and temporary types") {
    CHECK(RecommendFileType("   .XYZ\t(Unknown file type)") == kRecommendExclude);
    CHECK(RecommendFileType("   .TMP\t(temporary file)") == kRecommendExclude);
    CHECK(RecommendFileType("   .OBJ\t(INTERMEDIATE object)") == kRecommendExclude);
    CHECK(RecommendFileType("   .DOC\t(Word Document)") == kRecommendAdd);
    CHECK(RecommendFileType("   .LNK\t(Shortcut)") == kRecommendAdd);

    RegisteredTypes types;
    types.Add(".TBTEMP", "Tallybox.TestTemp", "Tallybox Temporary Data");
    types.Add(".TBDOC", "Tallybox.TestDocument", "Tallybox Test Document");
    CHECK(RecommendFileType(DescribeFileType(".TBTEMP")) == kRecommendExclude);
    CHECK(RecommendFileType(DescribeFileType(".TBDOC")) == kRecommendAdd);
}

TEST_CASE("type list texts: entries, membership and removal") {
    CHECK(TypeListEntries(".DOC;.TXT;") == std::vector<std::string>{".DOC", ".TXT"});
    CHECK(TypeListEntries(".DOC;.TXT") == std::vector<std::string>{".DOC"});  // no ";", no entry
    CHECK(TypeListEntries("").empty());
    std::string many;
    for (int i = 0; i < 2100; ++i) many += ".X;";
    CHECK(TypeListEntries(many).size() == 2000);

    CHECK(TypeListHas(".DOC;.TXT;", ".TXT"));
    CHECK_FALSE(TypeListHas(".DOCX;", ".DOC"));
    std::string list = ".DOC;.TXT;.DOC;";
    RemoveFromTypeList(list, ".DOC");
    CHECK(list == ".TXT;.DOC;");  // one occurrence at a time
    CHECK_FALSE(RemoveFromTypeList(list, ".BAK"));
    CHECK(list == ".TXT;.DOC;");
    // Whole entries only: never the end of a longer one.
    std::string compound = ".TAR.GZ;.TMP;";
    CHECK_FALSE(RemoveFromTypeList(compound, ".GZ"));
    CHECK(compound == ".TAR.GZ;.TMP;");
    compound = ".TAR.GZ;.GZ;.TMP;";
    CHECK(RemoveFromTypeList(compound, ".GZ"));
    CHECK(compound == ".TAR.GZ;.TMP;");
    CHECK(RemoveFromTypeList(compound, ".TAR.GZ"));
    CHECK(compound == ".TMP;");
}

TEST_CASE("learning does nothing unless the settings ask for it") {
    const std::vector<std::string> types{".TBAAA", ".TBBBB"};
    struct Gate {
        const char* why;
        int general;
        int prompts;
    };
    const Gate gates[] = {
        {"ignore new types without learn mode", kGeneralIgnoreNewTypes | kGeneralLetMeChoose | kGeneralAddAll,
         kPromptNewTypes},
        {"the automatic policies without learn mode", kGeneralAddAll | kGeneralAddRecommended, 0},
        {"learn mode without a policy, the prompt or let-me-choose", kGeneralLearnMode, 0},
        {"let me choose without the prompt adds nothing", kGeneralLetMeChoose, 0},
    };
    for (const Gate& gate : gates) {
        CAPTURE(gate.why);
        SettingsRecord record;
        record.General = gate.general;
        record.Prompts = gate.prompts;
        const SettingsRecord before = record;
        CHECK(LearnNewFileTypes(types, record, NeverAsk()) == 0);
        CHECK(record == before);
    }

    SettingsRecord record;
    record.Prompts = kPromptNewTypes;
    CHECK(LearnNewFileTypes({}, record, NeverAsk()) == 0);
}

TEST_CASE("learn mode overrides ignoring new types") {
    SettingsRecord record;
    record.General = kGeneralIgnoreNewTypes | kGeneralLearnMode | kGeneralLetMeChoose;
    record.Prompts = kPromptNewTypes;
    ScriptedAsker asker({{kNewTypeAdd, false}});
    CHECK(LearnNewFileTypes({".TBAAA"}, record, asker.Asker()) == 1);
    CHECK(record.FileTypes == ".TBAAA;");
}

TEST_CASE("the automatic policies add every new type without a dialog") {
    for (int policy : {int(kGeneralAddAll), int(kGeneralAddRecommended)}) {
        CAPTURE(policy);
        SettingsRecord record;
        record.General = policy;
        record.Prompts = kPromptNewTypes;
        record.FileTypes = ".DOC;";
        // An unregistered type is recommended for exclusion, and still added.
        CHECK(LearnNewFileTypes({".TBAAA", ".TBBBB"}, record, NeverAsk()) == 1);
        CHECK(record.FileTypes == ".DOC;.TBAAA;.TBBBB;");
        CHECK(record.ExcludeTypes.empty());
    }
    // Let me choose plus add-all: the gate opens through 0x400 alone.
    SettingsRecord record;
    record.General = kGeneralLetMeChoose | kGeneralAddAll;
    CHECK(LearnNewFileTypes({".TBAAA"}, record, NeverAsk()) == 1);
    CHECK(record.FileTypes == ".TBAAA;");
}

TEST_CASE("in learn mode the automatic policies add new types when the program may not ask") {
    // What the pages store for "Add all new types." (the question cleared with
    // it) and for Completely Silent ("Add recommeded new types.").
    for (int policy : {int(kGeneralAddAll), int(kGeneralAddRecommended)}) {
        CAPTURE(policy);
        SettingsRecord record;
        record.General = kGeneralLearnMode | policy;
        record.Prompts = 0;
        CHECK(LearnNewFileTypes({".TBAAA", ".TBBBB"}, record, NeverAsk()) == 1);
        CHECK(record.FileTypes == ".TBAAA;.TBBBB;");
        CHECK(record.General == (kGeneralLearnMode | policy));
        CHECK(record.Prompts == 0);
    }
}

TEST_CASE("each new type is asked about and the answer is followed") {
    RegisteredTypes registered;
    registered.Add(".TBDOC", "Tallybox.TestDocument", "Tallybox Test Document");

    SettingsRecord record;
    record.General = kGeneralLetMeChoose;
    record.Prompts = kPromptNewTypes;
    ScriptedAsker asker({{kNewTypeAdd, false}, {kNewTypeIgnore, false}, {kNewTypeExclude, false}});
    CHECK(LearnNewFileTypes({".TBDOC", ".TBAAA", ".TBBBB"}, record, asker.Asker()) == 1);

    CHECK(asker.lines == std::vector<std::string>{"   .TBDOC\t(Tallybox Test Document)",
                                                  "   .TBAAA\t(Unknown file type)",
                                                  "   .TBBBB\t(Unknown file type)"});
    CHECK(asker.recommendations == std::vector<int>{kRecommendAdd, kRecommendExclude, kRecommendExclude});
    CHECK(record.FileTypes == ".TBDOC;");
    CHECK(record.ExcludeTypes == ".TBBBB;");
    CHECK(record.General == kGeneralLetMeChoose);
    CHECK(record.Prompts == kPromptNewTypes);

    SUBCASE("ignoring every type changes nothing") {
        SettingsRecord again;
        again.Prompts = kPromptNewTypes;
        ScriptedAsker ignoring({{kNewTypeIgnore, false}, {kNewTypeIgnore, false}});
        CHECK(LearnNewFileTypes({".TBAAA", ".TBBBB"}, again, ignoring.Asker()) == 0);
        CHECK(again.FileTypes.empty());
        CHECK(again.ExcludeTypes.empty());
    }
}

TEST_CASE("do not ask again switches to add-recommended and adds the rest unasked") {
    SettingsRecord record;
    record.General = kGeneralLearnMode | kGeneralLetMeChoose;
    record.Prompts = kPromptNewTypes | kPromptPending;

    SUBCASE("EXCLUDE with the box ticked: excluded, and monitored as well") {
        ScriptedAsker asker({{kNewTypeExclude, true}});
        CHECK(LearnNewFileTypes({".TBAAA", ".TBBBB", ".TBCCC"}, record, asker.Asker()) == 1);
        CHECK(asker.lines.size() == 1);
        CHECK(record.ExcludeTypes == ".TBAAA;");
        CHECK(record.FileTypes == ".TBAAA;.TBBBB;.TBCCC;");
        CHECK(record.Prompts == kPromptPending);
        CHECK(record.General == (kGeneralLearnMode | kGeneralAddRecommended));

        // The next runs ask nothing and add what is new, as the user chose.
        CHECK(LearnNewFileTypes({".TBDDD"}, record, NeverAsk()) == 1);
        CHECK(record.FileTypes == ".TBAAA;.TBBBB;.TBCCC;.TBDDD;");
    }
    SUBCASE("ADD with the box ticked lists the type once") {
        ScriptedAsker asker({{kNewTypeAdd, true}});
        CHECK(LearnNewFileTypes({".TBAAA"}, record, asker.Asker()) == 1);
        CHECK(record.FileTypes == ".TBAAA;");
    }
    SUBCASE("IGNORE with the box ticked still adds the type") {
        ScriptedAsker asker({{kNewTypeIgnore, true}});
        CHECK(LearnNewFileTypes({".TBAAA"}, record, asker.Asker()) == 1);
        CHECK(record.FileTypes == ".TBAAA;");
    }
}

TEST_CASE("a learned type list never grows past what the settings file reads back") {
    // FileTypes 4 characters short of the most a key can hold (4999).
    std::string nearlyFull;
    while (nearlyFull.size() < 4999 - 4) nearlyFull += ".Z;";
    REQUIRE(nearlyFull.size() == 4995);

    std::vector<std::string> told;
    const TypeListFullTeller tell = [&](const std::string& message) { told.push_back(message); };
    SUBCASE("added without asking: what fits goes in, then it stops and says so once") {
        SettingsRecord record;
        record.General = kGeneralAddAll;
        record.Prompts = kPromptNewTypes;
        record.FileTypes = nearlyFull;
        CHECK(LearnNewFileTypes({".AB", ".CDEF", ".GH", ".I"}, record, NeverAsk(), tell) == 1);
        CHECK(record.FileTypes == nearlyFull + ".AB;");  // 4999
        REQUIRE(told.size() == 1);
        CHECK(told[0].find("file types to archive is full") != std::string::npos);

        // Written and read back, the list is whole.
        TestIni ini;
        WriteSettings(record);
        SettingsRecord read;
        ReadSettings(read);
        CHECK(read.FileTypes == record.FileTypes);
    }
    SUBCASE("a type that fits in neither list is not asked about") {
        SettingsRecord record;
        record.General = kGeneralLetMeChoose;
        record.Prompts = kPromptNewTypes;
        record.FileTypes = nearlyFull;
        record.ExcludeTypes = nearlyFull;
        ScriptedAsker asker({{kNewTypeExclude, false}});
        CHECK(LearnNewFileTypes({".LONGER", ".X"}, record, asker.Asker(), tell) == 1);
        CHECK(asker.lines == std::vector<std::string>{"   .X\t(Unknown file type)"});
        CHECK(record.ExcludeTypes == nearlyFull + ".X;");
        CHECK(told.size() == 1);
    }
    SUBCASE("nothing is said while there is room") {
        SettingsRecord record;
        record.General = kGeneralAddAll;
        record.Prompts = kPromptNewTypes;
        record.FileTypes = ".DOC;";
        CHECK(LearnNewFileTypes({".AB"}, record, NeverAsk(), tell) == 1);
        CHECK(told.empty());
    }
}

TEST_CASE("the type list editor's list text from its chosen lines") {
    CHECK(TypeListFromLines({"   .DOC\t(Word Document)", "   .ZZQ", "   .TXT\t(Text (plain))"}) ==
          ".DOC;.ZZQ;.TXT;");
    CHECK(TypeListFromLines({}).empty());

    CHECK(CheckTypedType("") == TypedType::kNone);
    CHECK(CheckTypedType(".abc") == TypedType::kAccepted);
    CHECK(CheckTypedType("xyz") == TypedType::kMalformed);
    CHECK(CheckTypedType(" .abc") == TypedType::kMalformed);
    CHECK(TypedTypeEntry(".abc") == ".abc;");
    CHECK(TypedTypeEntry(".abc;") == ".abc;");  // as the format beside the box shows it
}
