; uninstall.exe in the installation folder: removes the installation that it
; lies in, and returns only once it has ended, with its exit status: 0 removed,
; 2 refused or not complete. It is a program of its own, not an uninstaller
; that NSIS writes: such an uninstaller started without _?= copies itself to
; %TEMP%, starts the copy and returns 0 at once. It runs in place, from the
; installation folder, which only administrators can write; at the end it
; moves itself out of the folder into its working folder (WorkFolder.nsh), for
; Windows deletes no running program's file but lets it be renamed.
; tools/build_installer.sh builds it and defines PRODUCT, PUBLISHER, VERSION,
; VERSION_NUMBERS, ICON, PREPAREJAVA, PAYLOAD_NSH (the server's folders) and
; OUTFILE.
; Command line: /S silent; /upgrade (Setup, before it lays a new version
; here) keeps the uninstaller, its list and its entry; _?= is ignored: it
; always works on its own folder.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
; Its data is little more than PrepareJava.exe, which every run extracts:
; stored as it is, it is written out at once, and Setup's compression, which
; holds the same file, takes it down to almost nothing.
SetCompress off
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!addincludedir "${__FILEDIR__}"
!include "Product.nsh"

Name "${PRODUCT}"
Caption "${PRODUCT} Uninstall"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show

!pragma warning disable 9100
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Uninstall"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_FINISHPAGE_NOAUTOCLOSE

Var UnFinishTitle ; the last page's
Var UnFinishText
Var Failed ; the count of what could not be removed
Var Upgrade ; not empty when Setup runs the uninstaller to lay a new version
Var Kept ; what was kept and why, folder by folder

; The confirmation, the removal, the result.
!define MUI_WELCOMEPAGE_TITLE "Uninstall ${PRODUCT}"
!define MUI_WELCOMEPAGE_TEXT "${PRODUCT} will be removed from this computer, from the folder:$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nWhat the server wrote there, and files changed since they were installed, stay. Close the server first if it runs. Click Uninstall to start."
!define MUI_PAGE_CUSTOMFUNCTION_SHOW ConfirmShow
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_HEADER_TEXT "Uninstalling"
!define MUI_PAGE_HEADER_SUBTEXT "Please wait while ${PRODUCT} is being uninstalled."
!define MUI_INSTFILESPAGE_FINISHHEADER_TEXT "Uninstallation Complete"
!define MUI_INSTFILESPAGE_FINISHHEADER_SUBTEXT "The uninstaller has ended."
!define MUI_INSTFILESPAGE_ABORTHEADER_TEXT "Uninstallation Aborted"
!define MUI_INSTFILESPAGE_ABORTHEADER_SUBTEXT "Nothing more was removed."
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$UnFinishTitle"
!define MUI_FINISHPAGE_TEXT "$UnFinishText"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_LANGUAGE English

!include "InstallLog.nsh"
!include "WorkFolder.nsh"
!include "Checks.nsh"
!insertmacro Checks "The uninstaller"
!include "${PAYLOAD_NSH}"

; Deletes one file that Setup laid; one that stays is counted and named.
!macro Remove file
  Delete "${file}"
  ${If} ${FileExists} "${file}"
    !insertmacro Log "Could not remove ${file}"
    IntOp $Failed $Failed + 1
  ${EndIf}
!macroend

Function ConfirmShow
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
FunctionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 32
  StrCpy $INSTDIR $EXEDIR
  StrCpy $OnPage 0 ; its refusals all come before any page
  !insertmacro LogStart "Uninstaller"
  !insertmacro AdminOnly "The uninstaller"
  ; Its own PrepareJava.exe: nothing of the installation decides, so that a
  ; run left part way can always be run again.
  !insertmacro OwnWorkFolder "The uninstaller"
  ; A silent run goes on at once: its removal of the shipped files asks in the
  ; same run of PrepareJava.exe, before anything changes.
  ${IfNot} ${Silent}
    Call RefuseWhileRunning
  ${EndIf}
  StrCpy $Upgrade ""
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/upgrade" $1
  ${IfNot} ${Errors}
    StrCpy $Upgrade 1
  ${EndIf}
FunctionEnd

; $0: the number of entries in the folder on the stack but install.log and
; the one named in $1 ("" for none).
Function CountOthers
  Exch $2
  Push $3
  Push $4
  StrCpy $0 0
  FindFirst $3 $4 "$2\*"
  ${DoWhile} $4 != ""
    ${If} $4 != "."
    ${AndIf} $4 != ".."
    ${AndIf} $4 != "install.log"
    ${AndIf} $4 != $1
      IntOp $0 $0 + 1
    ${EndIf}
    FindNext $3 $4
  ${Loop}
  FindClose $3
  Pop $4
  Pop $3
  Pop $2
FunctionEnd

; Removes the shortcut that the entry records, and only that one; a link
; standing in for its folder is not followed.
Function RemoveStartAtSignIn
  ReadRegStr $0 HKLM "${UNINST_KEY}" AutostartShortcut
  ${If} $0 == ""
    Return
  ${EndIf}
  ${GetParent} $0 $1
  ClearErrors
  ${GetFileAttributes} $1 REPARSE_POINT $2
  ${If} ${Errors}
    Return ; the folder is gone, and the shortcut with it
  ${EndIf}
  ${If} $2 == 1
    DetailPrint "Could not remove $0: its folder is a link."
    IntOp $Failed $Failed + 1
    Return
  ${EndIf}
  !insertmacro Remove $0
FunctionEnd

; The support folder goes only when it holds nothing but the four files that
; Setup put there; the copies in Java stay, they belong to the runtime now.
Function RemoveSupportFolder
  StrCpy $2 0
  FindFirst $0 $1 "${SUPPORT_DIR}\*"
  ${DoWhile} $1 != ""
    ${If} $1 != "."
    ${AndIf} $1 != ".."
    ${AndIf} $1 != "Comm.jar"
    ${AndIf} $1 != "javax.comm.properties"
    ${AndIf} $1 != "Win32com.dll"
    ${AndIf} $1 != "jdc.jar"
      IntOp $2 $2 + 1
    ${EndIf}
    FindNext $0 $1
  ${Loop}
  FindClose $0
  ${If} $2 != 0
    !insertmacro Log "Kept ${SUPPORT_DIR}: it holds files that Setup did not put there."
    StrCpy $Kept "$Kept$\r$\n${SUPPORT_DIR}: it holds files that Setup did not put there."
    Return
  ${EndIf}
  !insertmacro Remove "${SUPPORT_DIR}\Comm.jar"
  !insertmacro Remove "${SUPPORT_DIR}\javax.comm.properties"
  !insertmacro Remove "${SUPPORT_DIR}\Win32com.dll"
  !insertmacro Remove "${SUPPORT_DIR}\jdc.jar"
  RMDir "${SUPPORT_DIR}"
  RMDir "${SUPPORT_PARENT}"
  ${If} ${FileExists} "${SUPPORT_PARENT}\*"
    !insertmacro Log "Kept ${SUPPORT_PARENT}: it holds files that Setup did not put there."
    StrCpy $Kept "$Kept$\r$\n${SUPPORT_PARENT}: it holds files that Setup did not put there."
  ${EndIf}
FunctionEnd

; This program's own file, which runs: moved into the working folder, which
; then goes at the next restart with it (NSIS removes the rest of it at the
; end), or, where it cannot be moved (another drive), deleted in place at the
; next restart. $0: 1 when it stays in the folder until then.
Function RemoveOwnFile
  ; Nor may the folder be this process's current one (a start from Explorer).
  SetOutPath "$TEMP"
  StrCpy $0 0
  ClearErrors
  Rename "$INSTDIR\uninstall.exe" "$Work\uninstall.exe"
  ${IfNot} ${Errors}
    Delete /REBOOTOK "$Work\uninstall.exe"
    RMDir /REBOOTOK "$Work"
    Return
  ${EndIf}
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  !insertmacro Log "$INSTDIR\uninstall.exe runs and cannot be moved: Windows removes it at the next restart."
  StrCpy $0 1
FunctionEnd

Section
  SetShellVarContext all
  SetRegView 32
  ; Each shipped file only while it is as shipped: one changed since stays.
  ; Nothing goes while the server runs (asked here in a silent run).
  ${If} ${FileExists} "$INSTDIR\${LIST}"
    Push '/removeshipped "$INSTDIR" "$INSTDIR\${LIST}"'
    Call RunPrepareJava
    ; 2: it asked, and some file stayed. Any other failure, also one to start
    ; it, leaves the question open and refuses, as /running would.
    ${If} $0 != 0
    ${AndIf} $0 != 2
      Call RefuseIfRunning
    ${EndIf}
  ${ElseIf} ${Silent}
    Call RefuseWhileRunning
  ${EndIf}
  Push "$INSTDIR\install.log"
  Call LogOpen
  StrCpy $Failed 0
  StrCpy $Kept ""
  ${If} ${FileExists} "$INSTDIR\${LIST}"
    !insertmacro Log "The server's files (PrepareJava.exe /removeshipped):"
    Push $1
    Call LogReport
    ${If} $0 != 0
      !insertmacro Log "Some of the server's files could not be removed: PrepareJava.exe ended with $0 (see above)."
      IntOp $Failed $Failed + 1
    ${EndIf}
  ${EndIf}
  !insertmacro PayloadDirs
  !insertmacro Remove "$INSTDIR\${LAUNCHER_EXE}"
  !insertmacro Remove "$INSTDIR\PrepareJava.exe"
  !insertmacro Remove "$INSTDIR\README-Windows.txt"
  !insertmacro Remove "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro Remove "$SMPROGRAMS\${PREPARE_LINK}.lnk"
  Call RemoveStartAtSignIn
  Call RemoveSupportFolder
  ; What a later run needs (the uninstaller, its list, its entry) stays while
  ; anything it should remove does.
  ${If} $Failed != 0
    !insertmacro Log "Not complete: the uninstaller, its list of the shipped files and its entry in Programs and Features stay, to be run again once the files above are free."
    StrCpy $UnFinishTitle "${PRODUCT} was not removed completely"
    StrCpy $UnFinishText "Some files could not be removed (see $INSTDIR\install.log). Run the uninstaller again once they are free; a running program or an antivirus may hold them."
    Call LogClose
    MessageBox MB_OK|MB_ICONSTOP "Some of the files that Setup installed could not be removed (see the details). The uninstaller stays in$\r$\n$INSTDIR$\r$\nto be run again once they are free." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ${If} $Upgrade != ""
    ; Setup lays the new version in this folder, over this uninstaller and its
    ; entry, and goes on with this log.
    !insertmacro Log "Removed for the new version."
    Call LogClose
    Return
  ${EndIf}
  ClearErrors
  DeleteRegKey HKLM "${UNINST_KEY}"
  ${If} ${Errors}
    !insertmacro Log "The entry in Programs and Features could not be removed."
    Call LogClose
    SetErrorLevel 2
    Return
  ${EndIf}
  Delete "$INSTDIR\${LIST}"
  Call RemoveOwnFile
  StrCpy $5 $0
  StrCpy $1 ""
  ${IfThen} $5 == 1 ${|} StrCpy $1 "uninstall.exe" ${|}
  Push "$INSTDIR"
  Call CountOthers
  ${If} $0 == 0
  ${AndIf} $5 == 0
    ; The log goes with the folder.
    Call LogClose
    Delete "$INSTDIR\install.log"
    RMDir "$INSTDIR"
  ${ElseIf} $0 == 0
    Call LogClose
    Delete "$INSTDIR\install.log"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    !insertmacro Log "Kept $INSTDIR, with this log: it holds files that Setup did not lay there, or that were changed since (named above)."
    StrCpy $Kept "$Kept$\r$\n$INSTDIR: it holds files that Setup did not lay there, or that were changed since (see install.log there)."
    Call LogClose
  ${EndIf}
  ; A file left for the next restart is no reason to restart.
  SetRebootFlag false
  StrCpy $UnFinishTitle "${PRODUCT} was removed"
  ${If} $Kept == ""
    StrCpy $UnFinishText "${PRODUCT} was removed from this computer."
  ${Else}
    StrCpy $UnFinishText "${PRODUCT} was removed from this computer. Kept:$Kept"
  ${EndIf}
SectionEnd
