; LarkspurSetup.exe: installs Larkspur.exe and LarkspurMenu.dll into "Program Files\Larkspur",
; registers the menu module through its own DllRegisterServer and writes an uninstaller with its
; "Programs and Features" entry. Built by CMake (target larkspur_setup); the file is UTF-8, so
; makensis needs -INPUTCHARSET UTF8 and the defines VERSION, PROGRAM_EXE, MODULE_DLL, OUTFILE.
Unicode true
; The 32-bit stub would not run under a 64-bit-only Wine, and the module is 64-bit.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef VERSION | PROGRAM_EXE | MODULE_DLL | OUTFILE
  !error "define VERSION, PROGRAM_EXE, MODULE_DLL and OUTFILE"
!endif

!define CLSID "{AB479803-AF80-4941-BC86-4C2CF7359581}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspur"
!define MODULE "LarkspurMenu.dll"
!define PROGRAM "Larkspur.exe"
!define UNINSTALLER "uninstall.exe"

Name "Larkspur ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Larkspur"
; An installed copy is updated where it is, so there is only ever one.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUnInstDetails show

!include MUI2.nsh
!include LogicLib.nsh

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString TextRegistrationFailed ${LANG_SIMPCHINESE} \
  "无法注册右键菜单模块 ${MODULE}，安装没有完成。$\r$\n请以管理员身份重新运行安装程序。"
LangString TextRemovedAtRestart ${LANG_SIMPCHINESE} \
  "部分文件正在使用中，将在重新启动计算机后删除。"
LangString TextOldCopyFailed ${LANG_SIMPCHINESE} \
  "无法卸载已安装的旧版本，安装没有完成。"

; A file that a running program holds (Explorer loads the module) can be renamed but not
; replaced or deleted: move it aside and delete it at the next restart. Deleting it at restart
; under its own name would delete the copy that a later install puts there.
!macro MoveAsideInUse FILE
  ${If} ${FileExists} "${FILE}"
    Delete "${FILE}"
    ${If} ${FileExists} "${FILE}"
      GetTempFileName $R9 "$INSTDIR"
      Delete $R9
      Rename "${FILE}" $R9
      Delete /REBOOTOK $R9
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; Runs the uninstaller of an installed copy in place, so that its registration and its files are
; gone before this one is installed; a copy registered without our uninstaller is unregistered.
Function RemovePreviousCopy
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "$0\${UNINSTALLER} /S"
    ClearErrors
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    ${If} ${Errors}
    ${OrIf} $1 != 0
      MessageBox MB_OK|MB_ICONSTOP "$(TextOldCopyFailed)" /SD IDOK
      Abort
    ${EndIf}
    ; Run in place, the old uninstaller cannot delete itself.
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\${MODULE}"
    UnRegDLL "$INSTDIR\${MODULE}"
  ${EndIf}
FunctionEnd

; DllRegisterServer, then a check that the class really names the installed module (as its long
; or, when the path has a blank, its short form). On failure nothing of ours stays behind.
Function RegisterModule
  StrCpy $3 0
  ClearErrors
  RegDLL "$INSTDIR\${MODULE}"
  ReadRegStr $0 HKCR "CLSID\${CLSID}\InprocServer32" ""
  GetFullPathName /SHORT $1 "$INSTDIR\${MODULE}"
  ${IfNot} ${Errors} ; sticky: any of the three failed
    ${If} $0 == "$INSTDIR\${MODULE}"
    ${OrIf} $0 == $1
      StrCpy $3 1
    ${EndIf}
  ${EndIf}
  ${If} $3 != 1
    DetailPrint "DllRegisterServer: '$0'"
    UnRegDLL "$INSTDIR\${MODULE}"
    !insertmacro MoveAsideInUse "$INSTDIR\${MODULE}"
    !insertmacro MoveAsideInUse "$INSTDIR\${PROGRAM}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "$(TextRegistrationFailed)" /SD IDOK
    Abort
  ${EndIf}
  ; The module names the registering process as the file type's icon and open command; that
  ; would be this setup program, which may be gone tomorrow. Name the installed program instead,
  ; in the module's own form (the path unquoted, so its short form).
  GetFullPathName /SHORT $2 "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCR "Larkspur\DefaultIcon" "" "$2,0"
  WriteRegStr HKCR "Larkspur\shell\open\command" "" '$2 "%1"'
FunctionEnd

Section "Larkspur"
  SetShellVarContext all
  Call RemovePreviousCopy
  SetOutPath "$INSTDIR"
  !insertmacro MoveAsideInUse "$INSTDIR\${MODULE}"
  !insertmacro MoveAsideInUse "$INSTDIR\${PROGRAM}"
  File "/oname=${PROGRAM}" "${PROGRAM_EXE}"
  File "/oname=${MODULE}" "${MODULE_DLL}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Call RegisterModule

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Larkspur"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Larkspur"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${RebootFlag}
    MessageBox MB_OK|MB_ICONINFORMATION "$(TextRemovedAtRestart)" /SD IDOK
  ${EndIf}
SectionEnd

; DllUnregisterServer removes the module's keys (also the icon and open command written above)
; and leaves the shared ones; then the files, the folder and the uninstaller's own key go.
Section "Uninstall"
  SetShellVarContext all
  ${If} ${FileExists} "$INSTDIR\${MODULE}"
    UnRegDLL "$INSTDIR\${MODULE}"
  ${EndIf}
  !insertmacro MoveAsideInUse "$INSTDIR\${MODULE}"
  !insertmacro MoveAsideInUse "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
    MessageBox MB_OK|MB_ICONINFORMATION "$(TextRemovedAtRestart)" /SD IDOK
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
