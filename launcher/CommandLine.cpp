#include "launcher/CommandLine.h"

namespace {

struct ClassPathEntry {
    const wchar_t *path;
    const wchar_t *terminator;
};

constexpr ClassPathEntry kClassPath[] = {
    {L"\\SMSServer\\lib\\comm.jar", L";"},
    {L"\\SMSServer\\lib\\jdc.jar", L";"},
    {L"\\SMSServer\\lib\\jxl.jar", L";"},
    {L"\\SMSServer\\lib\\log4j-1.2.8.jar", L";"},
    {L"\\SMSServer\\lib\\slf4j-api-1.1.0.jar", L";"},
    {L"\\SMSServer\\lib\\slf4j-log4j12-1.1.0.jar", L";"},
    {L"\\SMSServer\\lib\\slf4j-simple-1.1.0.jar", L";"},
    {L"\\SMSServer\\lib\\swing-layout-1.0.jar", L";"},
    {L"\\SMSServer\\Dovern_Professional_SMS_Server.jar", L";"},
    {L"\\SMSServer", L" "},
};

std::wstring ProgramPart(const std::wstring &javaHome) {
    const std::wstring program = ServerProgram(javaHome);
    // Unquoted, a home with a blank would be searched as "C:\Program.exe" first
    // and split apart by the runtime's own argument parsing.
    if (program.find_first_of(L" \t") != std::wstring::npos) return L"\"" + program + L"\" ";
    return program + L" ";
}

} // namespace

std::wstring ServerProgram(const std::wstring &javaHome) {
    return javaHome.empty() ? L"java" : javaHome + L"\\bin\\java.exe";
}

std::wstring BuildServerCommandLine(const std::wstring &appDirectory,
                                    const std::wstring &javaHome) {
    std::wstring line = ProgramPart(javaHome);
    line += L"-classpath ";
    for (const ClassPathEntry &entry : kClassPath)
        line += L"\"" + appDirectory + entry.path + L"\"" + entry.terminator;
    line += kMainClass;
    return line;
}
