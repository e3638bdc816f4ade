; The Windows installer of the Dovern Professional SMS Server, per machine.
; tools/build_installer.sh builds it and defines PRODUCT, PUBLISHER, VERSION,
; VERSION_NUMBERS, LAUNCHER, PREPAREJAVA, README, ICON, SUPPORT (the folder of
; the four support files), PAYLOAD_NSH (the server's files, listed one by one),
; ESTIMATED_KB, OUTFILE, UNINSTALLER (uninstall.exe, built from uninstall.nsi)
; and SHIPPED_LIST (each shipped file's SHA-256).
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

!addincludedir "${__FILEDIR__}"
!include "Product.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Browse appends the folder's name to whatever folder is chosen.
InstallDir "$PROGRAMFILES32\${INSTALL_FOLDER}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show

; The launcher's version block has no copyright line, and neither has this one.
!pragma warning disable 9100
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_FINISHPAGE_NOAUTOCLOSE

!include "SetupPages.nsh"
!insertmacro SetupPagesWelcome
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro SetupPagesStartAtSignIn
!insertmacro MUI_PAGE_INSTFILES
!insertmacro SetupPagesFinish
!insertmacro MUI_LANGUAGE English

Var Registered ; the folder of the installation registered on this machine, if any
Var Earlier ; the version installed in $INSTDIR, replaced by this one
Var JavaStatus ; PrepareJava.exe's status: 0 prepared, 1 no runtime, 2 a copy failed
Var NewCount ; how many changed files stayed, with this version's beside them
Var NewFiles ; those files' .new names, one a line
Var Leftover ; not empty when $INSTDIR holds what this product's uninstaller left
Var Found ; PrepareJava.exe /leftover's report on it

!include "InstallLog.nsh"
!include "WorkFolder.nsh"
!include "Checks.nsh"
!insertmacro Checks "Setup"
!include "SupportFolder.nsh"

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

; $INSTDIR without trailing separators, as /D= or the page may give it.
Function TrimInstDir
  ${Do}
    StrCpy $0 $INSTDIR 1 -1
    ${IfThen} $0 != "\" ${|} ${ExitDo} ${|}
    StrCpy $INSTDIR $INSTDIR -1
  ${Loop}
FunctionEnd

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
    ; Whatever the version: this one's uninstall.exe runs where it lies, the
    ; next earlier ones' drop _?= and wait for their uninstaller proper, and
    ; the first ones are that uninstaller, run in place only with _?=.
    StrCpy $0 "not started"
    ExecWait '"$INSTDIR\uninstall.exe" /S /upgrade _?=$INSTDIR' $0
    Push "$INSTDIR\install.log"
    Call LogOpen
    ${If} $0 != 0
      !insertmacro Fail "the installation of version $Earlier in$\r$\n$INSTDIR$\r$\ncould not be replaced; its uninstaller ended with $0."
    ${EndIf}
    ; The uninstaller proper of the versions whose uninstall.exe waited for
    ; it stays for the next version in place: this one has none.
    Delete "$INSTDIR\uninstall-core.exe"
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
  File "/oname=uninstall.exe" "${UNINSTALLER}"
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


