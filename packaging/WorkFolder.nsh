; The working folder of Setup and of the uninstaller: everything they run or
; read while elevated (PrepareJava.exe, the support files before they are
; laid, the plug-ins loaded after it is made) is put there first and used from
; there. It is made new below $WINDIR\Temp, where users may create but
; neither delete nor rename what others made, with the descriptor below in the
; creating call: owner Administrators; protected; Administrators and SYSTEM
; full control, inherited by all made inside. No unelevated process can write into it, replace it by
; path, or put anything there. tests/unit/WorkFolderTest.cpp checks this
; descriptor. Needs LogicLib and the System plug-in.

!define WORK_FOLDER_SDDL "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)"
!define WORK_FOLDER_PARENT "$WINDIR\Temp"
!define WORK_REPORT "report.txt"
!define WORK_JAVA_REPORT "java.txt" ; of /log, run after /support in the same process
; CreateDirectoryW's error for a name that is taken: the next name is tried.
!define WORK_NAME_TAKEN 183
!define WORK_NAME_TRIES 100

Var Work ; the working folder, "" while there is none

; Makes the folder `path` with the descriptor `sddl` in the creating call, so
; that there is no moment at which another one applies. $0: 0, or the error
; number (${WORK_NAME_TAKEN}: something stands there already). Uses $1 to $3.
!macro CreateFolderWithDescriptor path sddl
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${sddl}", i 1, *p .r1, p 0) i .r0 ?e'
  Pop $2
  ${If} $0 == 0
    StrCpy $0 $2
  ${Else}
    ; SECURITY_ATTRIBUTES: nLength, lpSecurityDescriptor, bInheritHandle; the
    ; pointer is 8-aligned on x86-64 (24 bytes), not on x86 (12).
    !if ${NSIS_PTR_SIZE} > 4
      System::Call '*(&l4, i 0, p r1, i 0, i 0) p .r3'
    !else
      System::Call '*(&l4, p r1, i 0) p .r3'
    !endif
    System::Call 'kernel32::CreateDirectoryW(w "${path}", p r3) i .r0 ?e'
    Pop $2
    ${If} $0 != 0
      StrCpy $0 0
    ${Else}
      StrCpy $0 $2
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
!macroend

; Makes the working folder, ${WORK_FOLDER_PARENT}\DovernSetup-<n>, never one
; that stands there already, and makes it $PLUGINSDIR: the plug-ins that the
; run loads from now on are extracted there, and NSIS removes it, with all in
; it, however the run ends. NSIS's own folder in %TEMP%, which held the
; plug-ins loaded so far, goes at once. Out: $Work, and $0: 0 or the error
; number (then $Work is "").
Function MakeWorkFolder
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $Work ""
  System::Call 'kernel32::GetTickCount() i .r4'
  IntOp $4 $4 & 0xFFFFFF
  StrCpy $5 0
  ${Do}
    IntOp $5 $5 + 1
    IntOp $4 $4 + 1
    !insertmacro CreateFolderWithDescriptor "${WORK_FOLDER_PARENT}\DovernSetup-$4" "${WORK_FOLDER_SDDL}"
    ${If} $0 == 0
      StrCpy $Work "${WORK_FOLDER_PARENT}\DovernSetup-$4"
      ${ExitDo}
    ${EndIf}
    ${IfThen} $0 != ${WORK_NAME_TAKEN} ${|} ${ExitDo} ${|}
  ${LoopUntil} $5 >= ${WORK_NAME_TRIES}
  ${If} $0 == 0
    StrCpy $1 $PLUGINSDIR
    UnsafeStrCpy $PLUGINSDIR $Work
    RMDir /r $1
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Runs the working folder's PrepareJava.exe with the arguments on the stack,
; its report into a file there. Out: $0 its status ("error" when it did not
; start), $1 its report.
Function RunPrepareJava
  Exch $2
  Delete "$Work\${WORK_REPORT}"
  ClearErrors
  ExecWait '"$Work\PrepareJava.exe" /report "$Work\${WORK_REPORT}" $2' $0
  ${IfThen} ${Errors} ${|} StrCpy $0 "error" ${|}
  Push "$Work\${WORK_REPORT}"
  Call ReadWorkReport
  Pop $2
FunctionEnd

; $1: the report in the file on the stack, "" when there is none.
Function ReadWorkReport
  Exch $2
  Push $3
  Push $4
  StrCpy $1 ""
  ClearErrors
  FileOpen $3 "$2" r
  ${IfNot} ${Errors}
    ${Do}
      FileReadUTF16LE $3 $4
      ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
      StrCpy $1 "$1$4"
    ${Loop}
    FileClose $3
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
FunctionEnd
