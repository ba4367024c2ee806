#include "browser/Extraction.h"

#include <algorithm>

#include "framework/Text.h"

namespace tb {

namespace {
constexpr size_t kNamesShown = 20;
}  // namespace

CExtraction::CExtraction(HWND progressWindow, std::string archive, std::string destination, int options,
                         ExtractionHooks hooks)
    : m_engine(progressWindow),
      m_archive(std::move(archive)),
      m_destination(std::move(destination)),
      m_options(options),
      m_hooks(std::move(hooks)) {
    m_engine.CollectPasswordProblems();
}

bool CExtraction::HasProtectedEntry() {
    const int count = m_engine.ListArchive(m_archive, "", -1);
    for (int i = 0; i < count; ++i) {
        m_engine.ListArchive(m_archive, "", -2);
        if (m_engine.EntryInfo().flags & kExtractEntryProtected) return true;
    }
    return false;
}

int CExtraction::ExtractAll() {
    SetFollowProgress(1);
    if (m_archive.empty()) return 0;
    m_engine.m_password = HasProtectedEntry() ? AskPassword() : std::string();
    return m_engine.ExtractFiles(m_archive, "*.*", m_destination, -1, m_options | kUnzipOptAllFiles);
}

int CExtraction::ExtractSelected(const std::vector<ExtractEntry>& selection) {
    return ExtractInBatches(selection, *this);
}

bool CExtraction::ExtractBatch(const std::string& fileList, const std::string& password) {
    m_engine.m_password = password;
    return m_engine.ExtractFiles(m_archive, fileList, m_destination, -1, m_options) == 1;
}

std::string CExtraction::AskPassword() { return m_hooks.askPassword ? m_hooks.askPassword() : std::string(); }

void CExtraction::SetProgress(int position) {
    if (m_hooks.setProgress) m_hooks.setProgress(position);
}

void CExtraction::SetFollowProgress(int follow) {
    if (m_hooks.setFollowProgress) m_hooks.setFollowProgress(follow);
}

bool CExtraction::Cancelled() const { return m_hooks.cancelled && m_hooks.cancelled(); }

std::string CExtraction::PasswordReport() const {
    const PasswordProblems& problems = m_engine.PasswordProblemsSeen();
    if (problems.entries.empty()) return {};
    // By name: the library may meet them in any order when it works on several threads.
    std::vector<std::string> names = problems.entries;
    std::sort(names.begin(), names.end());
    std::string text = problems.wrongPassword
                           ? "The password is not correct. These files were not extracted:"
                           : "These files are password protected and were not extracted without a password:";
    for (size_t i = 0; i < names.size() && i < kNamesShown; ++i) text += "\n" + names[i];
    if (names.size() > kNamesShown) text += Format("\n(and %u more)", unsigned(names.size() - kNamesShown));
    return text;
}

}  // namespace tb
