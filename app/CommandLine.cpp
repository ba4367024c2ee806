#include "app/CommandLine.h"

namespace tb {

void CTallyboxCommandLineInfo::ParseParam(const std::string& argument) {
    if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
        const std::string name = argument.substr(1);
        if (name == "hide") m_hide = 1;
        else if (name == "exit") m_exit = 1;
        return;
    }
    m_fileName = argument;
}

void CTallyboxCommandLineInfo::Parse(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) ParseParam(argument);
}

}  // namespace tb
