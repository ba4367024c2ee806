#include "RecordEvents.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/Format.h"
#include "win32/WideString.h"

namespace zl {

namespace {

WideString Widen(const std::string& text, UINT codePage) {
    int n = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    WideString out(size_t(n > 0 ? n : 1), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.c_str(), -1, &out[0], n);
    out.resize(wcslen(out.c_str()));
    return out;
}

std::string Narrow(const wchar_t* text, int count, UINT codePage) {
    int n = WideCharToMultiByte(codePage, 0, text, count, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, text, count, &out[0], n, nullptr, nullptr);
    return out;
}

}  // namespace

bool RecordsAreUtf8() { return GetACP() == CP_UTF8; }

std::string RecordToUtf8(const char* text) {
    std::string out;
    RecordToUtf8(text, out);
    return out;
}

void RecordToUtf8(const char* text, std::string& out) {
    if (text == nullptr) {
        out.clear();
        return;
    }
    out.assign(text);
    // ASCII is the same in every ANSI code page (listings convert names by the thousand).
    if (RecordsAreUtf8() || IsAscii(out)) return;
    const WideString wide = Widen(text, CP_ACP);
    out = Narrow(wide.c_str(), int(wide.size()), CP_UTF8);
}

std::string Utf8ToRecord(const std::string& text, size_t limit) {
    if (text.size() <= limit && (RecordsAreUtf8() || IsAscii(text))) return text;
    WideString wide = Widen(text, CP_UTF8);
    std::string out = RecordsAreUtf8() ? text : Narrow(wide.c_str(), int(wide.size()), CP_ACP);
    if (out.size() <= limit) return out;
    // Cut at a whole character of the record's code page.
    size_t keep = std::min(wide.size(), limit);
    do {
        if (keep > 0 && wide[keep - 1] >= 0xD800 && wide[keep - 1] < 0xDC00) --keep;   // never half a surrogate pair
        out = Narrow(wide.c_str(), int(keep), RecordsAreUtf8() ? CP_UTF8 : CP_ACP);
    } while (out.size() > limit && keep-- > 0);
    return out;
}

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
    return m_cb.progress == nullptr || m_cb.progress(Utf8ToRecord(text).c_str(), percent, m_cb.progressUser) == 0;
}

bool CRecordEvents::ItemStatus(const std::string& text, int percent) {
    return m_cb.itemStatus == nullptr || m_cb.itemStatus(Utf8ToRecord(text).c_str(), percent, m_cb.itemStatusUser) == 0;
}

Answer CRecordEvents::Message(const ZipError& problem, bool question) {
    const MessageCode code = problem.code;
    char buffer[kZipMessageBufferSize];
    std::strncpy(buffer, Utf8ToRecord(problem.text, sizeof buffer - 1).c_str(), sizeof buffer - 1);
    buffer[sizeof buffer - 1] = '\0';
    const unsigned style = question ? MB_YESNOCANCEL | MB_ICONQUESTION
                         : (code == kMsgNoMatch || code == kMsgDuplicateName) ? MB_OK | MB_ICONINFORMATION
                                                                                : MB_OK | MB_ICONWARNING;
    int answer = 0;
    if (m_cb.message) {
        answer = m_cb.message(int(code), style, int(problem.systemCode), int(sizeof buffer), buffer,
                              Utf8ToRecord(problem.file).c_str(), m_cb.messageUser);
        buffer[sizeof buffer - 1] = '\0';
    }
    if (answer != IDOK && answer != IDYES && answer != IDNO && answer != IDCANCEL) {
        if (m_cb.quiet) return question ? Answer::No : Answer::Ok;
        answer = MessageBoxW(GetActiveWindow(), Widen(buffer, RecordsAreUtf8() ? CP_UTF8 : CP_ACP).c_str(), L"ZIP",
                             style | MB_SETFOREGROUND);
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
    const std::string text = Utf8ToRecord(path);
    if (text.size() >= sizeof buffer) return;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    std::memset(buffer + text.size() + 1, 0, sizeof buffer - text.size() - 1);
    m_cb.rename(buffer, m_cb.renameUser);
    buffer[sizeof buffer - 1] = '\0';
    if (buffer[0] != '\0' && text != buffer) path = RecordToUtf8(buffer);
}

}  // namespace zl
