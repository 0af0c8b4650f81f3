; Pomarel's installer for Windows: a per-user install (no administrator prompt) of Pomarel.scr,
; Pomarel.dll and the guide, Start-menu entries, an uninstall entry and, if wanted, Pomarel as
; the current screensaver. Needs makensis 3 (MUI2, FileFunc, LogicLib, System plugin) and the
; defines that packaging/windows/make-installer passes: ARCH (x64|x86), BIN (folder of both
; programs), GUIDE, VERSION (major.minor.patch), OUTFILE and, when there is one, ICON.
;
; Silent use: /S, /D=<folder> (last, unquoted), /KEEPCURRENT leaves the chosen screensaver as it
; is; the uninstaller takes /S and /REMOVESETTINGS. A failure ends with exit code 2.

!if "${ARCH}" == "x64"
  Target amd64-unicode
!else if "${ARCH}" == "x86"
  Target x86-unicode
!else
  !error "ARCH must be x64 or x86"
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pomarel"
!define DESKTOP_KEY "Control Panel\Desktop"
!define MENU "$SMPROGRAMS\Pomarel"
!define UNINSTALLER "Uninstall Pomarel.exe"

Name "Pomarel"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Pomarel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Pomarel ${VERSION}"
; A file that cannot be written is a failure to retry or cancel, never one to skip: a skipped
; Pomarel.dll beside a new Pomarel.scr is exactly the half-replaced pair to avoid.
AllowSkipFiles off
ShowInstDetails nevershow
ShowUninstDetails nevershow

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pomarel.scr"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunSettings)"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString Programs ${LANG_ENGLISH} "Pomarel (required)"
LangString Programs ${LANG_JAPANESE} "Pomarel (必須)"
LangString MakeCurrent ${LANG_ENGLISH} "Make Pomarel the current screensaver"
LangString MakeCurrent ${LANG_JAPANESE} "Pomarel を現在のスクリーンセーバーにする"
LangString RemoveSettings ${LANG_ENGLISH} "Also remove my settings (Swirlbloom.ini)"
LangString RemoveSettings ${LANG_JAPANESE} "設定 (Swirlbloom.ini) も削除する"
LangString RunSettings ${LANG_ENGLISH} "Open the Pomarel settings to choose music"
LangString RunSettings ${LANG_JAPANESE} "Pomarel の設定を開いて音楽を選ぶ"
LangString InUse ${LANG_ENGLISH} "Pomarel is in use: $R9.$\r$\n$\r$\nEnd the screensaver or close its settings, then choose Retry. Cancel stops here and changes nothing."
LangString InUse ${LANG_JAPANESE} "Pomarel は使用中です: $R9。$\r$\n$\r$\nスクリーンセーバーまたは設定画面を終了してから［再試行］を選んでください。［キャンセル］を選ぶと何も変更せずに終了します。"
LangString Running ${LANG_ENGLISH} "the screensaver or its settings window is open"
LangString Running ${LANG_JAPANESE} "スクリーンセーバーまたは設定画面が開いています"
LangString Locked ${LANG_ENGLISH} "another program holds"
LangString Locked ${LANG_JAPANESE} "別のプログラムが使用しています:"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Pomarel"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Pomarel confetti screensaver setup (${ARCH})"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Pomarel"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Pomarel"

; Sets $R9 to why the programs in $INSTDIR cannot be replaced now, or to "" when they can. A
; session shows itself by its hidden host window or the renderer's window, the settings by its
; dialog; anything else holding a program (a preview, a virus scanner) by a refused write open.
!macro WINDOW_IN_USE title
  FindWindow $R7 "" "${title}"
  ${If} $R7 <> 0
    StrCpy $R9 "$(Running)"
    Return
  ${EndIf}
!macroend
!macro FILE_IN_USE name
  ${If} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $R7 "$INSTDIR\${name}" a
    ${If} ${Errors}
      StrCpy $R9 "$(Locked) ${name}"
      Return
    ${EndIf}
    FileClose $R7
  ${EndIf}
!macroend

!macro FIND_USE un
Function ${un}FindUse
  StrCpy $R9 ""
  !insertmacro WINDOW_IN_USE "Swirlbloom_Main"
  !insertmacro WINDOW_IN_USE "Swirlbloom_VC"
  !insertmacro WINDOW_IN_USE "<Pomarel>"
  !insertmacro FILE_IN_USE "Pomarel.scr"
  !insertmacro FILE_IN_USE "Pomarel.dll"
FunctionEnd

; Returns once the programs are free; otherwise asks to retry, and on Cancel (the silent
; answer) aborts with exit code 2 before anything has been changed.
Function ${un}WaitUntilFree
  retry:
  Call ${un}FindUse
  ${If} $R9 != ""
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(InUse)" /SD IDCANCEL IDRETRY retry
    DetailPrint "$R9"
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd
!macroend
!insertmacro FIND_USE ""
!insertmacro FIND_USE "un."

Section "$(Programs)" SecPrograms
  SectionIn RO
  Call WaitUntilFree
  SetOutPath "$INSTDIR"
  File "${BIN}/Pomarel.scr"
  File "${BIN}/Pomarel.dll"
  File "/oname=Pomarel.html" "${GUIDE}"
  ; No Swirlbloom.ini is shipped: the user's settings beside the programs survive an upgrade.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\Pomarel settings.lnk" "$INSTDIR\Pomarel.scr" "/c" "$INSTDIR\Pomarel.scr" 0
  CreateShortcut "${MENU}\Pomarel guide.lnk" "$INSTDIR\Pomarel.html"
  CreateShortcut "${MENU}\Uninstall Pomarel.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pomarel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pomarel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pomarel.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  SectionGetSize ${SecPrograms} $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; What right-click Install does. The short form keeps blanks out of the value: the system has
; run SCRNSAVE.EXE as a bare command line.
Section "$(MakeCurrent)" SecCurrent
  ClearErrors
  GetFullPathName /SHORT $0 "$INSTDIR\Pomarel.scr"
  ${If} ${Errors}
  ${OrIf} $0 == ""
    StrCpy $0 "$INSTDIR\Pomarel.scr"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$0"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ; SPI_SETSCREENSAVEACTIVE with SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: the running desktop
  ; takes the choice now instead of at the next sign-in.
  System::Call "user32::SystemParametersInfo(i 17, i 1, p 0, i 3)"
SectionEnd

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPCURRENT" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecCurrent}
  ${EndIf}
FunctionEnd

Section "un.$(Programs)"
  SectionIn RO
  Call un.WaitUntilFree
  ; Compared while the program still exists: a short form can only be made of an existing file.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
    StrCpy $1 "$INSTDIR\Pomarel.scr"
    GetFullPathName /SHORT $2 $1
    ${If} $2 == ""
      StrCpy $2 $1
    ${EndIf}
    GetFullPathName /SHORT $3 $0
    ; StrCmp ignores case, as the file system does.
    ${If} $0 == $1
    ${OrIf} $0 == $2
    ${OrIf} $3 == $2
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\Pomarel.scr"
  Delete "$INSTDIR\Pomarel.dll"
  Delete "$INSTDIR\Pomarel.html"
  Delete "${MENU}\Pomarel settings.lnk"
  Delete "${MENU}\Pomarel guide.lnk"
  Delete "${MENU}\Uninstall Pomarel.lnk"
  RMDir "${MENU}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.$(RemoveSettings)" SecRemoveSettings
  Delete "$INSTDIR\Swirlbloom.ini"
SectionEnd

Section "-un.Folder"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not /r: whatever the user keeps here, Swirlbloom.ini above all, keeps the folder.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecRemoveSettings}
  ${EndIf}
FunctionEnd
