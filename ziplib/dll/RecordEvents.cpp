#include "RecordEvents.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace zl {

namespace {

std::wstring Widen(const std::string& text) {
    int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], n);
    out.resize(wcslen(out.c_str()));
    return out;
}

}  // namespace

bool RecordPointerUsable(const void* pointer) {
    // The lowest 64 KiB of a Windows process are never mapped: small integers
    // passed where a pointer belongs are refused like null.
    return reinterpret_cast<uintptr_t>(pointer) >= 0x10000;
}

bool RecordLooksValid(const void* record, int size) {
    if (!RecordPointerUsable(record)) return false;
    int stated;
    std::memcpy(&stated, record, sizeof stated);
    return stated == size;
}

const char* RecordText(const char* text, const char* fallback) {
    return RecordPointerUsable(text) ? text : fallback;
}

bool CRecordEvents::Progress(const std::string& text, int percent) {
    return m_cb.progress == nullptr || m_cb.progress(text.c_str(), percent, m_cb.progressUser) == 0;
}

bool CRecordEvents::ItemStatus(const std::string& text, int percent) {
    return m_cb.itemStatus == nullptr || m_cb.itemStatus(text.c_str(), percent, m_cb.itemStatusUser) == 0;
}

Answer CRecordEvents::Message(const ZipError& problem, bool question) {
    const MessageCode code = problem.code;
    char buffer[kZipMessageBufferSize];
    std::strncpy(buffer, problem.text.c_str(), sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';
    const unsigned style = question ? MB_YESNOCANCEL | MB_ICONQUESTION
                         : (code == kMsgNoMatch || code == kMsgDuplicateName) ? MB_OK | MB_ICONINFORMATION
                                                                                : MB_OK | MB_ICONWARNING;
    int answer = 0;
    if (m_cb.message) {
        answer = m_cb.message(int(code), style, int(problem.systemCode), int(sizeof buffer), buffer, problem.file.c_str(),
                              m_cb.messageUser);
        buffer[sizeof buffer - 1] = '\0';
    }
    if (answer != IDOK && answer != IDYES && answer != IDNO && answer != IDCANCEL) {
        if (m_cb.quiet) return question ? Answer::No : Answer::Ok;
        answer = MessageBoxW(GetActiveWindow(), Widen(buffer).c_str(), L"ZIP", style | MB_SETFOREGROUND);
    }
    switch (answer) {
    case IDYES: return Answer::Yes;
    case IDNO: return Answer::No;
    case IDCANCEL: return question ? Answer::Cancel : Answer::Ok;
    default: return question ? Answer::No : Answer::Ok;
    }
}

void CRecordEvents::Rename(std::string& path) {
    if (m_cb.rename == nullptr) return;
    char buffer[kZipRenameBufferSize];
    if (path.size() >= sizeof buffer) return;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    std::memset(buffer + path.size() + 1, 0, sizeof buffer - path.size() - 1);
    m_cb.rename(buffer, m_cb.renameUser);
    buffer[sizeof buffer - 1] = '\0';
    if (buffer[0] != '\0') path = buffer;
}

}  // namespace zl
