; Setup's Welcome, start-at-sign-in and Finish pages, and the start at sign-in:
; a shortcut to the launcher in the Startup folder of the user signed in on
; this desktop, recorded in the uninstall entry (AutostartShortcut) so that the
; uninstaller removes exactly that one.
;
; installer.nsi includes this file before its pages and inserts:
; SetupPagesWelcome before the folder page, SetupPagesStartAtSignIn after it,
; SetupPagesFinish after the install page; SetupPagesFunctions once its Log macro,
; $Log and $JavaStatus exist. Its install section calls RememberStartAtSignIn
; before an earlier version is removed and MakeStartAtSignIn once the launcher
; is laid; the uninstaller (uninstall.nsi) removes the shortcut that the entry
; records.
;
; Command line (silent or not): /AUTOSTART puts the shortcut in place,
; /NOAUTOSTART takes it away; without either an upgrade keeps what the
; installation had, a first install makes none.

!include nsDialogs.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define STARTUP_LINK "Dovern Professional SMS Server.lnk"
; KNOWNFOLDERID of a user's Startup folder.
!define FOLDERID_STARTUP "{B97D20BB-F46A-4C97-BA10-5E3608430854}"

Var Autostart ; 1 or 0 as asked; "" when nothing asked: the earlier choice stays
Var AutostartAsked ; what the command line asked, before the page: 1, 0 or ""
Var AutostartEarlier ; the shortcut that the installation being replaced recorded
Var AutostartUser ; the account signed in on this desktop, as the page names it
Var AutostartFolder ; its Startup folder; "" when Setup cannot tell it
Var AutostartKnown ; 1 once the above are read: only for the page or a shortcut asked for
Var AutostartRead ; 1 once the command line and the earlier shortcut are read
Var AutostartBox
Var AutostartShown ; what the check box showed: 1 checked
Var FinishText

!macro SetupPagesWelcome
  !define MUI_WELCOMEPAGE_TITLE "Welcome to ${PRODUCT} Setup"
  !define MUI_WELCOMEPAGE_TITLE_3LINES
  !define MUI_WELCOMEPAGE_TEXT "Setup installs ${PRODUCT} ${VERSION} for all users of this computer. It will:$\r$\n$\r$\n- put the launcher and the server's files into a folder that you choose next;$\r$\n$\r$\n- put the four serial-port support files into C:\dovern\GsmModemJar, a folder that only administrators may change;$\r$\n$\r$\n- prepare Java: copy the support files into the 32-bit Java Runtime Environment 1.5 or later that the launcher uses, if one is installed.$\r$\n$\r$\nClose the server first if it runs. Click Next to continue."
  !insertmacro MUI_PAGE_WELCOME
!macroend

!macro SetupPagesStartAtSignIn
  Page custom StartAtSignInPage StartAtSignInLeave
!macroend

!macro SetupPagesFinish
  !define MUI_FINISHPAGE_TITLE_3LINES
  !define MUI_FINISHPAGE_TEXT "$FinishText"
  !define MUI_FINISHPAGE_TEXT_LARGE
  !define MUI_FINISHPAGE_RUN
  !define MUI_FINISHPAGE_RUN_TEXT "Start Dovern Professional SMS Server now"
  !define MUI_FINISHPAGE_RUN_FUNCTION StartServerAsUser
  !define MUI_FINISHPAGE_SHOWREADME
  !define MUI_FINISHPAGE_SHOWREADME_TEXT "Show README-Windows.txt"
  !define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
  !define MUI_FINISHPAGE_SHOWREADME_FUNCTION ShowReadmeAsUser
  !define MUI_PAGE_CUSTOMFUNCTION_PRE FinishPre
  !insertmacro MUI_PAGE_FINISH
!macroend

!macro SetupPagesFunctions

; The user of this desktop is the one whose shell (explorer.exe) runs here: an
; elevated Setup may run as another account (an administrator who typed their
; password for a standard user), whose Startup folder that user never sees.
; The same account as Setup's: its own Startup folder. Another account: that
; account's, through the shell's token. No shell (a deployment tool without a
; desktop): Setup's own account. Whatever cannot be read leaves the folder ""
; and the name empty: Setup then makes no shortcut and says so.
Function FindSignedInUser
  ${If} $AutostartKnown == 1
    Return
  ${EndIf}
  StrCpy $AutostartKnown 1
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $AutostartUser ""
  StrCpy $AutostartFolder ""
  System::Call 'kernel32::GetCurrentProcess() p.r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i 0x8, *p .r1) i.r2'
  ${If} $2 == 0
    Goto done
  ${EndIf}
  StrCpy $2 0 ; the shell's token, if another account's
  System::Call 'user32::GetShellWindow() p.r3'
  ${If} $3 P<> 0
    System::Call 'user32::GetWindowThreadProcessId(p r3, *i .r4)'
    ; PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r4) p.r3'
    ${If} $3 P= 0
      System::Call 'kernel32::CloseHandle(p r1)'
      Goto done
    ${EndIf}
    ; TOKEN_QUERY | TOKEN_IMPERSONATE | TOKEN_DUPLICATE, as SHGetKnownFolderPath needs
    System::Call 'advapi32::OpenProcessToken(p r3, i 0xE, *p .r2) i.r4'
    System::Call 'kernel32::CloseHandle(p r3)'
    ${If} $4 == 0
      System::Call 'kernel32::CloseHandle(p r1)'
      Goto done
    ${EndIf}
    Push $2
    Call TokenAccount
    Pop $3
    Push $1
    Call TokenAccount
    Pop $4
    ${If} $3 == $4
      System::Call 'kernel32::CloseHandle(p r2)'
      StrCpy $2 0
    ${EndIf}
  ${EndIf}
  ${If} $2 P= 0
    Push $1
    Call TokenAccount
    Pop $AutostartUser
    SetShellVarContext current
    StrCpy $AutostartFolder $SMSTARTUP
    SetShellVarContext all
  ${Else}
    StrCpy $AutostartUser $3
    System::Call 'shell32::SHGetKnownFolderPath(g "${FOLDERID_STARTUP}", i 0, p r2, *p .r4) i.r5'
    ${If} $5 == 0
      System::Call 'kernel32::lstrcpynW(w .r5, p r4, i ${NSIS_MAX_STRLEN})'
      StrCpy $AutostartFolder $5
    ${EndIf}
    System::Call 'ole32::CoTaskMemFree(p r4)'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r1)'
  ${If} $AutostartUser == ""
    StrCpy $AutostartFolder ""
  ${EndIf}
done:
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The account of the token on the stack, as DOMAIN\name; "" when it cannot be read.
Function TokenAccount
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  System::Alloc 1024
  Pop $1
  ; TokenUser: a TOKEN_USER, whose first member points to the SID.
  System::Call 'advapi32::GetTokenInformation(p r0, i 1, p r1, i 1024, *i 0) i.r2'
  StrCpy $0 ""
  ${If} $2 != 0
    System::Call '*$1(p .r2)'
    System::Call 'advapi32::LookupAccountSidW(p 0, p r2, w .r3, *i ${NSIS_MAX_STRLEN}, w .r4, *i ${NSIS_MAX_STRLEN}, *i 0) i.r2'
    ${If} $2 != 0
      StrCpy $0 "$4\$3"
    ${EndIf}
  ${EndIf}
  System::Free $1
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; What the command line asks, and what the installation being replaced had:
; read before its uninstaller takes its shortcut and entry away.
Function RememberStartAtSignIn
  ${If} $AutostartRead == 1
    Return
  ${EndIf}
  StrCpy $AutostartRead 1
  Push $0
  Push $1
  StrCpy $AutostartAsked ""
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    StrCpy $AutostartAsked 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
  ${AndIf} $1 == ""
    StrCpy $AutostartAsked 0
  ${EndIf}
  StrCpy $Autostart $AutostartAsked
  ReadRegStr $AutostartEarlier HKLM "${UNINST_KEY}" AutostartShortcut
  Pop $1
  Pop $0
FunctionEnd

Function StartAtSignInPage
  Call RememberStartAtSignIn
  Call FindSignedInUser
  !insertmacro MUI_HEADER_TEXT "Start at sign-in" "Choose whether the server starts by itself."
  nsDialogs::Create 1018
  Pop $0
  ${If} $AutostartFolder == ""
    ${NSD_CreateLabel} 0 0 100% 60u "Setup cannot tell whose Startup folder belongs to the user signed in here, so it cannot start the server at sign-in. Start Setup again from that user's desktop to have it."
    Pop $1
    StrCpy $AutostartBox ""
  ${Else}
    ${NSD_CreateCheckbox} 0 0 100% 12u "Start the server when $AutostartUser signs in"
    Pop $AutostartBox
    StrCpy $AutostartShown 0
    ${If} $Autostart == 1
      StrCpy $AutostartShown 1
    ${ElseIf} $Autostart == ""
    ${AndIf} $AutostartEarlier != ""
      StrCpy $AutostartShown 1
    ${EndIf}
    ${If} $AutostartShown == 1
      ${NSD_Check} $AutostartBox
    ${EndIf}
    ${NSD_CreateLabel} 0 20u 100% 100u "Setup puts a shortcut to the launcher into the Startup folder of $AutostartUser only:$\r$\n$AutostartFolder$\r$\n$\r$\nAnother user who signs in gets no second server. For a server that runs unattended, let Windows sign in $AutostartUser by itself when it starts (README-Windows.txt says how); after a power cut the server then starts again once Windows is up."
    Pop $1
  ${EndIf}
  nsDialogs::Show
FunctionEnd

; The check box decides only when it was changed: left as it showed, an
; upgrade keeps the earlier shortcut, wherever it is.
Function StartAtSignInLeave
  ${If} $AutostartBox == ""
    Return
  ${EndIf}
  ${NSD_GetState} $AutostartBox $0
  ${If} $0 == ${BST_CHECKED}
  ${AndIf} $AutostartShown == 0
    StrCpy $Autostart 1
  ${ElseIf} $0 != ${BST_CHECKED}
  ${AndIf} $AutostartShown == 1
    StrCpy $Autostart 0
  ${EndIf}
FunctionEnd

; Lays the shortcut asked for, or again the earlier one, and records it; with
; none, records none. A shortcut asked for that cannot be made fails the run.
Function MakeStartAtSignIn
  Call RememberStartAtSignIn
  Push $0
  Push $1
  Push $2
  StrCpy $0 ""
  ${If} $Autostart == 1
    Call FindSignedInUser
    ${If} $AutostartFolder == ""
      !insertmacro Log "Start at sign-in: not set up: Setup cannot tell whose Startup folder belongs to the user signed in here."
      SetErrorLevel 2
      Goto done
    ${EndIf}
    StrCpy $0 "$AutostartFolder\${STARTUP_LINK}"
  ${ElseIf} $Autostart == ""
    StrCpy $0 $AutostartEarlier
  ${EndIf}
  ${If} $0 == ""
    DeleteRegValue HKLM "${UNINST_KEY}" AutostartShortcut
    !insertmacro Log "Start at sign-in: off."
    Goto done
  ${EndIf}
  ; The folder is the user's: no link there leads Setup elsewhere, and what
  ; stands under the shortcut's name goes first (a link itself, never its target).
  ${GetParent} $0 $1
  ClearErrors
  ${GetFileAttributes} $1 REPARSE_POINT $2
  ${If} ${Errors}
  ${OrIf} $2 == 1
    !insertmacro Log "Start at sign-in: not set up: $1 is missing or a link."
    SetErrorLevel 2
    Goto done
  ${EndIf}
  Delete $0
  SetOutPath "$INSTDIR"
  ClearErrors
  CreateShortcut $0 "$INSTDIR\${LAUNCHER_EXE}"
  ${If} ${Errors}
    !insertmacro Log "Start at sign-in: the shortcut $0 could not be made."
    SetErrorLevel 2
    Goto done
  ${EndIf}
  WriteRegStr HKLM "${UNINST_KEY}" AutostartShortcut $0
  !insertmacro Log "Start at sign-in: $0"
done:
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function FinishPre
  ${If} $JavaStatus == 0
    StrCpy $FinishText "${PRODUCT} is installed in $INSTDIR, and Java is prepared: the support files are in the 32-bit Java Runtime Environment that the launcher uses."
  ${ElseIf} $JavaStatus == 1
    StrCpy $FinishText "${PRODUCT} is installed in $INSTDIR, but no 32-bit Java Runtime Environment 1.5 or later was found, so the server cannot start yet. Install one (README-Windows.txt says which), then start $\"${PREPARE_LINK}$\" in the Start menu."
  ${Else}
    StrCpy $FinishText "${PRODUCT} is installed in $INSTDIR, but Java could not be prepared (install.log there says why): the server has no serial ports until it is. Start $\"${PREPARE_LINK}$\" in the Start menu once the cause is removed."
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINST_KEY}" AutostartShortcut
  ${If} $0 != ""
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nThe server starts at sign-in, through the shortcut$\r$\n$0"
  ${EndIf}
FunctionEnd

; Through the shell, which runs with the signed-in user's own rights: the
; server never runs elevated, nor as the administrator who may have elevated
; Setup.
Function StartServerAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${LAUNCHER_EXE}"'
FunctionEnd

Function ShowReadmeAsUser
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\README-Windows.txt"'
FunctionEnd

!macroend
