#include "autoarchive/Classification.h"

#include <algorithm>

#include "autoarchive/FileSizeLimitDlg.h"
#include "framework/Text.h"

namespace tb {

std::string ArchiveTypeOf(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string type = ToUpper(path.substr(dot));
    if (type.size() > 6 || type.find('\\') != std::string::npos) return {};
    return type;
}

bool CClassificationPass::Run(const std::vector<std::string>& pending, SettingsRecord& settings,
                              const SizeOf& sizeOf, const AskOversize& askOversize) {
    m_archive.clear();
    m_skipped.clear();
    m_untyped.clear();
    m_newTypes.clear();
    const std::string excludedFiles = ToUpper(settings.ExcludeFiles);

    for (const std::string& path : pending) {
        const std::string type = ArchiveTypeOf(path);
        if (type.empty()) continue;  // no type: not an archive candidate at all
        const size_t slash = path.find_last_of('\\');
        const std::string name = slash == std::string::npos ? std::string() : path.substr(slash + 1);
        if (excludedFiles.find(ToUpper(name)) != std::string::npos) {
            m_skipped.push_back(path);
            continue;
        }
        if (settings.FileTypes.find(type + ";") != std::string::npos) {
            const unsigned long long size = sizeOf(path);
            if (ExceedsSizeLimit(settings.General, settings.Sizelimit, static_cast<long long>(size)) && !m_includeAll) {
                if (m_skipAll) {
                    m_skipped.push_back(path);
                    continue;
                }
                OversizeAnswer answer;
                if (AsksAboutSizeLimit(settings.Prompts)) answer = askOversize(path, size);
                if (answer.dontShowAgain) settings.Prompts &= ~kPromptSizeLimit;
                switch (answer.result) {
                case kSizeIncludeAll:
                    m_includeAll = 1;
                    break;
                case kSizeSkipAll:
                    m_skipAll = 1;
                    m_skipped.push_back(path);
                    continue;
                case kSizeSkipFile:
                    m_skipped.push_back(path);
                    continue;
                case kSizeEditSettings:
                    return false;
                default:
                    break;
                }
            }
            m_archive.push_back(path);
        } else if (settings.ExcludeTypes.find(type + ";") != std::string::npos) {
            m_skipped.push_back(path);
        } else {
            m_untyped.push_back(path);
            if (std::find(m_newTypes.begin(), m_newTypes.end(), type) == m_newTypes.end()) m_newTypes.push_back(type);
        }
    }
    return true;
}

}  // namespace tb
