#pragma once
// The settings a first start writes when there are none (no Vaultly.ini, or
// one without a "Settings" section), so that the program archives from its
// first minutes: documents, spreadsheets, presentations, texts, PDFs and
// pictures of the drive that holds the user's documents go into
// "C:\Auto Archives" when Windows shuts down, and a new type of file that
// changes is asked about (Learn Mode, "Let me choose"). A settings file that
// exists is read as it is.

#include <string>

#include "common/Settings.h"

namespace tb {

constexpr char kStarterFileTypes[] =
    ".DOC;.DOCX;.DOCM;.DOT;.DOTX;.RTF;.ODT;.WPD;.WPS;.PUB;"
    ".XLS;.XLSX;.XLSM;.ODS;.CSV;"
    ".PPT;.PPTX;.PPS;.PPSX;.ODP;.ODG;.VSD;.VSDX;"
    ".TXT;.PDF;"
    ".JPG;.JPEG;.PNG;.GIF;.BMP;.TIF;.TIFF;.HEIC;";
// Types that change all the time without being a user's work, and the
// program's own files (its archives, settings, log and index).
constexpr char kStarterExcludeTypes[] =
    ".TMP;.BAK;.LOG;.INI;.DAT;.DB;.ZIP;.IDX;.EXE;.DLL;.SYS;.LNK;.CAB;.MSI;.ETL;.PF;";
constexpr char kStarterArchiveFolder[] = "C:\\Auto Archives";

// The starter profile for a user whose documents lie on `documentsDrive`
// (a letter).
SettingsRecord StarterProfile(char documentsDrive);

// The drive letter of the user's documents folder; that of the Windows
// folder when it cannot be found; 'c' as a last resort.
char DocumentsDrive();

// True when Vaultly.ini holds a "Settings" section with at least one key.
bool SettingsSectionExists();

// Reads the settings at start-up. With no settings at all, the starter
// profile is written first and read back. Returns true when it was written.
bool ReadOrStartSettings(SettingsRecord& record);

}  // namespace tb
