; Folders that only administrators may change, made with their security in
; the creating call, so that no user can write there at any moment. Needs
; LogicLib, FileFunc and WorkFolder.nsh (its PrepareJava.exe, extracted in
; .onInit, lays the support folder).

; The descriptor of an installation folder that Setup makes outside Program
; Files: owner Administrators; protected; Administrators and SYSTEM full
; control, Users read and execute, inherited by all made inside. It is the one
; that PrepareJava.exe gives the support folder and looks for in a folder that
; an uninstall left (tests/unit/WorkFolderTest.cpp checks that they agree).
!define INSTALL_FOLDER_SDDL "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"

; $4 becomes "inherit" when $INSTDIR lies below `parent`. StrCmp, and so ==,
; ignores letter case, as the file system does.
!macro _SupportFolderBelow parent
  StrLen $0 "${parent}\"
  StrCpy $1 "$INSTDIR" $0
  ${If} $1 == "${parent}\"
    StrCpy $4 "inherit"
  ${EndIf}
!macroend

; Creates $INSTDIR, which must not exist yet. Program Files protects what is
; made below it; anywhere else (C:\Apps inherits "Authenticated Users: Modify"
; from C:\) the folder gets the protected descriptor above in the creating
; call, its missing parents made as usual. Out: $0 0 or an error, $1 the
; report.
Function MakeInstallFolder
  Push $2
  Push $3
  Push $4
  StrCpy $4 "protect"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES32"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES64"
  ${GetParent} "$INSTDIR" $2
  StrCpy $1 ""
  ${IfNot} ${FileExists} "$2\*"
    ClearErrors
    CreateDirectory "$2"
    StrCpy $1 "made: $2 (with what was missing above it)$\r$\n"
    ${If} ${Errors}
      StrCpy $0 "error"
      StrCpy $1 "not made: $2"
      Goto done
    ${EndIf}
  ${EndIf}
  Push $1
  ${If} $4 == "protect"
    !insertmacro CreateFolderWithDescriptor "$INSTDIR" "${INSTALL_FOLDER_SDDL}"
  ${Else}
    ClearErrors
    CreateDirectory "$INSTDIR"
    StrCpy $0 0
    ${IfThen} ${Errors} ${|} StrCpy $0 "error" ${|}
  ${EndIf}
  Pop $1
  ${If} $0 == 0
    StrCpy $1 "$1made: $INSTDIR"
  ${Else}
    StrCpy $1 "$1not made: $INSTDIR (error $0)"
  ${EndIf}
done:
  Pop $4
  Pop $3
  Pop $2
FunctionEnd

; Lays C:\dovern\GsmModemJar and the four support files through PrepareJava.exe
; /support, from copies extracted into the working folder: a folder that Setup
; made before is kept and its files replaced whole; anything else there is
; moved aside to C:\dovern.before-setup-<n>, never taken over nor deleted.
; Pop: the arguments of a run that follows in the same process of
; PrepareJava.exe once the folder is laid, with a report file of its own ("" for
; none). Out: $0 the status (0 laid; the following run's when it ran), $1 the
; report, one line per thing done.
Function LaySupportFolder
  Exch $2
  Push $OUTDIR
  ClearErrors
  SetOutPath "$Work\support"
  File "${SUPPORT}\Comm.jar"
  File "${SUPPORT}\javax.comm.properties"
  File "${SUPPORT}\Win32com.dll"
  File "${SUPPORT}\jdc.jar"
  ${If} ${Errors}
    StrCpy $0 "error"
    StrCpy $1 "The support files could not be extracted into $Work\support."
  ${Else}
    Push '/support "$Work\support" $2'
    Call RunPrepareJava
  ${EndIf}
  Exch $0
  SetOutPath $0
  Pop $0
  Pop $2
FunctionEnd
