; The per-user installer of Lorewell, built by scripts/package.sh with
; Debian's makensis: installs into the user's own programs folder (no
; administrator rights), adds a Start menu entry and an uninstaller that
; removes exactly what it installed and the settings file the program
; writes. Libraries (.db files) a user kept in that folder stay: they are
; notes, not program files.
;   makensis -DVERSION=4.0.3 -DSOURCE=dir -DOUTFILE=setup.exe installer.nsi
; The program is 64-bit, and so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lorewell"

Name "Lorewell ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Lorewell"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Lorewell"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Lorewell ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "The Lorewell authors, MIT licence"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Lorewell"
  SetOutPath "$INSTDIR"
  File "${SOURCE}\lorewell.exe"
  File "${SOURCE}\lorewell-cli.exe"
  File "${SOURCE}\README.md"
  File "${SOURCE}\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Lorewell"
  CreateShortcut "$SMPROGRAMS\Lorewell\Lorewell.lnk" "$INSTDIR\lorewell.exe"
  CreateShortcut "$SMPROGRAMS\Lorewell\Uninstall Lorewell.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${KEY}" "DisplayName" "Lorewell"
  WriteRegStr HKCU "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${KEY}" "Publisher" "The Lorewell authors"
  WriteRegStr HKCU "${KEY}" "DisplayIcon" "$\"$INSTDIR\lorewell.exe$\",0"
  WriteRegStr HKCU "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${KEY}" "UninstallString" "$\"$INSTDIR\uninstall.exe$\""
  WriteRegStr HKCU "${KEY}" "QuietUninstallString" "$\"$INSTDIR\uninstall.exe$\" /S"
  WriteRegDWORD HKCU "${KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\lorewell.exe"
  Delete "$INSTDIR\lorewell-cli.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\lorewell.set"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Lorewell\Lorewell.lnk"
  Delete "$SMPROGRAMS\Lorewell\Uninstall Lorewell.lnk"
  RMDir "$SMPROGRAMS\Lorewell"
  DeleteRegKey HKCU "${KEY}"
  IfFileExists "$INSTDIR\*.*" 0 +2
    MessageBox MB_ICONINFORMATION|MB_OK "Your libraries were kept in $INSTDIR." /SD IDOK
SectionEnd
