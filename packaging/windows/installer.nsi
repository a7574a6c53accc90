; The Windows installer of quelt-fuel: per user, without administrator rights.
;   makensis -DVERSION=1.0.1 -DSTAGE=DIR -DFILES=install.nsh -DUNFILES=uninstall.nsh
;            -DOUTFILE=quelt-fuel-1.0.1-win64-setup.exe installer.nsi
; STAGE holds the files to install, side by side (scripts/package stages them
; with `cmake --install`); FILES and UNFILES list them, one File and one
; Delete line a file, so the uninstaller removes exactly what was installed.
; The window's Start-menu entry is made when STAGE holds quelt-fuel.exe.
; Backups (%LOCALAPPDATA%\quelt-fuel\backups) are never touched.
; It speaks the user's Windows language when that is one of the window's nine
; (otherwise English), without asking: installer-texts.nsh holds its texts.

; 64-bit, like the programs: Windows on x64 (and Wine without its 32-bit half).
Target amd64-unicode
!ifndef VERSION | STAGE | FILES | UNFILES | OUTFILE
  !error "define VERSION, STAGE, FILES, UNFILES and OUTFILE"
!endif

!include "MUI2.nsh"
!include "FileFunc.nsh"

; The English name, for the file's version information.
!define DISPLAY_NAME "QUELT fuel list update"
!define PUBLISHER "QUELT fuel maintainers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\quelt-fuel"
; The Start-menu entries carry the names of the installer's language; the
; uninstaller removes the ones recorded in the uninstall key, whatever the
; language is then.
!define WINDOW_LINK "$SMPROGRAMS\$(DisplayName).lnk"
!define CLI_LINK "$SMPROGRAMS\$(CliLinkName).lnk"
!define BACKUPS "$LOCALAPPDATA\quelt-fuel\backups"

Name "$(DisplayName) ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\quelt-fuel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${DISPLAY_NAME} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "MIT License, see LICENSE.txt"

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; English first: it is the language when Windows speaks none of these.
; Windows' UI language picks one of them at start; no dialog asks.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Czech"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Finnish"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Korean"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Spanish"
!include /CHARSET=UTF8 "${__FILEDIR__}/installer-texts.nsh"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; The Start-menu entries: those the uninstall key records, those of this
; language, and the English ones that installers before the nine languages
; made.
!macro REMOVE_LINKS un
  Function ${un}RemoveLinks
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "WindowLink"
    StrCmp $0 "" +2
      Delete "$0"
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "CommandLineLink"
    StrCmp $0 "" +2
      Delete "$0"
    Delete "${WINDOW_LINK}"
    Delete "${CLI_LINK}"
    Delete "$SMPROGRAMS\QUELT fuel list update.lnk"
    Delete "$SMPROGRAMS\QUELT fuel command line.lnk"
  FunctionEnd
!macroend
!insertmacro REMOVE_LINKS ""
!insertmacro REMOVE_LINKS "un."

Section "quelt-fuel"
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Start menu. The working folder of a shortcut is the current output path.
  ; Entries of an earlier install, maybe in another language, go first.
  Call RemoveLinks
  !if /FileExists "${STAGE}/quelt-fuel.exe"
    CreateShortcut "${WINDOW_LINK}" "$INSTDIR\quelt-fuel.exe"
    !define ICON_EXE "quelt-fuel.exe"
  !else
    !warning "no quelt-fuel.exe in this build: no Start-menu entry for the window"
    DetailPrint "$(NoWindowProgram)"
    !define ICON_EXE "quelt-fuel-cli.exe"
  !endif
  CreateShortcut "${CLI_LINK}" "$SYSDIR\cmd.exe" "/k quelt-fuel-cli.exe --help"

  !if /FileExists "${STAGE}/quelt-fuel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "WindowLink" "${WINDOW_LINK}"
  !endif
  WriteRegStr HKCU "${UNINSTALL_KEY}" "CommandLineLink" "${CLI_LINK}"

  ; The entry in the installed programs list.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "$(DisplayName)"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${ICON_EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: anything the user put there stays.
  RMDir "$INSTDIR"
  Call un.RemoveLinks
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DetailPrint "$(BackupsStay)"
SectionEnd

Function un.onUninstSuccess
  MessageBox MB_OK|MB_ICONINFORMATION \
    "$(Removed)" \
    /SD IDOK
FunctionEnd
