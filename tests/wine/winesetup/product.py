"""The launcher's own facts: names, texts, the files it copies, the command line it builds."""

EXE, CAPTION = "DovernProfessionalSMSServer.exe", "Dovern Professional SMS Server"
# The server's class path below the launcher's folder, in the launcher's order.
SERVER_JARS = [rf"lib\{jar}.jar" for jar in ("comm", "jdc", "jxl", "log4j-1.2.8", "slf4j-api-1.1.0",
               "slf4j-log4j12-1.1.0", "slf4j-simple-1.1.0", "swing-layout-1.0")]  # fmt: skip
SERVER_JARS.append("Dovern_Professional_SMS_Server.jar")
MAIN_CLASS = "JavaSwingClasses.MainFrame"
CRLF = "\r\n"
# Where the support files come from, and where each goes below a runtime's home.
SUPPORT_DIR = r"C:\dovern\GsmModemJar"
SUPPORT_FILES = (r"lib\ext\Comm.jar", r"lib\javax.comm.properties", r"bin\Win32com.dll",
                 r"lib\ext\jdc.jar")  # fmt: skip
TEXT_NO_RUNTIME = (
    "You have not Installed Java Runtime Environment on your computer.\r\n"
    "Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    "Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help"
)
TEXT_NO_VERSION = "Java Runtime Environment version 1.5 or higher version is not avaiable"
TEXT_SEARCH_ERROR = "Error While Searching JVM on Your Machine"
TEXT_COPY_ERROR = "Error While Copying JAR File"


def text_no_server_folder(app):
    return (
        rf"The server's folder was not found:{CRLF}{app}\SMSServer{CRLF}Put {EXE} in the folder"
        " that holds the server's SMSServer folder, and start it from there."
    )


def text_already_running(app):
    return (
        f"The server of this installation is already running:{CRLF}{app}{CRLF}Only one server can"
        " use the modems at a time; it may run for another user of this computer."
    )


def class_path(app):
    return ";".join(rf"{app}\SMSServer\{jar}" for jar in SERVER_JARS) + rf";{app}\SMSServer"


def server_cmdline(app, home):
    """For the launcher's folder `app` and the runtime home `home` ("": java by the search)."""
    program = rf"{home}\bin\java.exe" if home else "java"
    program = f'"{program}"' if " " in program or "\t" in program else program
    quoted = ";".join(f'"{entry}"' for entry in class_path(app).split(";"))
    return f"{program} -classpath {quoted} {MAIN_CLASS}"
