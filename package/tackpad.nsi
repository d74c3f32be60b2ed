; Tackpad's installer: for the current user, without administrator rights.
; package.sh passes VERSION, EXE, README, ICON and OUTFILE (and TARGET for a 64-bit test build).
Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tackpad"
!define PUBLISHER "The Tackpad developers"

Name "Tackpad"
BrandingText "Tackpad ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Tackpad"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "Tackpad"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Tackpad ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Free to use, copy and share."

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Tackpad"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTackpad
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Ended  ; how many running copies of the installed Tackpad were asked to end

; Asks each Tackpad running from $INSTDIR to end (message 12504 to its owner window), so it
; stores its notes, or keeps what its file refuses in a recovery file, and lets go of its exe
; without asking anyone; and waits for it to end. A Tackpad 1.1 knows only "Exit" (command 500),
; posted after. Copies started from other folders (a portable one) are left alone.
!macro EndRunningTackpad un
Function ${un}EndRunningTackpad
  StrCpy $Ended 0
  StrCpy $0 0
  ${Do}
    System::Call 'user32::FindWindowExW(p 0, p r0, w "WindowClass_1000", p 0) p .r0'
    ${IfThen} $0 P= 0 ${|} ${ExitDo} ${|}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    ; PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r1) p .r2'
    ${IfThen} $2 P= 0 ${|} ${Continue} ${|}
    StrCpy $3 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN})'
    ${If} $3 == "$INSTDIR\Tackpad.exe"
      ; Posted again while it still runs: a Tackpad still loading its notes may drop one.
      ${For} $5 1 8
        System::Call 'user32::PostMessageW(p r0, i 12504, p 0, p 0)'
        System::Call 'user32::PostMessageW(p r0, i 0x111, p 500, p 0)'
        System::Call 'kernel32::WaitForSingleObject(p r2, i 2000) i .r4'
        ${IfThen} $4 == 0 ${|} ${ExitFor} ${|}
      ${Next}
      ${If} $4 != 0
        System::Call 'kernel32::CloseHandle(p r2)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tackpad is still running. Close it, then choose Retry." /SD IDCANCEL IDRETRY +2
        Abort "Tackpad is still running."
        StrCpy $2 0
      ${Else}
        IntOp $Ended $Ended + 1
      ${EndIf}
      StrCpy $0 0  ; the window list changed: start again
    ${EndIf}
    ${If} $2 P<> 0
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro EndRunningTackpad ""
!insertmacro EndRunningTackpad "un."

; Tackpad keeps "Settings.ini" in the folder it starts in: the shortcuts start it in the notes folder.
Function StartTackpad
  SetOutPath "$APPDATA\Tackpad"
  Exec '"$INSTDIR\Tackpad.exe"'
FunctionEnd

Section "Tackpad" ProgramSection
  SectionIn RO
  Call EndRunningTackpad
  SetOutPath "$INSTDIR"
  File "/oname=Tackpad.exe" "${EXE}"
  File "/oname=README.txt" "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$APPDATA\Tackpad"
  SetOutPath "$APPDATA\Tackpad"
  CreateShortcut "$SMPROGRAMS\Tackpad.lnk" "$INSTDIR\Tackpad.exe" "" "$INSTDIR\Tackpad.exe" 0 SW_SHOWNORMAL "" "Sticky notes on the desktop"
  ; An upgrade without the startup option drops the old one.
  Delete "$SMSTARTUP\Tackpad.lnk"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tackpad"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tackpad.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${ProgramSection} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Start Tackpad when I log on" StartupSection
  SetOutPath "$APPDATA\Tackpad"
  CreateShortcut "$SMSTARTUP\Tackpad.lnk" "$INSTDIR\Tackpad.exe" "" "$INSTDIR\Tackpad.exe" 0 SW_SHOWNORMAL "" "Sticky notes on the desktop"
SectionEnd

; A Tackpad this upgrade ended comes back with its notes.
Section "-Restart"
  ${If} $Ended > 0
    Call StartTackpad
  ${EndIf}
SectionEnd

; The notes folder stays, with "Settings.ini", "Deleted notes.ini" and "Backups": they are the user's.
Section "Uninstall"
  Call un.EndRunningTackpad
  Delete "$SMPROGRAMS\Tackpad.lnk"
  Delete "$SMSTARTUP\Tackpad.lnk"
  Delete "$INSTDIR\Tackpad.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
