#pragma once
// A file of the system's temporary folder made by GetTempFileName (with a
// prefix of up to three letters), deleted when the object goes.

#include <string>

namespace tb {

class CTempFile {
public:
    explicit CTempFile(const char* prefix);
    ~CTempFile() { Remove(); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;

    bool Valid() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    // Deletes the file now; the name stays, and whatever is made under it
    // later is deleted with the object too.
    void Remove() const;

private:
    std::string m_path;
};

}  // namespace tb
