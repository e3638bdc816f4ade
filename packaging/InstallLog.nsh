; The log of every run of Setup and of the uninstaller: appended to install.log
; in the installation folder, each run headed with what ran, its version, the
; date and the command line. Lines written before that log is open wait in
; $LogPending; a run that ends before it touched the installation writes them
; to ${REFUSED_LOG} instead.
; Needs PRODUCT and VERSION.

!define REFUSED_LOG "$TEMP\DovernProfessionalSMSServer-setup.log"

Var Log ; the open log, "" while none is
Var LogPending ; what the run logged before its log was open

; A line in the details and in the log.
!macro Log text
  DetailPrint "${text}"
  Push "${text}"
  Call LogLine
!macroend

; Starts the run's log with its heading. `what`: Setup or Uninstaller.
!macro LogStart what
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  StrCpy $Log ""
  StrCpy $LogPending "==== ${what} of ${PRODUCT} ${VERSION}, $2-$1-$0 $4:$5:$6, command line: $CMDLINE$\r$\n"
!macroend

; Pop: the line.
Function LogLine
  Exch $0
  ${If} $Log != ""
    FileWriteUTF16LE $Log "$0$\r$\n"
  ${Else}
    StrCpy $LogPending "$LogPending$0$\r$\n"
  ${EndIf}
  Pop $0
FunctionEnd

; Opens the log file on the stack for appending, with what waited; sets the
; error flag when it cannot.
Function LogOpen
  Exch $0
  Push $1
  ClearErrors
  FileOpen $Log "$0" a
  ${If} ${Errors}
    StrCpy $Log ""
  ${Else}
    FileSeek $Log 0 END $1
    ${If} $1 == 0
      FileWriteUTF16LE /BOM $Log ""
    ${EndIf}
    FileWriteUTF16LE $Log "$LogPending"
    StrCpy $LogPending ""
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Function LogClose
  ${If} $Log != ""
    FileClose $Log
    StrCpy $Log ""
  ${EndIf}
FunctionEnd

; A run that ends before it touched the installation: what it logged goes to
; ${REFUSED_LOG}.
Function LogRefused
  ${If} $Log == ""
    Push "${REFUSED_LOG}"
    Call LogOpen
  ${EndIf}
  Call LogClose
FunctionEnd

; Each line of the text on the stack (a program's report) in the log, indented.
Function LogReport
  Exch $1
  Push $3
  Push $4
  Push $5
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
  Pop $5
  Pop $4
  Pop $3
  Pop $1
FunctionEnd
