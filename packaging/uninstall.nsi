; uninstall.exe in the installation folder: runs the installation's uninstaller
; (uninstall-core.exe beside it) and returns only once it has ended, with its
; exit status: 0 removed, 2 refused or not complete.
; An NSIS uninstaller started without _?= copies itself to the temporary folder,
; starts the copy and returns 0 at once; so this program copies it into its
; working folder, which only administrators can write (WorkFolder.nsh), runs it
; there with _?= naming this folder and the arguments it was given, and waits. The uninstaller can then delete its own
; file from the installation, and moves this one out of it.
; tools/build_installer.sh builds it and defines PRODUCT, PUBLISHER, VERSION,
; VERSION_NUMBERS, ICON, CORE (the uninstaller's file name) and OUTFILE.

Unicode true
ManifestDPIAware true
; The uninstaller asks for administrator rights; started elevated from here it
; inherits them, where a start by CreateProcess would be refused.
RequestExecutionLevel admin
SilentInstall silent
SetCompressor /SOLID lzma
SetDateSave off

!include LogicLib.nsh
!include FileFunc.nsh
!include "${__FILEDIR__}/UninstallCommand.nsh"
!addincludedir "${__FILEDIR__}"
!include "WorkFolder.nsh"
!insertmacro WorkFolderFunctions ""

; Removes the working folder now: this program's file may lie there, moved out
; of the installation, and goes at the next restart while it runs.
Function RemoveWorkFolder
  SetOutPath "$TEMP"
  RMDir /r /REBOOTOK "$Work"
FunctionEnd

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"

!pragma warning disable 9100
VIProductVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 ProductName "${PRODUCT}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${PRODUCT} Uninstall"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

; Ends with status 2 after a box, unless the caller asked for silence.
!macro Refuse text
  ${GetOptions} $R0 "/S" $R1
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${text}"
  ${EndIf}
  SetErrorLevel 2
  Quit
!macroend

Section
  ${GetParameters} $R0
  ; The uninstaller always works on this program's own folder: a _?= from the
  ; caller (an earlier Setup runs its uninstaller in place) goes, _?= comes last.
  StrCpy $R0 " $R0"
  StrLen $R2 $R0
  StrCpy $R3 0
  ${DoWhile} $R3 < $R2
    StrCpy $R4 $R0 4 $R3
    ${If} $R4 == " _?="
      StrCpy $R0 $R0 $R3
      ${ExitDo}
    ${EndIf}
    IntOp $R3 $R3 + 1
  ${Loop}
  StrCpy $R0 $R0 "" 1
  ${IfNot} ${FileExists} "$EXEDIR\${CORE}"
    !insertmacro Refuse "The uninstaller of ${PRODUCT} is missing:$\r$\n$EXEDIR\${CORE}"
  ${EndIf}
  Call MakeWorkFolder
  ${If} $0 != 0
    !insertmacro Refuse "The uninstaller of ${PRODUCT} could not make its working folder in ${WORK_FOLDER_PARENT} (error $0)."
  ${EndIf}
  ClearErrors
  CopyFiles /SILENT "$EXEDIR\${CORE}" "$Work\${CORE}"
  ${If} ${Errors}
    !insertmacro Refuse "The uninstaller of ${PRODUCT} could not be copied from$\r$\n$EXEDIR\${CORE}$\r$\ninto$\r$\n$Work"
  ${EndIf}
  ; The uninstaller's log names the command line given here, whatever it
  ; holds (through a register: quotes in it would end a quoted argument);
  ; its own is this program's choice.
  StrCpy $R9 $CMDLINE
  System::Call 'kernel32::SetEnvironmentVariableW(w "${UNINSTALL_COMMAND}", w R9)'
  StrCpy $0 ""
  ExecWait '"$Work\${CORE}" $R0 _?=$EXEDIR' $0
  ${If} ${Errors}
  ${OrIf} $0 == ""
    !insertmacro Refuse "The uninstaller of ${PRODUCT} could not be started:$\r$\n$Work\${CORE}"
  ${EndIf}
  Push $0
  Call RemoveWorkFolder
  Pop $0
  SetErrorLevel $0
SectionEnd
