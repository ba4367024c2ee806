; Setup of Tallybox, made with NSIS by scripts/package.sh:
;   makensis -DSOURCE=<repository> -DSTAGE=<folder of the files to install>
;            -DFILELIST=<their File and Delete lines> -DGENERATED=<build>/generated
;            -DOUTFILE=<setup program> installer/Tallybox.nsi
;
; An administrator installs for all users: Program Files, the all-users Start
; menu, HKLM. Anyone else (or /CurrentUser) installs for themselves: the user's
; own programs folder, Start menu and HKCU; nothing that needs an administrator.
;
; Command line: /S silent; /D=FOLDER the program folder (last, unquoted);
; /CurrentUser for the current user only; /NoAutostart leaves out the start
; with Windows. Exit codes: 0 done, 1 cancelled, 2 aborted (Tallybox could not
; be ended, or no rights for the folder).
; The uninstaller: /S silent. It ends a running Tallybox the way its Terminate
; command does, removes what setup installed and keeps the user's settings
; file (Vaultly.ini) and every archive.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel highest

!ifndef SOURCE | STAGE | FILELIST | GENERATED | OUTFILE
  !error "scripts/package.sh runs makensis with SOURCE, STAGE, FILELIST, GENERATED and OUTFILE"
!endif
!include "${GENERATED}/Version.nsh"
!include "${FILELIST}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Tallybox"
!define PUBLISHER "Corvane Software"
!define PROGRAM "Tallybox.exe"
!define UNINSTALLER "Uninstall.exe"
!define WINDOW_CLASS "TallyboxArchiveClass"
; Asks a running Tallybox to end as Terminate does, without its question;
; it answers 1 (ending) or 0 (busy: one of its windows is open).
!define WM_TB_END_PROGRAM 0x8004
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallybox"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tallybox"
!define MENU_FOLDER "$SMPROGRAMS\Tallybox"

Name "${PRODUCT}"
Caption "${PRODUCT} ${TB_VERSION} Setup"
UninstallCaption "Remove ${PRODUCT} ${TB_VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${TB_VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${TB_VERSION_QUAD}"
VIFileVersion "${TB_VERSION_QUAD}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${TB_VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${TB_VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${TB_VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 Corvane. All rights reserved."

Var AllUsers        ; 1: for all users (HKLM, Program Files), 0: for the current user
Var ModeText        ; the welcome page's sentence about who gets the program
Var WasRunning      ; 1 when setup ended a running Tallybox
Var EndAttempts

; ---------------------------------------------------------------------------
; Pages

!define MUI_ICON "${SOURCE}/res/tallybox.ico"
!define MUI_UNICON "${SOURCE}/res/tallybox.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${SOURCE}/installer/wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_ABORTWARNING_TEXT "Tallybox is not installed yet. Do you want to stop setup?"
!define MUI_COMPONENTSPAGE_SMALLDESC

!define MUI_WELCOMEPAGE_TITLE "Welcome to Tallybox ${TB_VERSION}"
!define MUI_WELCOMEPAGE_TEXT "Tallybox keeps a copy of the files you change. It watches the drives you choose and, at the time you set, when Windows shuts down, or when you ask, adds the changed files to a ZIP archive named after the day.$\r$\n$\r$\nIt is also a small ZIP manager: it lists, opens and extracts archives, edits them, and turns them into self-extracting programs.$\r$\n$\r$\n$ModeText$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME

!define MUI_COMPONENTSPAGE_TEXT_TOP "Tallybox is meant to run all the time, hidden in the notification area beside the clock. Choose whether Windows starts it for you."
!insertmacro MUI_PAGE_COMPONENTS

!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will put the Tallybox program in the folder below. Your settings and your archives are not kept here, so you can choose any folder."
!insertmacro MUI_PAGE_DIRECTORY

!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_TITLE "Tallybox is installed"
!define MUI_FINISHPAGE_TEXT "From its first start Tallybox watches the drive of your documents and archives changed documents, pictures and other common files into C:\Auto Archives at shut-down.$\r$\n$\r$\nTo see it now: save a document, then Archive menu, Archive Changed Files Now."
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tallybox now"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\hlpindex.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the help"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Tallybox will be removed from the folder below. If it is running, it is ended first.$\r$\n$\r$\nYour settings (Vaultly.ini) and every archive are kept."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; Ending a running Tallybox: the way its Terminate command does (settings and
; window placement written, threads stopped), never a kill. A copy with one of
; its windows open answers "busy": the user finishes there and retries; a
; silent run waits up to a minute.

!macro END_RUNNING_TALLYBOX_FUNCTION UN
Function ${UN}EndRunningTallybox
  StrCpy $EndAttempts 0
  retry:
    FindWindow $R0 "${WINDOW_CLASS}"
    StrCmp $R0 0 done
    StrCpy $WasRunning 1
    ; The process, to wait until it has really ended and freed its files.
    System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1)"
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2"
    StrCpy $R3 0
    SendMessage $R0 ${WM_TB_END_PROGRAM} 0 0 $R3 /TIMEOUT=10000
    ${If} $R3 = 1
      DetailPrint "Ending Tallybox..."
      ${If} $R2 P<> 0
        System::Call "kernel32::WaitForSingleObject(p R2, i 30000) i .R4"
      ${Else}
        Sleep 2000
      ${EndIf}
    ${EndIf}
    ${If} $R2 P<> 0
      System::Call "kernel32::CloseHandle(p R2)"
    ${EndIf}
    FindWindow $R0 "${WINDOW_CLASS}"
    StrCmp $R0 0 done
    ; Busy, or still ending.
    IfSilent 0 ask
      IntOp $EndAttempts $EndAttempts + 1
      IntCmp $EndAttempts 60 failed
      Sleep 1000
      Goto retry
    ask:
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tallybox is busy: one of its windows is open or it is archiving.$\r$\n$\r$\nFinish or close that window in Tallybox, then click Retry." IDRETRY retry
    failed:
      DetailPrint "Tallybox is still running: nothing was changed."
      SetErrorLevel 2
      Abort "Tallybox is still running."
  done:
FunctionEnd
!macroend
!insertmacro END_RUNNING_TALLYBOX_FUNCTION ""
!insertmacro END_RUNNING_TALLYBOX_FUNCTION "un."

; ---------------------------------------------------------------------------
; Installer

Section "Tallybox (required)" SecProgram
  SectionIn RO

  FindWindow $R0 "${WINDOW_CLASS}"
  ${If} $R0 <> 0
  ${AndIfNot} ${Silent}
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Tallybox is running. Setup will end it to replace its files, and start it again when it is done." IDOK end_it
    SetErrorLevel 1
    Abort "Setup was cancelled: Tallybox is still running."
  ${EndIf}
  end_it:
  Call EndRunningTallybox

  SetOutPath "$INSTDIR"
  !insertmacro TB_INSTALL_FILES
  ${If} $AllUsers = 1
    ; The self-extracting programs' script names the picture in the Windows
    ; folder. (A user without the rights to write there gets the copy beside
    ; the program named instead.)
    SetOutPath "$WINDIR"
    File "${STAGE}/tb.bmp"
    SetOutPath "$INSTDIR"
  ${EndIf}
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Tallybox.lnk" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 \
      SW_SHOWNORMAL "" "Track the files you change and archive them into dated ZIP files"
  CreateShortcut "${MENU_FOLDER}\Tallybox Help.lnk" "$INSTDIR\hlpindex.html"
  CreateShortcut "${MENU_FOLDER}\Uninstall Tallybox.lnk" "$INSTDIR\${UNINSTALLER}"

  ; Only the optional section below starts Tallybox with Windows.
  DeleteRegValue SHCTX "${RUN_KEY}" "${RUN_VALUE}"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${TB_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$R0"
SectionEnd

Section "Start Tallybox when Windows starts" SecAutostart
  WriteRegStr SHCTX "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${PROGRAM}" /hide'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program, its ZIP libraries, the builder and extractor of self-extracting programs, and the help pages."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Windows starts Tallybox, hidden in the notification area, each time you log on, so that no change goes untracked."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${GetParameters} $R9

  UserInfo::GetAccountType
  Pop $R0
  ${If} $R0 == "Admin"
    StrCpy $AllUsers 1
    StrCpy $ModeText "Tallybox will be installed for all users of this computer."
  ${Else}
    StrCpy $AllUsers 0
    StrCpy $ModeText "You are not an administrator of this computer, so Tallybox will be installed for you alone. It needs no administrator rights."
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $ModeText "Tallybox will be installed for you alone."
  ${EndIf}
  ClearErrors
  ${GetOptions} $R9 "/NoAutostart" $R1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}

  ${If} $AllUsers = 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}

  ; /D= on the command line wins; then the folder of an earlier install; then
  ; the usual place.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $AllUsers = 1
      StrCpy $INSTDIR "$PROGRAMFILES\Tallybox"
    ${Else}
      GetKnownFolderPath $R0 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB} ; the user's own programs folder
      ${If} $R0 == ""
        StrCpy $R0 "$LOCALAPPDATA\Programs"
      ${EndIf}
      StrCpy $INSTDIR "$R0\Tallybox"
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInstSuccess
  ; A Tallybox that setup ended starts again, hidden, as it was (unless the
  ; finish page has started it already).
  ${If} $WasRunning = 1
    FindWindow $R0 "${WINDOW_CLASS}"
    ${If} $R0 = 0
      Exec '"$INSTDIR\${PROGRAM}" /hide'
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Function un.onInit
  ; Installed for all users when the all-users entry names this folder.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $R1
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "Tallybox was installed for all users of this computer. Only an administrator can remove it." /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningTallybox

  !insertmacro TB_REMOVE_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  ${If} $AllUsers = 1
    Delete "$WINDIR\tb.bmp"
  ${EndIf}

  Delete "${MENU_FOLDER}\Tallybox.lnk"
  Delete "${MENU_FOLDER}\Tallybox Help.lnk"
  Delete "${MENU_FOLDER}\Uninstall Tallybox.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegValue SHCTX "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Vaultly.ini in the Windows folder and the archives are the user's: kept.
SectionEnd
