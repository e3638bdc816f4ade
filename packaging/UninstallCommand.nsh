; The environment variable through which uninstall.exe (uninstall.nsi) hands
; the command line it was given to the uninstaller that it runs from a copy,
; whose log names it (InstallLog.nsh).
!define UNINSTALL_COMMAND "DOVERN_SMS_UNINSTALL_COMMAND"
