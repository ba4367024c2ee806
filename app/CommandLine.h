#pragma once
// The program's command line: one file name (a ZIP to open) and the switches
// hide and exit. Switches start with a slash or a dash and are compared
// case-sensitively; any other switch is ignored; a later plain argument
// replaces an earlier one.

#include <string>
#include <vector>

namespace tb {

class CTallyboxCommandLineInfo {
public:
    void ParseParam(const std::string& argument);
    void Parse(const std::vector<std::string>& arguments);

    std::string m_fileName;
    int m_hide = 0;
    int m_exit = 0;
};

}  // namespace tb
