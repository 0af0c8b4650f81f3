; Pomarel's installer for Windows: a per-user install (no administrator prompt) of Pomarel.scr,
; Pomarel.dll, the guide and the licence, Start-menu entries, an uninstall entry and, if wanted,
; Pomarel as the current screensaver. Needs makensis 3 (MUI2, FileFunc, LogicLib, System plugin)
; and the defines that packaging/windows/make-installer passes: ARCH (x64|x86), BIN (a folder
; with both programs, Pomarel.html, LICENSE.txt and wizard.bmp), VERSION (major.minor.patch),
; OUTFILE and, when there is one, ICON.
;
; Silent use: /S, /D=<folder> (last), /KEEPCURRENT leaves the chosen screensaver as it is; the
; uninstaller takes /S and /REMOVESETTINGS. A failure, or a folder that cannot be used (not a full
; path on a drive that exists, one the programs could not work in, or one where a folder stands
; in the place of a file the installer writes), ends with exit code 2.

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
; The Start-menu entries in both languages: whichever language installed them, the uninstaller
; and a later install in the other language remove them all.
!define SETTINGS_EN "Pomarel settings"
!define SETTINGS_JA "Pomarel の設定"
!define GUIDE_EN "Pomarel guide"
!define GUIDE_JA "Pomarel ガイド"
!define UNINSTALL_EN "Uninstall Pomarel"
!define UNINSTALL_JA "Pomarel のアンインストール"

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
; The components pages say what the ticked parts need (installer) or free (uninstaller).
Var SpaceLabel
SpaceTexts "$SpaceLabel"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEFINISHPAGE_BITMAP "${BIN}/wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${BIN}/wizard.bmp"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pomarel.scr"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/c"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunSettings)"
!define MUI_FINISHPAGE_RUN_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
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
LangString BadFolder ${LANG_ENGLISH} "Pomarel cannot be installed into this folder:$\r$\n$\r$\n$R8$\r$\n$\r$\nGive the full path of a folder (such as C:\Pomarel) on a drive that exists; it is created if need be. Nothing has been changed."
LangString BadFolder ${LANG_JAPANESE} "このフォルダーには Pomarel をインストールできません:$\r$\n$\r$\n$R8$\r$\n$\r$\n存在するドライブ上のフォルダーを C:\Pomarel のような完全なパスで指定してください (なければ作成されます)。何も変更されていません。"
LangString FolderUnfit ${LANG_ENGLISH} "Pomarel cannot work in this folder:$\r$\n$\r$\n$R8$\r$\n$\r$\nIts path is too long, or holds characters outside this system's code page, and its short (8.3) form does not fit either. Choose a folder with a shorter path, such as C:\Pomarel. Nothing has been changed."
LangString NotAFile ${LANG_ENGLISH} "Pomarel cannot be installed into this folder: a folder stands where Pomarel puts a file of its own:$\r$\n$\r$\n$R8$\r$\n$\r$\nRemove or rename that folder, or choose another folder. Nothing has been changed."
LangString NotAFile ${LANG_JAPANESE} "このフォルダーには Pomarel をインストールできません。Pomarel のファイルを置く場所にフォルダーがあります:$\r$\n$\r$\n$R8$\r$\n$\r$\nそのフォルダーを削除するか名前を変えるか、別のフォルダーを選んでください。何も変更されていません。"
LangString NotWritten ${LANG_ENGLISH} "Pomarel could not be installed: this could not be written:$\r$\n$\r$\n$R8$\r$\n$\r$\nWhat this installation added has been removed again, and nothing has been registered."
LangString NotWritten ${LANG_JAPANESE} "Pomarel をインストールできませんでした。次のものを書き込めませんでした:$\r$\n$\r$\n$R8$\r$\n$\r$\nこのインストールで追加したものは削除しました。何も登録されていません。"
LangString FolderUnfit ${LANG_JAPANESE} "このフォルダーでは Pomarel は動作できません:$\r$\n$\r$\n$R8$\r$\n$\r$\nパスが長すぎるか、このシステムのコード ページにない文字を含み、その短い (8.3 形式の) 名前も使えません。C:\Pomarel のような短いパスのフォルダーを選んでください。何も変更されていません。"
LangString MenuSettings ${LANG_ENGLISH} "${SETTINGS_EN}"
LangString MenuSettings ${LANG_JAPANESE} "${SETTINGS_JA}"
LangString MenuGuide ${LANG_ENGLISH} "${GUIDE_EN}"
LangString MenuGuide ${LANG_JAPANESE} "${GUIDE_JA}"
LangString MenuUninstall ${LANG_ENGLISH} "${UNINSTALL_EN}"
LangString MenuUninstall ${LANG_JAPANESE} "${UNINSTALL_JA}"
LangString SpaceNeeded ${LANG_ENGLISH} "Space required: "
LangString SpaceNeeded ${LANG_JAPANESE} "必要なディスク スペース: "
LangString SpaceFreed ${LANG_ENGLISH} "Space freed: "
LangString SpaceFreed ${LANG_JAPANESE} "解放されるディスク スペース: "

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
  ; A folder in a program's place is no program in use: the folder checks report it.
  ${If} ${FileExists} "$INSTDIR\${name}"
  ${AndIfNot} ${FileExists} "$INSTDIR\${name}\*.*"
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

; Sizes in kilobytes, rounded up, of the files that Pomarel itself keeps in $INSTDIR, into $R6:
; what the uninstall entry reports and what the uninstaller frees.
!macro ADD_FILE_SIZE name
  ClearErrors
  FileOpen $R7 "$INSTDIR\${name}" r
  ${IfNot} ${Errors}
    FileSeek $R7 0 END $R5
    FileClose $R7
    IntOp $R5 $R5 + 1023
    IntOp $R5 $R5 / 1024
    IntOp $R6 $R6 + $R5
  ${EndIf}
!macroend
!macro PROGRAM_SIZES un
Function ${un}ProgramSizes
  StrCpy $R6 0
  !insertmacro ADD_FILE_SIZE "Pomarel.scr"
  !insertmacro ADD_FILE_SIZE "Pomarel.dll"
  !insertmacro ADD_FILE_SIZE "Pomarel.html"
  !insertmacro ADD_FILE_SIZE "LICENSE.txt"
  !insertmacro ADD_FILE_SIZE "${UNINSTALLER}"
FunctionEnd
!macroend
!insertmacro PROGRAM_SIZES ""
!insertmacro PROGRAM_SIZES "un."

; Pomarel.scr reaches the files beside it (Pomarel.dll, Pomarel.html, Swirlbloom.ini and the
; copies a save makes) through the system's ANSI calls, which take a path of fewer than 260
; characters that the ANSI code page holds, and the shell starts no shortcut's target of 260 or
; more. So the folder's own path or its 8.3 form must leave room for the longest name written
; into it, "\Uninstall Pomarel.exe", the uninstall shortcut's target (22 characters).
!define FOLDER_LIMIT 237

; Sets $R3 to 1 when $R2 fits those calls, else to "". Uses $R6.
Function FitsAnsiCalls
  StrCpy $R3 ""
  StrLen $R6 $R2
  ${If} $R6 > ${FOLDER_LIMIT}
    Return
  ${EndIf}
  ; The path to the ANSI code page, and back into $R6 as the system reads it there.
  System::Call "kernel32::WideCharToMultiByte(i 0, i 0, w R2, i -1, m .R6, i ${NSIS_MAX_STRLEN}, p 0, p 0)"
  ${If} $R6 S== $R2
    StrCpy $R3 1
  ${EndIf}
FunctionEnd

; Sets $R1 to 1 when Pomarel can work in the folder $R0, else to "", and $R4 to the part of
; the folder that exists already. Each name of the part still to be made counts as the 12
; characters an 8.3 name may take, the most its short form can have. Uses $R2 to $R6.
Function FolderFits
  StrCpy $R1 ""
  StrCpy $R4 $R0
  StrCpy $R5 0
  ${DoUntil} ${FileExists} "$R4\*.*"
    ${GetParent} $R4 $R4
    IntOp $R5 $R5 + 1
    ${If} $R4 == ""
      Return
    ${EndIf}
  ${Loop}
  StrCpy $R2 $R0
  Call FitsAnsiCalls
  ${If} $R3 == 1
    StrCpy $R1 1
    Return
  ${EndIf}
  ClearErrors
  ; "\." keeps a drive root (C:) from naming the current folder on that drive.
  GetFullPathName /SHORT $R2 "$R4\."
  ${If} ${Errors}
  ${OrIf} $R2 == ""
    Return
  ${EndIf}
  StrCpy $R6 $R2 1 -1
  ${If} $R6 == "\"
    StrCpy $R2 $R2 -1
  ${EndIf}
  ${DoWhile} $R5 > 0
    StrCpy $R2 "$R2\XXXXXXXX.XXX"
    IntOp $R5 $R5 - 1
  ${Loop}
  Call FitsAnsiCalls
  StrCpy $R1 $R3
FunctionEnd

; The files the installer writes into $INSTDIR, with a bit each for $Had.
!macro WRITTEN_FILES do
  !insertmacro ${do} "Pomarel.scr" 1
  !insertmacro ${do} "Pomarel.dll" 2
  !insertmacro ${do} "Pomarel.html" 4
  !insertmacro ${do} "LICENSE.txt" 8
  !insertmacro ${do} "${UNINSTALLER}" 16
!macroend

; Sets $R3 to "file", "folder" or "" (nothing there) for the path $R2: ${FileExists} and
; FileOpen do not tell a folder from a file.
Function PathKind
  System::Call "kernel32::GetFileAttributesW(w R2) i .R3"
  ${If} $R3 = -1
    StrCpy $R3 ""
  ${Else}
    IntOp $R3 $R3 & 0x10 ; FILE_ATTRIBUTE_DIRECTORY
    ${If} $R3 = 0
      StrCpy $R3 "file"
    ${Else}
      StrCpy $R3 "folder"
    ${EndIf}
  ${EndIf}
FunctionEnd

!macro REFUSE_FOLDER name bit
  StrCpy $R2 "$INSTDIR\${name}"
  Call PathKind
  ${If} $R3 == "folder"
    StrCpy $R8 $R2
    Return
  ${EndIf}
!macroend
; Sets $R8 to the first place in $INSTDIR where a folder stands instead of a file the installer
; writes, else to "". Uses $R2 and $R3.
Function FolderInTheWay
  StrCpy $R8 ""
  !insertmacro WRITTEN_FILES REFUSE_FOLDER
FunctionEnd

; Sets $R0 to the plain full path of the folder $R0 (backslashes, no "." or ".." segments, no
; trailing backslash), or to "" when $R0 is not the full path of a folder on a drive that
; exists: relative, UNC, a drive root, a file or under one, or with a character no name takes.
; Uses $R1 to $R3.
Function PlainFolder
  StrCpy $R1 $R0 2 1
  ${If} $R1 != ":\"
  ${AndIf} $R1 != ":/"
    StrCpy $R0 ""
    Return
  ${EndIf}
  StrCpy $R2 2
  ${Do}
    StrCpy $R1 $R0 1 $R2
    ${If} $R1 == '"'
    ${OrIf} $R1 == ":"
    ${OrIf} $R1 == "*"
    ${OrIf} $R1 == "?"
    ${OrIf} $R1 == "<"
    ${OrIf} $R1 == ">"
    ${OrIf} $R1 == "|"
      StrCpy $R0 ""
      Return
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${LoopUntil} $R1 == ""
  ; The system's own reading of the path: it turns "/" into "\" and drops "." and ".." segments
  ; without looking at the disk, so a folder named on the way is never made. (NSIS's own
  ; GetFullPathName fails for a path that does not exist yet.)
  System::Call "kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R0, p 0) i .R1"
  ${If} $R1 = 0
  ${OrIf} $R1 >= ${NSIS_MAX_STRLEN}
    StrCpy $R0 ""
    Return
  ${EndIf}
  ${Do}
    StrCpy $R1 $R0 1 -1
    ${If} $R1 != "\"
      ${ExitDo}
    ${EndIf}
    StrCpy $R0 $R0 -1
  ${Loop}
  StrLen $R1 $R0
  StrCpy $R2 $R0 3
  Call PathKind
  ${If} $R1 <= 2
  ${OrIf} $R3 != "folder"
    StrCpy $R0 ""
    Return
  ${EndIf}
  StrCpy $R2 $R0
  ${Do}
    Call PathKind
    ${If} $R3 == "file"
      StrCpy $R0 ""
      Return
    ${EndIf}
    ${GetParent} $R2 $R2
    StrLen $R1 $R2
  ${LoopWhile} $R1 > 2
FunctionEnd

Function DirectoryLeave
  StrCpy $R8 $INSTDIR
  StrCpy $R0 $INSTDIR
  Call PlainFolder
  ${If} $R0 == ""
    MessageBox MB_OK|MB_ICONSTOP "$(BadFolder)"
    Abort
  ${EndIf}
  StrCpy $INSTDIR $R0
  Call FolderFits
  ${If} $R1 != 1
    MessageBox MB_OK|MB_ICONSTOP "$(FolderUnfit)"
    Abort
  ${EndIf}
  Call FolderInTheWay
  ${If} $R8 != ""
    MessageBox MB_OK|MB_ICONSTOP "$(NotAFile)"
    Abort
  ${EndIf}
FunctionEnd

!macro DELETE_SHORTCUTS
  Delete "${MENU}\${SETTINGS_EN}.lnk"
  Delete "${MENU}\${SETTINGS_JA}.lnk"
  Delete "${MENU}\${GUIDE_EN}.lnk"
  Delete "${MENU}\${GUIDE_JA}.lnk"
  Delete "${MENU}\${UNINSTALL_EN}.lnk"
  Delete "${MENU}\${UNINSTALL_JA}.lnk"
!macroend

; What a failed installation undoes (.onInstFailed): the part of $INSTDIR that existed before it
; began to change anything ("" until then), and which of the files it writes were there already.
Var Existed
Var Had
!macro NOTE_HAD name bit
  StrCpy $R2 "$INSTDIR\${name}"
  Call PathKind
  ${If} $R3 == "file"
    IntOp $Had $Had | ${bit}
  ${EndIf}
!macroend
!macro CHECK_WRITTEN name bit
  StrCpy $R2 "$INSTDIR\${name}"
  Call PathKind
  ${If} $R3 != "file"
  ${AndIf} $R8 == ""
    StrCpy $R8 $R2
  ${EndIf}
!macroend
!macro DELETE_ADDED name bit
  IntOp $R3 $Had & ${bit}
  ${If} $R3 = 0
    Delete "$INSTDIR\${name}"
  ${EndIf}
!macroend

; Aborts, as a failure, with $(NotWritten) for $R8.
!macro NOT_WRITTEN
  MessageBox MB_OK|MB_ICONSTOP "$(NotWritten)" /SD IDOK
  SetErrorLevel 2
  Abort
!macroend

Section "$(Programs)" SecPrograms
  SectionIn RO
  Call WaitUntilFree
  ; The folder made, and checked again with its own 8.3 form, which a volume that keeps no 8.3
  ; names does not give it; what was made for it goes again if it does not fit after all.
  StrCpy $R0 $INSTDIR
  Call FolderFits
  StrCpy $Existed $R4
  CreateDirectory "$INSTDIR"
  Call FolderFits
  ${If} $R1 != 1
    StrCpy $R8 $INSTDIR
    MessageBox MB_OK|MB_ICONSTOP "$(FolderUnfit)" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  StrCpy $Had 0
  !insertmacro WRITTEN_FILES NOTE_HAD
  SetOutPath "$INSTDIR"
  File "${BIN}/Pomarel.scr"
  File "${BIN}/Pomarel.dll"
  File "${BIN}/Pomarel.html"
  File "${BIN}/LICENSE.txt"
  ; No Swirlbloom.ini is shipped: the user's settings beside the programs survive an upgrade.
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; Nothing is registered unless every file is in place: WriteUninstaller, for one, fails
  ; without a word.
  StrCpy $R8 ""
  !insertmacro WRITTEN_FILES CHECK_WRITTEN
  ${If} $R8 != ""
    !insertmacro NOT_WRITTEN
  ${EndIf}

  CreateDirectory "${MENU}"
  !insertmacro DELETE_SHORTCUTS
  ; Wine keeps a shortcut's target in the ANSI code page, and the shell starts no program from
  ; a path of MAX_PATH characters or more: where the folder's own path does not fit the ANSI
  ; calls, the shortcuts name its 8.3 form, as the folder they start in too.
  StrCpy $R2 $INSTDIR
  Call FitsAnsiCalls
  StrCpy $R1 $INSTDIR
  ${If} $R3 != 1
    GetFullPathName /SHORT $R1 $INSTDIR
    SetOutPath $R1
  ${EndIf}
  ClearErrors
  CreateShortcut "${MENU}\$(MenuSettings).lnk" "$R1\Pomarel.scr" "/c" "$R1\Pomarel.scr" 0
  CreateShortcut "${MENU}\$(MenuGuide).lnk" "$R1\Pomarel.html"
  CreateShortcut "${MENU}\$(MenuUninstall).lnk" "$R1\${UNINSTALLER}"
  ${If} ${Errors}
    !insertmacro DELETE_SHORTCUTS
    RMDir "${MENU}"
    StrCpy $R8 "${MENU}"
    !insertmacro NOT_WRITTEN
  ${EndIf}
  SetOutPath "$INSTDIR"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pomarel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pomarel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pomarel.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "$INSTDIR\Pomarel.html"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\Pomarel.html"
  Call ProgramSizes
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $R6
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

; Sets $R9 to 1 and $R8 to the folder that /D= gives, or $R9 to "" when there is none. The
; installer itself quietly puts its default folder in place of a /D= value it does not take (one
; with forward slashes, among others) and ignores a quoted "/D=...", as Windows quotes an argument
; with blanks, so the value is read from the process's own command line.
Function CommandLineFolder
  StrCpy $R9 ""
  System::Call "kernel32::GetCommandLine() t .R0"
  ; /D= counts only as the last of the switches that follow the program's name, as the
  ; installer itself reads it; a quoted name may hold blanks.
  StrCpy $R1 $R0 1
  StrCpy $R2 1
  ${If} $R1 == '"'
    ${Do}
      StrCpy $R1 $R0 1 $R2
      IntOp $R2 $R2 + 1
      ${If} $R1 == '"'
      ${OrIf} $R1 == ""
        ${Break}
      ${EndIf}
    ${Loop}
  ${EndIf}
  StrLen $R3 $R0
  ${Do}
    StrCpy $R1 $R0 4 $R2
    StrCpy $R4 $R0 5 $R2
    ${If} $R1 S== " /D="
      IntOp $R2 $R2 + 4
      StrCpy $R8 $R0 "" $R2
      StrCpy $R9 1
      Return
    ${ElseIf} $R4 S== ' "/D='
      ; Only as the last argument; a quote left inside makes the folder one refused.
      IntOp $R2 $R2 + 5
      StrCpy $R8 $R0 "" $R2
      StrCpy $R1 $R8 1 -1
      ${If} $R1 == '"'
        StrCpy $R8 $R8 -1
      ${EndIf}
      StrCpy $R9 1
      Return
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${LoopUntil} $R2 >= $R3
FunctionEnd

Function .onInit
  ; /D= is taken as its plain full path, or refused: never replaced by another folder.
  Call CommandLineFolder
  ${If} $R9 == 1
    StrCpy $R0 $R8
    Call PlainFolder
    ${If} $R0 == ""
      ${If} $R8 == ""
        StrCpy $R8 '""'
      ${EndIf}
      MessageBox MB_OK|MB_ICONSTOP "$(BadFolder)" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    StrCpy $INSTDIR $R0
  ${EndIf}
  ; The folder page checks a folder chosen there when the user goes on.
  ${If} ${Silent}
    StrCpy $R8 $INSTDIR
    StrCpy $R0 $INSTDIR
    Call FolderFits
    ${If} $R1 != 1
      MessageBox MB_OK|MB_ICONSTOP "$(FolderUnfit)" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    Call FolderInTheWay
    ${If} $R8 != ""
      MessageBox MB_OK|MB_ICONSTOP "$(NotAFile)" /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
  StrCpy $SpaceLabel "$(SpaceNeeded)"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPCURRENT" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecCurrent}
  ${EndIf}
FunctionEnd

; Undoes what the programs' section did before it failed: the files it added and the folders it
; made. Files it replaced stay replaced.
Function .onInstFailed
  ${If} $Existed == ""
    Return
  ${EndIf}
  ; A folder that is the current one cannot be removed.
  SetOutPath "$TEMP"
  !insertmacro WRITTEN_FILES DELETE_ADDED
  StrCpy $R0 $INSTDIR
  ; Under Wine each shortcut made starts a menu builder in the current folder, $INSTDIR, which
  ; holds it for a few seconds: the folder is given that long to be let go.
  StrCpy $R1 0
  ${Do}
    ${If} $R0 == $Existed
    ${OrIfNot} ${FileExists} "$R0\*.*"
    ${OrIf} $R1 >= 50
      ${ExitDo}
    ${EndIf}
    RMDir $R0
    Sleep 100
    IntOp $R1 $R1 + 1
  ${Loop}
  ${Do}
    ${If} $R0 == $Existed
    ${OrIf} $R0 == ""
      ${ExitDo}
    ${EndIf}
    RMDir $R0
    ${GetParent} $R0 $R0
  ${Loop}
FunctionEnd

Section "un.$(Programs)" SecUnPrograms
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
  Delete "$INSTDIR\LICENSE.txt"
  !insertmacro DELETE_SHORTCUTS
  RMDir "${MENU}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; What an interrupted save leaves behind is part of the settings: its copy, the settings file
; waiting under a second name, and the copy that earlier builds made.
!macro SETTINGS_FILES do
  !insertmacro ${do} "Swirlbloom.ini"
  !insertmacro ${do} "Swirlbloom.new"
  !insertmacro ${do} "Swirlbloom.old"
  !insertmacro ${do} "Swirlbloom.ini.saving"
!macroend
!macro DELETE_FILE name
  Delete "$INSTDIR\${name}"
!macroend

Section /o "un.$(RemoveSettings)" SecRemoveSettings
  !insertmacro SETTINGS_FILES DELETE_FILE
SectionEnd

Section "-un.Folder"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Not /r: whatever the user keeps here, Swirlbloom.ini above all, keeps the folder.
  RMDir "$INSTDIR"
SectionEnd

Function un.onInit
  StrCpy $SpaceLabel "$(SpaceFreed)"
  ; The components page adds up what the ticked sections free: the files as they are now.
  Call un.ProgramSizes
  SectionSetSize ${SecUnPrograms} $R6
  StrCpy $R6 0
  !insertmacro SETTINGS_FILES ADD_FILE_SIZE
  SectionSetSize ${SecRemoveSettings} $R6
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecRemoveSettings}
  ${EndIf}
FunctionEnd
