; The Windows installer: flakemorph.scr into the system folder, where the Screen Saver settings
; list it; the trace tool, README.txt, LICENSE and the uninstaller into Program Files; an entry
; in Apps & features. With /S it asks nothing; /CURRENT (with or without /S) makes flakemorph
; the current user's screen saver without asking.
; makensis -DVERSION=x.y.z -DVERSION4=x.y.z.0 -DFILES=<folder of the files> -DOUTFILE=<setup.exe>
; A 64-bit installer: it writes the 64-bit system folder and registry as they are, and needs
; no 32-bit layer (which Wine on a 64-bit Debian does not have either).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\flakemorph"
!define DESKTOP_KEY "Control Panel\Desktop"
!define PUBLISHER "the flakemorph authors"

Name "flakemorph ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\flakemorph"
Icon "${FILES}\flakemorph.ico"
UninstallIcon "${FILES}\flakemorph.ico"
BrandingText "flakemorph ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey "ProductName" "flakemorph"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "flakemorph screen saver setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}, MIT licence"
VIAddVersionKey "OriginalFilename" "flakemorph-${VERSION}-setup.exe"

Page license
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${FILES}\LICENSE"


Section "flakemorph"
  SetOutPath "$SYSDIR"
  File "${FILES}\flakemorph.scr"
  SetOutPath "$INSTDIR"
  File "${FILES}\flakemorph-trace.exe"
  File "${FILES}\README.txt"
  File "${FILES}\LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "flakemorph screen saver"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\flakemorph.scr,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ${GetSize} "$SYSDIR" "/M=flakemorph.scr /S=0K" $3 $1 $2
  IntOp $0 $0 + $3
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/CURRENT" $R1
  ${IfNot} ${Errors}
    Call MakeCurrent
  ${Else}
    MessageBox MB_YESNO|MB_ICONQUESTION "Make flakemorph your screen saver now?" /SD IDNO IDNO done
    Call MakeCurrent
    done:
  ${EndIf}
SectionEnd

; The current user's screen saver, as the Screen Saver settings store it.
Function MakeCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\flakemorph.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; Tells running programs (the settings among them) that the setting changed.
  System::Call 'user32::SystemParametersInfoW(i 17, i 1, p 0, i 2)'
FunctionEnd

Section "Uninstall"
  ; The current screen saver, if it is this one, is none rather than a missing file.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${GetFileName} $0 $1
  ${If} $1 == "flakemorph.scr"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    System::Call 'user32::SystemParametersInfoW(i 17, i 0, p 0, i 2)'
  ${EndIf}
  Delete /REBOOTOK "$SYSDIR\flakemorph.scr"
  Delete "$INSTDIR\flakemorph-trace.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The settings the saver kept for this user.
  DeleteRegKey HKCU "Software\flakemorph"
SectionEnd
