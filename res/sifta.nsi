; The Windows installer of Sifta (makensis, from Debian's nsis package):
; installs the files of the zip into Program Files\Sifta, adds the Start-menu
; entries and an uninstaller that Windows lists under its programs. /S
; installs and uninstalls without a window.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.26 -DFILES=<folder of the zip's files>
;            -DICON=<sifta.ico> -DUNINSTALL=<the uninstaller's Delete lines> -DOUT=<setup.exe> sifta.nsi
Target amd64-unicode  ; a 64-bit installer for a 64-bit program (and Wine without 32-bit support)
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sifta"

Name "Sifta ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\Sifta"
InstallDirRegKey HKLM "Software\Sifta" "InstallDir"
BrandingText "Sifta ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "Sifta"
VIAddVersionKey /LANG=1041 "FileDescription" "Sifta ${VERSION} setup"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "The Sifta developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${FILES}/licenses/Sifta.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Sifta は 64 ビット版の Windows で動きます。"
    Abort
  ${EndIf}
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Sifta"
  SetOutPath "$INSTDIR"
  File /r "${FILES}/*"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "Software\Sifta" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Sifta ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Sifta developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sifta.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Sifta"
  CreateShortcut "$SMPROGRAMS\Sifta\Sifta.lnk" "$INSTDIR\sifta.exe"
  CreateShortcut "$SMPROGRAMS\Sifta\はじめにお読みください.lnk" "$INSTDIR\README.txt"
  CreateShortcut "$SMPROGRAMS\Sifta\Sifta のアンインストール.lnk" "$INSTDIR\Uninstall.exe"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  RMDir /r "$SMPROGRAMS\Sifta"
  ; Only what the installer put there: a user's files in the folder stay.
  !include "${UNINSTALL}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Sifta"
SectionEnd
