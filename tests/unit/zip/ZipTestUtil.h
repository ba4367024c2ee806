#pragma once
// Helpers of the Windows tests of the ZIP DLLs and the zip engine: a scratch
// folder, files with UTF-8 names, raw byte records filled at their offsets.

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace zt {

inline std::wstring Wide(const std::string& utf8) {
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, &w[0], n);
    w.resize(wcslen(w.c_str()));
    return w;
}

inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring path = folder + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

// How many files a folder tree holds (0 when the folder is not there).
inline int CountFiles(const std::wstring& folder) {
    int count = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        count += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(folder + L"\\" + name) : 1;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return count;
}

// A scratch folder below the temporary folder, removed at the end.
class CTempFolder {
public:
    CTempFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_path = std::string(temp) + "tbzip" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~CTempFolder() { RemoveTree(Wide(m_path)); }
    const std::string& Path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }

private:
    std::string m_path;
};

inline void MakeFolders(const std::string& utf8Path) {
    std::wstring w = Wide(utf8Path);
    for (size_t i = 3; i < w.size(); ++i)
        if (w[i] == L'\\') CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
    CreateDirectoryW(w.c_str(), nullptr);
}

inline bool WriteBytes(const std::string& utf8Path, const std::string& data) {
    size_t cut = utf8Path.rfind('\\');
    if (cut != std::string::npos) MakeFolders(utf8Path.substr(0, cut));
    HANDLE h = CreateFileW(Wide(utf8Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    BOOL ok = WriteFile(h, data.data(), DWORD(data.size()), &done, nullptr);
    CloseHandle(h);
    return ok && done == data.size();
}

inline std::string ReadBytes(const std::string& utf8Path) {
    HANDLE h = CreateFileW(Wide(utf8Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string data;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) data.append(buffer, got);
    CloseHandle(h);
    return data;
}

inline bool Exists(const std::string& utf8Path) {
    return GetFileAttributesW(Wide(utf8Path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline std::string Text(size_t size, unsigned seed) {
    std::string s;
    unsigned x = seed * 2654435761u + 1;
    static const char* words[] = {"tally ", "box ", "ledger ", "zip\r\n"};
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        s += words[(x >> 16) & 3];
    }
    s.resize(size);
    return s;
}

// Sets a file's modification time from local date and time parts.
inline void SetLocalTime(const std::string& utf8Path, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME st{};
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    st.wHour = WORD(hour);
    st.wMinute = WORD(minute);
    FILETIME local, utc;
    SystemTimeToFileTime(&st, &local);
    LocalFileTimeToFileTime(&local, &utc);
    HANDLE h = CreateFileW(Wide(utf8Path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &utc);
    CloseHandle(h);
}

inline unsigned Crc32(const std::string& data) {
    unsigned crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A stored (uncompressed) archive of the given names and contents, byte by
// byte, for names no file on disk can have.
inline std::string StoredArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto u16 = [](std::string& s, unsigned v) { s += char(v & 0xFF); s += char((v >> 8) & 0xFF); };
    auto u32 = [&](std::string& s, unsigned v) { u16(s, v & 0xFFFF); u16(s, v >> 16); };
    std::string local, central;
    for (const auto& e : entries) {
        const unsigned offset = unsigned(local.size()), crc = Crc32(e.second), size = unsigned(e.second.size());
        u32(local, 0x04034b50); u16(local, 10); u16(local, 0); u16(local, 0); u16(local, 0); u16(local, 0x5021);
        u32(local, crc); u32(local, size); u32(local, size); u16(local, unsigned(e.first.size())); u16(local, 0);
        local += e.first + e.second;
        u32(central, 0x02014b50); u16(central, 10); u16(central, 10); u16(central, 0); u16(central, 0); u16(central, 0);
        u16(central, 0x5021); u32(central, crc); u32(central, size); u32(central, size);
        u16(central, unsigned(e.first.size())); u16(central, 0); u16(central, 0); u16(central, 0); u16(central, 0);
        u32(central, 0); u32(central, offset);
        central += e.first;
    }
    std::string end;
    u32(end, 0x06054b50); u16(end, 0); u16(end, 0); u16(end, unsigned(entries.size())); u16(end, unsigned(entries.size()));
    u32(end, unsigned(central.size())); u32(end, unsigned(local.size())); u16(end, 0);
    return local + central + end;
}

// A command record as raw bytes, filled at documented offsets.
class CRawRecord {
public:
    explicit CRawRecord(size_t size) : m_bytes(size, 0) { Int(0, int(size)); }
    void Int(size_t offset, int value) { std::memcpy(&m_bytes[offset], &value, 4); }
    void Short(size_t offset, short value) { std::memcpy(&m_bytes[offset], &value, 2); }
    void Ptr(size_t offset, const void* value) { std::memcpy(&m_bytes[offset], &value, 4); }
    int GetInt(size_t offset) const {
        int v;
        std::memcpy(&v, &m_bytes[offset], 4);
        return v;
    }
    void* Data() { return m_bytes.data(); }

private:
    std::vector<unsigned char> m_bytes;
};

}  // namespace zt
