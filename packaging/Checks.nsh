; What Setup and the uninstaller check before they change anything, and how
; they refuse: as administrator only, with a working folder of their own, and
; never while the installation's server runs. Needs LogicLib, InstallLog.nsh
; and WorkFolder.nsh.

Var OnPage ; 1 while Setup's folder page checks its choice: a refusal there ends no run

; Ends a run that has changed nothing yet: says why, in the box and in the log.
!macro Refuse text
  !insertmacro Log "Refused, nothing changed: ${text}"
  ${If} $OnPage != 1
    Call LogRefused
  ${EndIf}
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
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
  Call MakeWorkFolder
  ${If} $0 != 0
    !insertmacro Refuse "${what} could not make its working folder in ${WORK_FOLDER_PARENT} (error $0)."
  ${EndIf}
  ClearErrors
  File "/oname=$Work\PrepareJava.exe" "${PREPAREJAVA}"
  ${If} ${Errors}
    !insertmacro Refuse "${what} could not write PrepareJava.exe into its working folder:$\r$\n$Work"
  ${EndIf}
!macroend

!macro Checks what
; The installation's lock says whether its server runs; PrepareJava.exe, the
; run's own copy, computes the lock's name as the launcher does. Anything but
; "surely not running" refuses. No folder there, no server of it: no question
; to ask.
Function RefuseWhileRunning
  ${IfNot} ${FileExists} "$INSTDIR\*"
    Return
  ${EndIf}
  Push '/running "$INSTDIR"'
  Call RunPrepareJava
  Call RefuseIfRunning
FunctionEnd

; Refuses on PrepareJava.exe's answer to /running: $0 its status, $1 its report.
Function RefuseIfRunning
  ${If} $0 == 20
    !insertmacro Refuse "The server of this installation is running:$\r$\n$INSTDIR$\r$\n${what} changes nothing while it runs, for this user or another one: close the server first."
  ${ElseIf} $0 != 0
    Push $1
    Call LogReport
    !insertmacro Refuse "${what} could not tell whether the server of this installation is running, and changed nothing:$\r$\n$INSTDIR$\r$\nPrepareJava.exe /running ended with $0:$\r$\n$1"
  ${EndIf}
FunctionEnd
!macroend
