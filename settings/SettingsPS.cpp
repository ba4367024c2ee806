#include "settings/SettingsPS.h"

#include "framework/Shell.h"

namespace tb {

SettingsPS::SettingsPS(SettingsRecord& working)
    : CPropertySheet("Archive Settings"),
      m_general(working),
      m_location(working),
      m_drives(working),
      m_files(working),
      m_prompts(working),
      m_unzip(working) {
    for (CPropertyPage* page : std::initializer_list<CPropertyPage*>{&m_general, &m_location, &m_drives, &m_files,
                                                                     &m_prompts, &m_unzip})
        AddPage(*page);
    SetHelpHandler([this] { ShellOpen(Handle(), ProgramFolder() + kSettingsHelpPage); });
}

}  // namespace tb
