; The Windows installer of the Dovern Professional SMS Server, per machine.
; tools/build_installer.sh builds it and defines PRODUCT, PUBLISHER, VERSION,
; VERSION_NUMBERS, LAUNCHER, PREPAREJAVA, README, ICON, SUPPORT (the folder of
; the four support files), PAYLOAD_NSH (the server's files, listed one by one),
; ESTIMATED_KB, OUTFILE, WRAPPER (uninstall.exe, built from uninstall.nsi),
; SHIPPED_LIST (each shipped file's SHA-256), and SIGN_UNINSTALLER when the
; release is signed.
;
; Installs the launcher, PrepareJava.exe and the server's files into a folder
; of its own (new, or this product's installation), the support files into
; C:\dovern\GsmModemJar with an ACL that only administrators may write, prepares
; Java through PrepareJava.exe (the launcher's own discovery and copies), and
; registers the uninstaller. A shipped file changed since an earlier version
; laid it stays; this version's goes beside it as <name>.new.
; Exit status: 0 done (also when no Java was found: the log says so), 1
; cancelled, 2 refused, failed or not complete: a box (not in silent mode) and
; install.log in the installation folder (or, for a run refused before it
; touched anything, %TEMP%\DovernProfessionalSMSServer-setup.log) say what.
; The uninstaller (uninstall-core.exe, run by uninstall.exe) returns 0 once
; everything is removed, 2 when it refused or could not remove everything.

Unicode true
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; No file times in the installer: two builds of the same files are the same bytes.
SetDateSave off
SetOverwrite on
; A root given with /D= reaches .onInit, which refuses it, instead of being
; replaced by the default folder.
AllowRootDirInstall true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define LAUNCHER_EXE "DovernProfessionalSMSServer.exe"
!define SUPPORT_PARENT "C:\dovern"
!define SUPPORT_DIR "${SUPPORT_PARENT}\GsmModemJar"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DovernProfessionalSMSServer"
!define PREPARE_LINK "Prepare Java for Dovern SMS Server"
!define INSTALL_FOLDER "Dovern SMS Server"
!define LIST "shipped.sha256"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Browse appends the folder's name to whatever folder is chosen.
InstallDir "$PROGRAMFILES32\${INSTALL_FOLDER}"
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

Var UnFinishTitle ; the uninstaller's last page
Var UnFinishText

!addincludedir "${__FILEDIR__}"

; Pages: Setup's, then the uninstaller's.
!include "SetupPages.nsh"
!insertmacro SetupPagesWelcome
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro SetupPagesStartAtSignIn
!insertmacro MUI_PAGE_INSTFILES
!insertmacro SetupPagesFinish
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$UnFinishTitle"
!define MUI_FINISHPAGE_TEXT "$UnFinishText"
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE English

Var Registered ; the folder of the installation registered on this machine, if any
Var Earlier ; the version installed in $INSTDIR, replaced by this one
Var OnPage ; 1 while the folder page's choice is checked: a refusal there ends no run
Var JavaStatus ; PrepareJava.exe's status: 0 prepared, 1 no runtime, 2 a copy failed
Var NewCount ; how many changed files stayed, with this version's beside them
Var NewFiles ; those files' .new names, one a line
Var Failed ; the uninstaller's count of what it could not remove
Var Upgrade ; not empty when Setup runs the uninstaller to lay a new version
Var Kept ; what the uninstaller kept and why, folder by folder
Var Leftover ; not empty when $INSTDIR holds what this product's uninstaller left
Var Found ; PrepareJava.exe /leftover's report on it

!include "InstallLog.nsh"
!include "WorkFolder.nsh"
!insertmacro WorkFolderFunctions ""
!insertmacro WorkFolderFunctions "un."
!insertmacro WorkFolderPrepareJava ""
!insertmacro WorkFolderPrepareJava "un."
!include "SupportFolder.nsh"

; Ends a run that has changed nothing yet: says why, in the box and in the log.
!macro Refuse text
  !insertmacro Log "Refused, nothing changed: ${text}"
  ${If} $OnPage != 1
    !insertmacro LogCall LogRefused
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  Abort
!macroend

; Ends the install part way: says so, in the box and in the log, and how to go on.
!macro Fail text
  !insertmacro Log "Setup did not finish: ${text}"
  ${If} $Log == ""
    Call LogRefused
  ${EndIf}
  Call LogClose
  MessageBox MB_OK|MB_ICONSTOP "Setup did not finish:$\r$\n${text}$\r$\n$\r$\nWhat it did is listed in $INSTDIR\install.log. Run Setup again once the cause is removed, or remove the installation with its uninstaller (Programs and Features)." /SD IDOK
  Abort
!macroend

!macro AdminOnly what
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    !insertmacro Refuse "${what} must run as an administrator: start it with $\"Run as administrator$\"."
  ${EndIf}
!macroend

; The run's working folder (WorkFolder.nsh), removed by NSIS however the run
; ends, with this version's PrepareJava.exe in it; refused when it cannot be
; made.
!macro OwnWorkFolder what
  !insertmacro LogCall MakeWorkFolder
  ${If} $0 != 0
    !insertmacro Refuse "${what} could not make its working folder in ${WORK_FOLDER_PARENT} (error $0)."
  ${EndIf}
  ClearErrors
  File "/oname=$Work\PrepareJava.exe" "${PREPAREJAVA}"
  ${If} ${Errors}
    !insertmacro Refuse "${what} could not write PrepareJava.exe into its working folder:$\r$\n$Work"
  ${EndIf}
!macroend

!macro Checks UN what
; The installation's lock says whether its server runs; PrepareJava.exe, the
; run's own copy, computes the lock's name as the launcher does. Anything but
; "surely not running" refuses. No folder there, no server of it: no question
; to ask.
Function ${UN}RefuseWhileRunning
  ${IfNot} ${FileExists} "$INSTDIR\*"
    Return
  ${EndIf}
  Push '/running "$INSTDIR"'
  Call ${UN}RunPrepareJava
  Call ${UN}RefuseIfRunning
FunctionEnd

; Refuses on PrepareJava.exe's answer to /running: $0 its status, $1 its report.
Function ${UN}RefuseIfRunning
  ${If} $0 == 20
    !insertmacro Refuse "The server of this installation is running:$\r$\n$INSTDIR$\r$\n${what} changes nothing while it runs, for this user or another one: close the server first."
  ${ElseIf} $0 != 0
    Push $1
    Call ${UN}LogReport
    !insertmacro Refuse "${what} could not tell whether the server of this installation is running, and changed nothing:$\r$\n$INSTDIR$\r$\nPrepareJava.exe /running ended with $0:$\r$\n$1"
  ${EndIf}
FunctionEnd

; $INSTDIR without trailing separators, as /D= or the page may give it.
Function ${UN}TrimInstDir
  ${Do}
    StrCpy $0 $INSTDIR 1 -1
    ${IfThen} $0 != "\" ${|} ${ExitDo} ${|}
    StrCpy $INSTDIR $INSTDIR -1
  ${Loop}
FunctionEnd
!macroend
!insertmacro Checks "" "Setup"
!insertmacro Checks "un." "The uninstaller"

; Deletes one file that Setup laid; one that stays is counted and named.
!macro Remove file
  Delete "${file}"
  ${If} ${FileExists} "${file}"
    !insertmacro Log "Could not remove ${file}"
    IntOp $Failed $Failed + 1
  ${EndIf}
!macroend

; Lays one shipped file into $OUTDIR: where a file of that name stayed (an
; earlier version's uninstaller keeps the changed ones), this version's goes
; beside it as <name>.new.
!macro Shipped name source
  ${If} ${FileExists} "$OUTDIR\${name}"
    File "/oname=${name}.new" "${source}"
    !insertmacro Log "Kept $OUTDIR\${name}, changed since it was installed; this version's is beside it as ${name}.new."
    IntOp $NewCount $NewCount + 1
    StrCpy $NewFiles "$NewFiles$\r$\n$OUTDIR\${name}.new"
  ${Else}
    File "${source}"
  ${EndIf}
!macroend

!include "${PAYLOAD_NSH}"
!insertmacro SetupPagesFunctions

Function .onInit
  SetShellVarContext all
  SetRegView 32
  !insertmacro LogStart "Setup"
  !insertmacro AdminOnly "Setup"
  ; No /D=: the folder of the installation registered, else the default one.
  ; The entry is read in the 32-bit view, where it is written, by any build
  ; of this script.
  ${If} $INSTDIR == "$PROGRAMFILES32\${INSTALL_FOLDER}"
    ReadRegStr $0 HKLM "${UNINST_KEY}" InstallLocation
    ${IfThen} $0 != "" ${|} StrCpy $INSTDIR $0 ${|}
  ${EndIf}
  !insertmacro OwnWorkFolder "Setup"
  ; The folder given with /D= or the registered one: refused here at once,
  ; before any page shows.
  Call CheckTarget
FunctionEnd

Function DirectoryLeave
  StrCpy $OnPage 1
  Call CheckTarget
  StrCpy $OnPage 0
FunctionEnd

; $0: 1 when $INSTDIR (without trailing separators) is the root of a drive or
; a share, else 0.
Function IsRoot
  StrCpy $0 0
  StrLen $1 $INSTDIR
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $INSTDIR 1 $2
    ${IfThen} $3 == "\" ${|} IntOp $0 $0 + 1 ${|}
    IntOp $2 $2 + 1
  ${Loop}
  StrCpy $3 $INSTDIR 2
  ${If} $3 == "\\"
    ; \\server\share or \\?\C:
    ${If} $0 <= 3
      StrCpy $0 1
    ${Else}
      StrCpy $0 0
    ${EndIf}
  ${ElseIf} $0 == 0
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
FunctionEnd

; Setup installs into this product's installation (an upgrade in its folder),
; into what its uninstaller left there (PrepareJava.exe /leftover: where only
; administrators could have changed it), or into a folder of its own: never a
; root, nor a folder that holds anything else, whose files Setup would mix
; with its own and whose access rights it did not set. One installation per
; machine, so that none is left without its uninstaller.
Function CheckTarget
  Call TrimInstDir
  StrCpy $Earlier ""
  StrCpy $Leftover ""
  Call IsRoot
  ${If} $0 == 1
    !insertmacro Refuse "Setup installs into a folder of its own, not into the root of a drive or share:$\r$\n$INSTDIR\$\r$\nChoose a folder such as $PROGRAMFILES32\${INSTALL_FOLDER}."
  ${EndIf}
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
      !insertmacro Refuse "${PRODUCT} is already installed in:$\r$\n$Registered$\r$\nInstall this version into that folder, or uninstall the other one first."
    ${EndIf}
  ${EndIf}
  ${If} $Earlier == ""
    StrCpy $2 0
    ClearErrors
    FindFirst $0 $1 "$INSTDIR\*"
    ${DoWhile} $1 != ""
      ${If} $1 != "."
      ${AndIf} $1 != ".."
        IntOp $2 $2 + 1
      ${EndIf}
      FindNext $0 $1
    ${Loop}
    FindClose $0
    ${If} $2 != 0
      Push '/leftover "$INSTDIR" "$PROGRAMFILES" "$PROGRAMFILES32" "$PROGRAMFILES64"'
      Call RunPrepareJava
      StrCpy $Found $1
      ${If} $0 == 0
        StrCpy $Leftover 1
        StrCpy $2 0
      ${Else}
        Push $Found
        Call LogReport
      ${EndIf}
    ${EndIf}
    ${If} $2 != 0
      !insertmacro Refuse "The folder already holds files, and Setup installs only into a new folder of its own or over this product's installation:$\r$\n$INSTDIR$\r$\nChoose another folder, such as $INSTDIR\${INSTALL_FOLDER}."
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR"
    ${AndIfNot} ${FileExists} "$INSTDIR\*"
      !insertmacro Refuse "A file, not a folder, has the name of the installation folder:$\r$\n$INSTDIR"
    ${EndIf}
  ${EndIf}
  Call RefuseWhileRunning
FunctionEnd

; Into what this product's uninstaller left, as over an earlier version: what
; the server wrote stays, a shipped file that stayed (changed since) keeps its
; place with this version's beside it (the Shipped macro), and no restart
; deletes what Setup lays there: the uninstaller left its own running file,
; and the folder with it, to the next restart.
Function TakeLeftover
  !insertmacro Log "Setup installs into what an earlier installation left there, as over an earlier version: what the server wrote stays as it is, a shipped file changed since stays with this version's beside it."
  Push $Found
  Call LogReport
  Push '/keepatrestart "$INSTDIR"'
  Call RunPrepareJava
  Push $1
  Call LogReport
  ${If} $0 != 0
    !insertmacro Fail "Windows would still remove files in$\r$\n$INSTDIR$\r$\nat the next restart: PrepareJava.exe ended with $0 (see the log)."
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  Delete "$INSTDIR\uninstall.exe"
  ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    !insertmacro Log "Replaced the earlier uninstall.exe, which was left for the next restart to delete."
    Return
  ${EndIf}
  ; Still running: Windows renames a running program's file, never deletes it.
  StrCpy $0 1
  ${DoWhile} ${FileExists} "$INSTDIR\uninstall.exe.old-$0"
    IntOp $0 $0 + 1
  ${Loop}
  ClearErrors
  Rename "$INSTDIR\uninstall.exe" "$INSTDIR\uninstall.exe.old-$0"
  ${If} ${Errors}
    !insertmacro Fail "the earlier uninstall.exe in$\r$\n$INSTDIR$\r$\ncan be neither replaced nor put aside."
  ${EndIf}
  Delete /REBOOTOK "$INSTDIR\uninstall.exe.old-$0"
  !insertmacro Log "Put the earlier uninstall.exe aside, still running, as uninstall.exe.old-$0: Windows deletes it at the next restart."
  SetRebootFlag false
FunctionEnd

Section
  SetShellVarContext all
  SetRegView 32
  Call RememberStartAtSignIn
  StrCpy $NewCount 0
  StrCpy $NewFiles ""
  ${If} $Earlier != ""
    ; The earlier version's own uninstaller takes away exactly what it laid,
    ; also what this version no longer has; what the server wrote, and a
    ; shipped file changed since, stay. It appends to install.log itself.
    Push "$INSTDIR\install.log"
    Call LogOpen
    !insertmacro Log "Version $Earlier is installed there: its uninstaller runs first."
    Call LogClose
    StrCpy $0 "not started"
    ${If} ${FileExists} "$INSTDIR\${CORE}"
      ExecWait '"$INSTDIR\uninstall.exe" /S /upgrade' $0
    ${Else}
      ; Versions before uninstall.exe waited are their uninstaller, run in place.
      ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR' $0
    ${EndIf}
    Push "$INSTDIR\install.log"
    Call LogOpen
    ${If} $0 != 0
      !insertmacro Fail "the installation of version $Earlier in$\r$\n$INSTDIR$\r$\ncould not be replaced; its uninstaller ended with $0."
    ${EndIf}
    !insertmacro Log "Version $Earlier, installed there, was removed first."
  ${EndIf}
  ${If} $Leftover != ""
    Push "$INSTDIR\install.log"
    Call LogOpen
    Call TakeLeftover
  ${ElseIf} $Earlier == ""
  ${OrIfNot} ${FileExists} "$INSTDIR\*"
    ; Made new, with the protected ACL where Program Files gives none; a
    ; folder that is there already and Setup did not make fails here.
    Call MakeInstallFolder
    ${If} $0 != 0
      Push $1
      Call LogReport
      !insertmacro Fail "the installation folder could not be made:$\r$\n$INSTDIR"
    ${EndIf}
    Push "$INSTDIR\install.log"
    Call LogOpen
    Push $1
    Call LogReport
  ${ElseIf} $Log == ""
    Push "$INSTDIR\install.log"
    Call LogOpen
  ${EndIf}
  ${If} $Log == ""
    !insertmacro Fail "it cannot write into$\r$\n$INSTDIR"
  ${EndIf}
  !insertmacro Log "${PRODUCT} ${VERSION} into $INSTDIR"

  ; The uninstaller and its entry first, so that whatever follows, also an
  ; install stopped part way, can be removed.
  SetOutPath "$INSTDIR"
  ClearErrors
  WriteUninstaller "$INSTDIR\${CORE}"
  File "/oname=uninstall.exe" "${WRAPPER}"
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  WriteRegStr HKLM "${UNINST_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" DisplayIcon "$INSTDIR\${LAUNCHER_EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" InstallDate "$2$1$0"
  WriteRegStr HKLM "${UNINST_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" EstimatedSize ${ESTIMATED_KB}
  WriteRegDWORD HKLM "${UNINST_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINST_KEY}" NoRepair 1
  ; The uninstaller removes a shipped file only while it is as shipped.
  File "/oname=${LIST}" "${SHIPPED_LIST}"
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
  ; The same process prepares Java once the folder is laid (its report below).
  Push '/report "$Work\${WORK_JAVA_REPORT}" /log'
  Call LaySupportFolder
  StrCpy $JavaStatus ""
  ${If} ${FileExists} "$Work\${WORK_JAVA_REPORT}"
    StrCpy $JavaStatus $0
    StrCpy $0 0
  ${EndIf}
  Push $1
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
  Call MakeStartAtSignIn

  ; The runtime that the launcher will choose got the support files while
  ; Setup runs as administrator, right after the support folder was laid.
  !insertmacro Log "Preparing Java (PrepareJava.exe /log):"
  Push "$Work\${WORK_JAVA_REPORT}"
  Call ReadWorkReport
  Push $1
  Call LogReport
  ${If} $JavaStatus == 0
    !insertmacro Log "Java is prepared for the server."
  ${ElseIf} $JavaStatus == 1
    ; The Finish page says so.
    !insertmacro Log "No Java for the server yet (see above); everything else is installed."
  ${Else}
    !insertmacro Log "Java could not be prepared: PrepareJava.exe ended with $JavaStatus (see above). Start $\"${PREPARE_LINK}$\" in the Start menu once the cause is removed."
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is installed, but Java could not be prepared for it (details in $INSTDIR\install.log). Without the support files in Java the server has no serial ports.$\r$\n$\r$\nStart $\"${PREPARE_LINK}$\" in the Start menu once the cause is removed." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  ${If} $NewCount != 0
    !insertmacro Log "Changed files kept as they are: $NewCount; this version's are beside them:$NewFiles"
    MessageBox MB_OK|MB_ICONINFORMATION "$NewCount of the server's files were changed since they were installed and were kept as they are. This version's are beside them, to compare and take over what you need:$NewFiles" /SD IDOK
  ${EndIf}
  !insertmacro Log "Done."
  Call LogClose
SectionEnd


Function un.onInit
  SetShellVarContext all
  SetRegView 32
  !insertmacro LogStart "Uninstaller"
  !insertmacro AdminOnly "The uninstaller"
  ; Its own PrepareJava.exe: nothing of the installation decides, so that a
  ; run left part way can always be run again.
  !insertmacro OwnWorkFolder "The uninstaller"
  Call un.TrimInstDir
  ; A silent run goes on at once: its removal of the shipped files asks in the
  ; same run of PrepareJava.exe, before anything changes.
  ${IfNot} ${Silent}
    Call un.RefuseWhileRunning
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
Function un.CountOthers
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

; uninstall.exe, which waits for this uninstaller, runs: Windows deletes no
; running program's file but renames it, so it leaves the folder for the one
; this uninstaller runs from, or, failing that, goes at the next restart.
; $0: 1 when it goes only then.
Function un.RemoveWrapper
  StrCpy $0 0
  Delete "$INSTDIR\uninstall.exe"
  ${IfNot} ${FileExists} "$INSTDIR\uninstall.exe"
    Return
  ${EndIf}
  ${If} $EXEDIR != $INSTDIR
    ClearErrors
    Rename "$INSTDIR\uninstall.exe" "$EXEDIR\uninstall.exe"
    ${IfNot} ${Errors}
      Delete /REBOOTOK "$EXEDIR\uninstall.exe"
      Return
    ${EndIf}
  ${EndIf}
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  !insertmacro Log "$INSTDIR\uninstall.exe runs and cannot be moved: Windows removes it at the next restart."
  StrCpy $0 1
FunctionEnd

Section Uninstall
  SetShellVarContext all
  SetRegView 32
  ; Each shipped file only while it is as shipped: one changed since stays.
  ; Nothing goes while the server runs (asked here in a silent run).
  ${If} ${FileExists} "$INSTDIR\${LIST}"
    Push '/removeshipped "$INSTDIR" "$INSTDIR\${LIST}"'
    Call un.RunPrepareJava
    ; 2: it asked, and some file stayed. Any other failure, also one to start
    ; it, leaves the question open and refuses, as /running would.
    ${If} $0 != 0
    ${AndIf} $0 != 2
      Call un.RefuseIfRunning
    ${EndIf}
  ${ElseIf} ${Silent}
    Call un.RefuseWhileRunning
  ${EndIf}
  Push "$INSTDIR\install.log"
  Call un.LogOpen
  StrCpy $Failed 0
  StrCpy $Kept ""
  ${If} ${FileExists} "$INSTDIR\${LIST}"
    !insertmacro Log "The server's files (PrepareJava.exe /removeshipped):"
    Push $1
    Call un.LogReport
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
  Call un.RemoveStartAtSignIn
  Call un.RemoveSupportFolder
  ; What a later run needs (the uninstaller, its list, its entry) stays while
  ; anything it should remove does.
  ${If} $Failed != 0
    !insertmacro Log "Not complete: the uninstaller, its list of the shipped files and its entry in Programs and Features stay, to be run again once the files above are free."
    StrCpy $UnFinishTitle "${PRODUCT} was not removed completely"
    StrCpy $UnFinishText "Some files could not be removed (see $INSTDIR\install.log). Run the uninstaller again once they are free; a running program or an antivirus may hold them."
    Call un.LogClose
    MessageBox MB_OK|MB_ICONSTOP "Some of the files that Setup installed could not be removed (see the details). The uninstaller stays in$\r$\n$INSTDIR$\r$\nto be run again once they are free." /SD IDOK
    SetErrorLevel 2
    Return
  ${EndIf}
  ${If} $Upgrade != ""
    ; Setup lays the new version in this folder, over this uninstaller and its
    ; entry, and goes on with this log.
    !insertmacro Log "Removed for the new version."
    Call un.LogClose
    Return
  ${EndIf}
  ClearErrors
  DeleteRegKey HKLM "${UNINST_KEY}"
  ${If} ${Errors}
    !insertmacro Log "The entry in Programs and Features could not be removed."
    Call un.LogClose
    SetErrorLevel 2
    Return
  ${EndIf}
  Delete "$INSTDIR\${LIST}"
  ; Run in place (_?=) it cannot delete itself; whoever ran it there does.
  ${If} $EXEDIR != $INSTDIR
    Delete "$INSTDIR\${CORE}"
  ${EndIf}
  Call un.RemoveWrapper
  StrCpy $5 $0
  StrCpy $1 ""
  ${IfThen} $5 == 1 ${|} StrCpy $1 "uninstall.exe" ${|}
  Push "$INSTDIR"
  Call un.CountOthers
  ${If} $0 == 0
  ${AndIf} $5 == 0
    ; The log goes with the folder.
    Call un.LogClose
    Delete "$INSTDIR\install.log"
    RMDir "$INSTDIR"
  ${ElseIf} $0 == 0
    Call un.LogClose
    Delete "$INSTDIR\install.log"
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    !insertmacro Log "Kept $INSTDIR, with this log: it holds files that Setup did not lay there, or that were changed since (named above)."
    StrCpy $Kept "$Kept$\r$\n$INSTDIR: it holds files that Setup did not lay there, or that were changed since (see install.log there)."
    Call un.LogClose
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
