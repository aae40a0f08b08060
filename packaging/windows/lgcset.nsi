; The LGCSET installer for 64-bit Windows, made by scripts/package-windows with makensis:
;   makensis -DVERSION=1.22 -DSTAGE=<folder of the portable zip> -DOUTFILE=<setup.exe> lgcset.nsi
; It installs for the current user or, when started by an administrator, for all users
; (asked on a page; /CurrentUser or /AllUsers on the command line, /S silent), adds a
; Start-menu entry and an uninstaller, and puts the installation folder on the PATH so that
; a command prompt finds lgcset-cli.exe. files.nsh, written beside STAGE, lists the files, so
; that the uninstaller removes exactly what was installed.
Unicode true
Target amd64-unicode

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined"
!endif

!define NAME "LGCSET"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LGCSET"
!define SYSTEM_ENVIRONMENT "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${NAME}"
; The uninstaller finds the mode of the installation by the key it left.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include StrFunc.nsh
!include WinMessages.nsh
${StrRep}
${UnStrRep}

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${NAME} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "GNU General Public License, version 3 or later"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; The PATH of the mode's environment: the user's, or the system's for all users. ReadRegStr
; cuts a value at NSIS_MAX_STRLEN: a PATH that long is left alone rather than written back
; cut, and the user is told to add the folder themselves.
!macro ReadPath OUT
  ClearErrors
  ${If} $MultiUser.InstallMode == "AllUsers"
    ReadRegStr ${OUT} HKLM "${SYSTEM_ENVIRONMENT}" "Path"
  ${Else}
    ReadRegStr ${OUT} HKCU "Environment" "Path"
  ${EndIf}
!macroend

!macro WritePath VALUE
  ${If} $MultiUser.InstallMode == "AllUsers"
    WriteRegExpandStr HKLM "${SYSTEM_ENVIRONMENT}" "Path" "${VALUE}"
  ${ElseIf} "${VALUE}" == ""
    DeleteRegValue HKCU "Environment" "Path"
  ${Else}
    WriteRegExpandStr HKCU "Environment" "Path" "${VALUE}"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
!macroend

Section "LGCSET" SecMain
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\lgcset.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${NAME} ${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lgcset.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

  !insertmacro ReadPath $0
  ${If} ${Errors}
  ${AndIf} $MultiUser.InstallMode == "AllUsers"
    ; The system's PATH could not be read: it is not written either.
    StrCpy $1 ${NSIS_MAX_STRLEN}
  ${Else}
    StrLen $1 "$0;$INSTDIR"
  ${EndIf}
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    MessageBox MB_OK|MB_ICONINFORMATION "The PATH could not be changed: add $INSTDIR to it to run lgcset-cli from a command prompt." /SD IDOK
  ${Else}
    ; Already there (a second installation into the same folder): not added twice.
    ${StrRep} $2 ";$0;" ";$INSTDIR;" ";"
    ${If} $2 == ";$0;"
      ${If} $0 == ""
        !insertmacro WritePath "$INSTDIR"
      ${Else}
        !insertmacro WritePath "$0;$INSTDIR"
      ${EndIf}
    ${EndIf}
  ${EndIf}
SectionEnd

Section "Uninstall"
  !insertmacro ReadPath $0
  ${IfNot} ${Errors}
    StrLen $1 $0
    ${If} $1 < ${NSIS_MAX_STRLEN}
      ${UnStrRep} $2 ";$0;" ";$INSTDIR;" ";"
      ${If} $2 != ";$0;"
        ; The separators put around it taken off again.
        StrCpy $2 $2 "" 1
        StrCpy $2 $2 -1
        !insertmacro WritePath $2
      ${EndIf}
    ${EndIf}
  ${EndIf}

  Delete "$SMPROGRAMS\${NAME}.lnk"
  !include "${STAGE}\..\files.nsh"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
