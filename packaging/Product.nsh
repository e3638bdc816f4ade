; The names that Setup and the uninstaller share.
!define LAUNCHER_EXE "DovernProfessionalSMSServer.exe"
!define SUPPORT_PARENT "C:\dovern"
!define SUPPORT_DIR "${SUPPORT_PARENT}\GsmModemJar"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DovernProfessionalSMSServer"
!define PREPARE_LINK "Prepare Java for Dovern SMS Server"
!define INSTALL_FOLDER "Dovern SMS Server"
!define LIST "shipped.sha256"
