; The Windows installer of the Dovern Professional SMS Server, per machine.
; tools/build_installer.sh builds it and defines PRODUCT, PUBLISHER, VERSION,
; VERSION_NUMBERS, LAUNCHER, PREPAREJAVA, README, ICON, SUPPORT (the folder of
; the four support files), PAYLOAD_NSH (the server's files, listed one by one),
; ESTIMATED_KB, OUTFILE, and SIGN_UNINSTALLER when the release is signed.
;
; Installs the launcher, PrepareJava.exe and the server's files into the
; installation folder, the support files into C:\dovern\GsmModemJar with an ACL
; that only administrators may write, prepares Java through PrepareJava.exe
; (the launcher's own discovery and copies), and registers the uninstaller.
; Exit status: 0 done (also when no Java was found: the log says so), 1
; cancelled, 2 refused, failed or not complete: a box (not in silent mode) and
; install.log in the installation folder say what.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No file times in the installer: two builds of the same files are the same bytes.
SetDateSave off
SetOverwrite on

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${__FILEDIR__}\SupportFolder.nsh"

!define LAUNCHER_EXE "DovernProfessionalSMSServer.exe"
!define SUPPORT_PARENT "C:\dovern"
!define SUPPORT_DIR "${SUPPORT_PARENT}\GsmModemJar"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DovernProfessionalSMSServer"
!define PREPARE_LINK "Prepare Java for Dovern SMS Server"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

; The launcher's version block has no copyright line, and neither has this one.
!pragma warning disable 9100
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

!ifdef SIGN_UNINSTALLER
!uninstfinalize '${SIGN_UNINSTALLER}' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Var Log ; install.log, open while the section runs
Var Registered ; the folder of the installation registered on this machine, if any
Var Earlier ; the version installed in $INSTDIR, replaced by this one
Var Failed ; the uninstaller's count of what it could not remove

; A line in the details and in install.log.
!macro Log text
  DetailPrint "${text}"
  FileWriteUTF16LE $Log "${text}$\r$\n"
!macroend

; Ends the install part way: says so, in the box and in the log, and how to go on.
!macro Fail text
  !insertmacro Log "Setup did not finish: ${text}"
  FileClose $Log
  MessageBox MB_OK|MB_ICONSTOP "Setup did not finish:$\r$\n${text}$\r$\n$\r$\nWhat it did is listed in $INSTDIR\install.log. Run Setup again once the cause is removed, or remove the installation with its uninstaller (Programs and Features)." /SD IDOK
  Abort
!macroend

!macro AdminOnly what
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "${what} must run as an administrator: start it with $\"Run as administrator$\"." /SD IDOK
    Abort
  ${EndIf}
!macroend

; The installation's lock says whether its server runs; PrepareJava.exe computes
; the lock's name, as the launcher does. $0: the PrepareJava.exe to ask.
!macro RunningCheck UN what
Function ${UN}RefuseWhileRunning
  nsExec::ExecToStack '"$0" /running "$INSTDIR"'
  Pop $1
  Pop $2
  ${If} $1 == 3
    MessageBox MB_OK|MB_ICONSTOP "The server of this installation is running:$\r$\n$INSTDIR$\r$\n${what} changes nothing while it runs, for this user or another one: close the server first." /SD IDOK
    Abort
  ${ElseIf} $1 != 0
    MessageBox MB_OK|MB_ICONSTOP "${what} could not tell whether the server of this installation is running, and changed nothing:$\r$\n$0 ended with $1: $2" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RunningCheck "" "Setup"
!insertmacro RunningCheck "un." "The uninstaller"

; Deletes one file that Setup laid; one that stays is counted and named.
!macro Remove file
  Delete "${file}"
  ${If} ${FileExists} "${file}"
    DetailPrint "Could not remove ${file}"
    IntOp $Failed $Failed + 1
  ${EndIf}
!macroend

!include "${PAYLOAD_NSH}"

Function .onInit
  SetShellVarContext all
  SetRegView 32
  !insertmacro AdminOnly "Setup"
  ; Without InstallDir, $INSTDIR is empty here unless /D= gave it: then the
  ; folder of the installation registered, else the default one. The entry is
  ; read in the 32-bit view, where it is written, by any build of this script.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINST_KEY}" InstallLocation
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "$PROGRAMFILES32\Dovern SMS Server"
  ${EndIf}
  InitPluginsDir
  File "/oname=$PLUGINSDIR\PrepareJava.exe" "${PREPAREJAVA}"
  ; The folder given with /D= or the registered one: refused here at once,
  ; before any page shows.
  Call CheckTarget
FunctionEnd

Function DirectoryLeave
  Call CheckTarget
FunctionEnd

; One installation per machine: Setup upgrades it in its folder and refuses
; another folder, so that no installation is left without its uninstaller.
Function CheckTarget
  StrCpy $Earlier ""
  ReadRegStr $Registered HKLM "${UNINST_KEY}" InstallLocation
  ${If} $Registered != ""
  ${AndIf} ${FileExists} "$Registered\uninstall.exe"
    GetFullPathName /SHORT $1 "$Registered"
    GetFullPathName /SHORT $2 "$INSTDIR"
    ${If} $Registered == $INSTDIR
    ${OrIf} $1 == $2
      ReadRegStr $Earlier HKLM "${UNINST_KEY}" DisplayVersion
      StrCpy $INSTDIR $Registered
    ${Else}
      MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} is already installed in:$\r$\n$Registered$\r$\nInstall this version into that folder, or uninstall the other one first." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  StrCpy $0 "$PLUGINSDIR\PrepareJava.exe"
  Call RefuseWhileRunning
FunctionEnd

; The details of PrepareJava.exe's report, line by line. $1: its output.
Function LogReport
  ${DoWhile} $1 != ""
    StrCpy $3 0
    ${Do}
      StrCpy $4 $1 1 $3
      ${IfThen} $4 == "" ${|} ${ExitDo} ${|}
      ${IfThen} $4 == "$\n" ${|} ${ExitDo} ${|}
      IntOp $3 $3 + 1
    ${Loop}
    StrCpy $5 $1 $3
    IntOp $3 $3 + 1
    StrCpy $1 $1 "" $3
    StrCpy $4 $5 1 -1
    ${IfThen} $4 == "$\r" ${|} StrCpy $5 $5 -1 ${|}
    ${IfThen} $5 != "" ${|} !insertmacro Log "  $5" ${|}
  ${Loop}
FunctionEnd

Section
  SetShellVarContext all
  SetRegView 32
  ${If} $Earlier != ""
    ; The earlier version's own uninstaller takes away exactly what it laid,
    ; also what this version no longer has; what the server wrote stays.
    ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
    ${If} $0 != 0
      MessageBox MB_OK|MB_ICONSTOP "Setup did not finish: the installation of version $Earlier in$\r$\n$INSTDIR$\r$\ncould not be replaced; its uninstaller ended with $0." /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  ; Outside Program Files a new folder gets the protected ACL in the creating call.
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    Call MakeInstallFolder
    ${If} $0 != 0
      MessageBox MB_OK|MB_ICONSTOP "Setup did not finish: it cannot make the folder$\r$\n$INSTDIR$\r$\n$1" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  ClearErrors
  FileOpen $Log "$INSTDIR\install.log" w
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Setup did not finish: it cannot write into$\r$\n$INSTDIR" /SD IDOK
    Abort
  ${EndIf}
  FileWriteUTF16LE /BOM $Log ""
  !insertmacro Log "${PRODUCT} ${VERSION} into $INSTDIR"
  ${If} $Earlier != ""
    !insertmacro Log "Version $Earlier, installed there, was removed first."
  ${EndIf}

  ; The uninstaller and its entry first, so that whatever follows, also an
  ; install stopped part way, can be removed.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINST_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" DisplayIcon "$INSTDIR\${LAUNCHER_EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" EstimatedSize ${ESTIMATED_KB}
  WriteRegDWORD HKLM "${UNINST_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINST_KEY}" NoRepair 1
  ${If} ${Errors}
    !insertmacro Fail "The uninstaller or its entry in Programs and Features could not be written."
  ${EndIf}

  File "${LAUNCHER}"
  File "${PREPAREJAVA}"
  File "${README}"
  !insertmacro PayloadFiles
  ${If} ${Errors}
    !insertmacro Fail "Some of the server's files could not be written (see the details)."
  ${EndIf}
  !insertmacro Log "Installed the launcher, PrepareJava.exe and the server's files."

  ; The launcher copies whatever lies in the support folder into Java, and the
  ; server loads Win32com.dll from there: PrepareJava.exe lays it in folders
  ; that only administrators could ever write, and moves aside whatever else
  ; stands there.
  !insertmacro Log "Laying the support folder (PrepareJava.exe /support):"
  Call LaySupportFolder
  Call LogReport
  ${If} $0 != 0
    !insertmacro Fail "The support files could not be laid into ${SUPPORT_DIR}: PrepareJava.exe ended with $0 (see above)."
  ${EndIf}
  !insertmacro Log "Installed the support files into ${SUPPORT_DIR}, writable by administrators only."

  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${LAUNCHER_EXE}"
  CreateShortcut "$SMPROGRAMS\${PREPARE_LINK}.lnk" "$INSTDIR\PrepareJava.exe"
  ${If} ${Errors}
    !insertmacro Fail "The Start-menu shortcuts could not be made."
  ${EndIf}
  !insertmacro Log "Start-menu shortcuts for all users: $\"${PRODUCT}$\", $\"${PREPARE_LINK}$\"."

  ; The runtime that the launcher will choose gets the support files now,
  ; while Setup runs as administrator.
  !insertmacro Log "Preparing Java (PrepareJava.exe /log):"
  nsExec::ExecToStack '"$INSTDIR\PrepareJava.exe" /log'
  Pop $0
  Pop $1
  Call LogReport
  ${If} $0 == 0
    !insertmacro Log "Java is prepared for the server."
  ${ElseIf} $0 == 1
    !insertmacro Log "No Java for the server yet (see above); everything else is installed."
    MessageBox MB_OK|MB_ICONINFORMATION "${PRODUCT} is installed, but no 32-bit Java Runtime Environment 1.5 or later was found for it.$\r$\n$\r$\nInstall one, then start $\"${PREPARE_LINK}$\" in the Start menu." /SD IDOK
  ${Else}
    !insertmacro Log "Java could not be prepared: PrepareJava.exe ended with $0 (see above). Start $\"${PREPARE_LINK}$\" in the Start menu once the cause is removed."
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is installed, but Java could not be prepared for it (details in $INSTDIR\install.log). Without the support files in Java the server has no serial ports.$\r$\n$\r$\nStart $\"${PREPARE_LINK}$\" in the Start menu once the cause is removed." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  !insertmacro Log "Done."
  FileClose $Log
SectionEnd


Function un.onInit
  SetShellVarContext all
  SetRegView 32
  !insertmacro AdminOnly "The uninstaller"
  StrCpy $0 "$INSTDIR\PrepareJava.exe"
  Call un.RefuseWhileRunning
FunctionEnd

; The support folder goes only when it holds nothing but the four files that
; Setup put there; the copies in Java stay, they belong to the runtime now.
Function un.RemoveSupportFolder
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
    DetailPrint "Kept ${SUPPORT_DIR}: it holds files that Setup did not put there."
    Return
  ${EndIf}
  !insertmacro Remove "${SUPPORT_DIR}\Comm.jar"
  !insertmacro Remove "${SUPPORT_DIR}\javax.comm.properties"
  !insertmacro Remove "${SUPPORT_DIR}\Win32com.dll"
  !insertmacro Remove "${SUPPORT_DIR}\jdc.jar"
  RMDir "${SUPPORT_DIR}"
  RMDir "${SUPPORT_PARENT}"
FunctionEnd

Section Uninstall
  SetShellVarContext all
  SetRegView 32
  StrCpy $Failed 0
  !insertmacro Remove "$INSTDIR\${LAUNCHER_EXE}"
  !insertmacro Remove "$INSTDIR\PrepareJava.exe"
  !insertmacro Remove "$INSTDIR\README-Windows.txt"
  !insertmacro Remove "$INSTDIR\install.log"
  !insertmacro PayloadRemove
  !insertmacro Remove "$SMPROGRAMS\${PRODUCT}.lnk"
  !insertmacro Remove "$SMPROGRAMS\${PREPARE_LINK}.lnk"
  Call un.RemoveSupportFolder
  ${If} $Failed != 0
    MessageBox MB_OK|MB_ICONSTOP "$Failed of the files that Setup installed could not be removed (see the details). The uninstaller stays in$\r$\n$INSTDIR$\r$\nto be run again once they are free." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ; Run in place (_?=, as Setup does before an upgrade) it cannot delete
  ; itself; whoever ran it there replaces or deletes it.
  ${If} $EXEDIR != $INSTDIR
    Delete "$INSTDIR\uninstall.exe"
  ${EndIf}
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
