; The Windows installer (64-bit, as the program it installs): a per-user install (no
; administrator needed) into the user's programs folder, a Start menu entry with the program's
; icon, an entry in Apps & features, the program's folder on the user's PATH (offered, ticked),
; and an uninstaller that removes all of it, and asks whether the stored logins go too.
;   setup.exe /S                       installs silently, the folder put on the PATH
;   uninstall.exe /S                   removes silently; the stored logins stay
;   uninstall.exe /S /REMOVELOGINS     removes silently, the stored logins with it
; makensis -DVERSION=1.0 -DSOURCE=<folder of ombrelia.exe and its DLLs> -DICON=<ombrelia.ico>
;          -DOUTFILE=<setup.exe> -DREMOVE=<a list of Delete and RMDir lines> ombrelia.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
; The installer's own manifest: common controls 6, each monitor at its own scale.
XPStyle on
ManifestDPIAware true
ManifestDPIAwareness "PerMonitorV2,System"

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Ombrelia"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ombrelia"
; Where the program keeps the logins the user stored (HKEY_CURRENT_USER), and where earlier
; versions kept them.
!define SETTINGS_KEY "Software\Korvath\Ombrelia"
!define EARLIER_SETTINGS_KEY "Software\Korvath\OrganizationDefaults\Ombrelia"
; The passwords' entries in the Credential Manager (generic credentials, CRED_TYPE_GENERIC).
!define CREDENTIAL_1 "Ombrelia/Password"
!define CREDENTIAL_2 "Ombrelia/Password2"
!define CRED_TYPE_GENERIC 1

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow

; What Properties shows of setup.exe.
VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Korvath"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 Korvath"

; The notices of the libraries that come with the program: what they are, their licences, and
; where their sources are. Their full texts are installed in the licenses folder.
LicenseData "${SOURCE}\NOTICES.txt"
LicenseText "Ombrelia comes with libraries under licences of their own. Their notices follow; the full texts are installed beside the program, in its licenses folder." "Next >"

Page license
Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!addincludedir "${__FILEDIR__}"
!include "path_list.nsh"

Section "Ombrelia (required)"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\ombrelia.exe" "" "$INSTDIR\ombrelia.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Korvath"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ombrelia.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; "ombrelia" at a new command prompt, from any folder: the program's folder goes at the end of
; the user's own PATH (HKEY_CURRENT_USER\Environment), unless it is there already. The
; uninstaller takes off what the installer put there, and nothing else.
Section "Put ombrelia on my PATH (for the command prompt)" SectionPath
  ReadRegStr $R0 HKCU "Environment" "Path"
  StrCpy $R1 "$INSTDIR"
  Call PathWithout
  ${If} $R3 > 0
    DetailPrint "$INSTDIR is on your PATH already."
    Return
  ${EndIf}
  StrLen $0 "$R0$INSTDIR;"
  ${If} $0 >= ${NSIS_MAX_STRLEN}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the installer to add $INSTDIR to it safely; it is left as it is. Add the folder yourself, or run ombrelia from it." /SD IDOK
    Return
  ${EndIf}
  ${If} $R0 == ""
    StrCpy $R0 "$INSTDIR"
  ${Else}
    StrCpy $R0 "$R0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKCU "Environment" "Path" $R0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "PathEntry" "$INSTDIR"
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

; Only the files the installer laid down go, and their folders once empty: a folder the user
; chose may hold files of theirs. What the user stored with the program (the logins in the
; registry, their passwords in the Credential Manager, the program's state and refused rows in
; %APPDATA%\ombrelia) goes only when the user says so; a silent uninstall keeps it, unless told
; /REMOVELOGINS.
Section "Uninstall"
  Call un.TakeOffPath
  Call un.AskToRemoveLogins
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Function un.TakeOffPath
  ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "PathEntry"
  ${If} $R1 == ""
    Return
  ${EndIf}
  ReadRegStr $R0 HKCU "Environment" "Path"
  StrLen $0 $R0
  IntOp $0 $0 + 1
  ${If} $0 >= ${NSIS_MAX_STRLEN}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the uninstaller to change it safely: take $R1 off it yourself." /SD IDOK
    Return
  ${EndIf}
  Call un.PathWithout
  ${If} $R3 > 0
    WriteRegExpandStr HKCU "Environment" "Path" $R2
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
FunctionEnd

Function un.AskToRemoveLogins
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVELOGINS" $1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Remove your stored logins too?$\r$\n$\r$\nYes removes the two logins Ombrelia remembers (HKEY_CURRENT_USER\${SETTINGS_KEY}), their passwords in the Windows Credential Manager, and the program's folder $APPDATA\ombrelia with the refused rows kept there.$\r$\n$\r$\nNo keeps them for a later install." /SD IDNO IDYES remove
    Return
  ${EndIf}
  remove:
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKCU "${EARLIER_SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Korvath\OrganizationDefaults"
  DeleteRegKey /ifempty HKCU "Software\Korvath"
  System::Call 'advapi32::CredDeleteW(w "${CREDENTIAL_1}", i ${CRED_TYPE_GENERIC}, i 0) i .r0'
  System::Call 'advapi32::CredDeleteW(w "${CREDENTIAL_2}", i ${CRED_TYPE_GENERIC}, i 0) i .r0'
  RMDir /r "$APPDATA\ombrelia"
FunctionEnd
