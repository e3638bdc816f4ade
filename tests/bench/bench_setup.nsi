; The installer's floor for tools/benchmark.py: a bare script that lays the
; same files as Setup (the launcher, PrepareJava.exe, the readme, the server's
; files, the support folder, the two Start-menu shortcuts for all users),
; writes its uninstaller and entry, and removes it all again, with no checks,
; helpers or log. tools/benchmark.py defines
; PAYLOAD (the payload folder), BUILD (the launcher's build folder), README
; and OUTFILE.
Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
SetDateSave off
SilentInstall silent
SilentUnInstall silent
Name "Bench Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\Bench Setup"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\BenchSetup"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${KEY}" DisplayName "Bench Setup"
  WriteRegStr HKLM "${KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  File "${BUILD}\DovernProfessionalSMSServer.exe"
  File "${BUILD}\PrepareJava.exe"
  File "${README}"
  File /r "${PAYLOAD}\SMSServer"
  SetOutPath "C:\dovern\GsmModemJar"
  File "${PAYLOAD}\GsmModemJar\*"
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\Bench Setup.lnk" "$INSTDIR\DovernProfessionalSMSServer.exe"
  CreateShortcut "$SMPROGRAMS\Bench Setup Prepare.lnk" "$INSTDIR\PrepareJava.exe"
SectionEnd

Section Uninstall
  SetShellVarContext all
  Delete "$SMPROGRAMS\Bench Setup.lnk"
  Delete "$SMPROGRAMS\Bench Setup Prepare.lnk"
  RMDir /r "C:\dovern"
  RMDir /r "$INSTDIR\SMSServer"
  Delete "$INSTDIR\DovernProfessionalSMSServer.exe"
  Delete "$INSTDIR\PrepareJava.exe"
  Delete "$INSTDIR\README-Windows.txt"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
