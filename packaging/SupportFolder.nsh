; Folders that only administrators may change, made by PrepareJava.exe with
; their security in the creating call, so that no user can write there at any
; moment. Needs LogicLib and the working folder's PrepareJava.exe (WorkFolder.nsh,
; extracted in .onInit).

; $3 becomes "inherit" when $INSTDIR lies below `parent`. StrCmp, and so ==,
; ignores letter case, as the file system does.
!macro _SupportFolderBelow parent
  StrLen $0 "${parent}\"
  StrCpy $1 "$INSTDIR" $0
  ${If} $1 == "${parent}\"
    StrCpy $3 "inherit"
  ${EndIf}
!macroend

; Creates $INSTDIR, which must not exist yet. Program Files protects what is
; made below it; anywhere else (C:\Apps inherits "Authenticated Users: Modify"
; from C:\) the folder gets the protected ACL of PrepareJava.exe
; /protectedfolder, its missing parents made as usual. Out: $0 0 or an error,
; $1 the report.
Function MakeInstallFolder
  Push $3
  StrCpy $3 "protect"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES32"
  !insertmacro _SupportFolderBelow "$PROGRAMFILES64"
  ${If} $3 == "protect"
    Push '/protectedfolder "$INSTDIR"'
    Call RunPrepareJava
  ${Else}
    ClearErrors
    CreateDirectory "$INSTDIR"
    StrCpy $0 0
    StrCpy $1 "made: $INSTDIR"
    ${If} ${Errors}
      StrCpy $0 "error"
      StrCpy $1 "not made: $INSTDIR"
    ${EndIf}
  ${EndIf}
  Pop $3
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
