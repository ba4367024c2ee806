#include "zip/TempFile.h"

#include <windows.h>

#include "framework/Shell.h"

namespace tb {

CTempFile::CTempFile(const char* prefix) {
    const std::string folder = TempFolder();
    char name[MAX_PATH];
    if (!folder.empty() && ::GetTempFileNameA(folder.c_str(), prefix, 0, name)) m_path = name;
}

void CTempFile::Remove() const {
    if (!m_path.empty()) ::DeleteFileA(m_path.c_str());
}

}  // namespace tb
