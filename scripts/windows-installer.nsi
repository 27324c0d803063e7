; The installer of both programs, made by scripts/windows-package with makensis.
; Defines from the command line: VERSION, BUILD (build/windows), LISTS (the generated file
; lists), OUTFILE.
; The programs keep their settings, indices, translation tables and logs beside the program
; file or in the user's folders: the installer ships no such file, so an upgrade never
; overwrites one, and the uninstaller removes only the files it installed.
; A 64-bit installer for the 64-bit programs (it also runs where only 64-bit Wine is).
Target amd64-unicode
Name "KALIX feeders ${VERSION}"
OutFile "${OUTFILE}"
; A folder a standard user can write: the programs write beside their program file.
InstallDir "C:\KALIX feeders"
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "KALIX feeders"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "KALIX feeders ${VERSION} setup"
VIAddVersionKey "LegalCopyright" ""

!include "FileFunc.nsh"
!include "Sections.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KALIX feeders"
!define MENU "$SMPROGRAMS\KALIX feeders"
!define SCANNER "Lumotrax_SQL_spectrum_scanner"
!define CLEANER "kalix_cleaner"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Lumotrax SQL spectrum scanner and KALIX cleaner" programs
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR\${SCANNER}"
    !include "${LISTS}\install_${SCANNER}.nsh"
    SetOutPath "$INSTDIR\${CLEANER}"
    !include "${LISTS}\install_${CLEANER}.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "${MENU}"
    CreateShortcut "${MENU}\Lumotrax SQL spectrum scanner.lnk" "$INSTDIR\${SCANNER}\${SCANNER}.exe" "" "" 0 SW_SHOWNORMAL "" "Lumotrax SQL spectrum scanner ${VERSION}"
    CreateShortcut "${MENU}\KALIX cleaner.lnk" "$INSTDIR\${CLEANER}\${CLEANER}.exe" "" "" 0 SW_SHOWNORMAL "" "KALIX cleaner ${VERSION}"
    CreateShortcut "${MENU}\Uninstall KALIX feeders.lnk" "$INSTDIR\uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "KALIX feeders"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "Start the scanner when I log on" autostart
    SetShellVarContext current
    CreateShortcut "$SMSTARTUP\Lumotrax SQL spectrum scanner.lnk" "$INSTDIR\${SCANNER}\${SCANNER}.exe"
SectionEnd

; /AUTOSTART on the command line ticks "Start the scanner when I log on" (for silent installs).
Function .onInit
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/AUTOSTART" $R1
    IfErrors +2
    SectionSetFlags ${autostart} ${SF_SELECTED}
FunctionEnd

Section "Uninstall"
    SetShellVarContext current
    !include "${LISTS}\uninstall_${SCANNER}.nsh"
    !include "${LISTS}\uninstall_${CLEANER}.nsh"
    ; Only empty folders go: settings, indices, tables and logs stay where they are.
    RMDir "$INSTDIR\${SCANNER}"
    RMDir "$INSTDIR\${CLEANER}"
    Delete "${MENU}\Lumotrax SQL spectrum scanner.lnk"
    Delete "${MENU}\KALIX cleaner.lnk"
    Delete "${MENU}\Uninstall KALIX feeders.lnk"
    RMDir "${MENU}"
    Delete "$SMSTARTUP\Lumotrax SQL spectrum scanner.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
