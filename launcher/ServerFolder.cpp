#include "launcher/ServerFolder.h"

#include "common/ProductTexts.h"

namespace {

bool HoldsSemicolon(const std::wstring &folder) { return folder.find(L';') != std::wstring::npos; }

bool JavaCanReceive(seam::Platform &os, const std::wstring &folder) {
    return !HoldsSemicolon(folder) && os.SurvivesAnsi(folder);
}

} // namespace

std::wstring ServerBaseFolder(seam::Platform &os, const std::wstring &appDirectory) {
    const std::wstring serverFolder = appDirectory + L"\\SMSServer";
    bool exists = true;
    // A folder that cannot be looked at is left to the server to find.
    if (os.FolderExists(serverFolder, &exists) == 0 && !exists) {
        os.MessageBox(NoServerFolderText(serverFolder), kAppTitle);
        os.EndProgram(1);
    }
    if (JavaCanReceive(os, appDirectory)) return appDirectory;
    std::wstring shortForm;
    if (os.ShortPathName(appDirectory, &shortForm) != 0 || !JavaCanReceive(os, shortForm)) {
        os.MessageBox(FolderNotForJavaText(appDirectory, HoldsSemicolon(appDirectory)), kAppTitle);
        os.EndProgram(1);
    }
    return shortForm;
}
