#include "preparejava/FolderModes.h"

#include "preparejava/ProtectedFolder.h"
#include "preparejava/ShippedFiles.h"
#include "preparejava/SupportFolder.h"

std::wstring WithoutTrailingSeparators(const std::wstring &path) {
    std::wstring result = path;
    while (result.size() > 1 && (result.back() == L'\\' || result.back() == L'/') &&
           !(result.size() == 3 && result[1] == L':'))
        result.pop_back();
    return result;
}

namespace {

bool IsFolderSwitch(const std::wstring &argument, const wchar_t *name) {
    if (argument.size() != std::char_traits<wchar_t>::length(name)) return false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const wchar_t c = argument[i];
        if ((c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) != name[i]) return false;
    }
    return true;
}

} // namespace

FolderRequest ReadFolderArguments(const std::vector<std::wstring> &arguments) {
    FolderRequest request;
    for (const FolderSwitch &folderSwitch : kFolderSwitches) {
        if (arguments.empty() || !IsFolderSwitch(arguments[0], folderSwitch.name)) continue;
        request.named = true;
        if (arguments.size() != folderSwitch.operands + 1) return request;
        for (std::size_t i = 1; i < arguments.size(); ++i)
            if (arguments[i].empty()) return request;
        request.mode = folderSwitch.mode;
        request.folder = WithoutTrailingSeparators(arguments[1]);
        if (folderSwitch.operands > 1) request.listFile = arguments[2];
    }
    return request;
}

PrepareReport RunFolderMode(seam::Platform &os, const FolderRequest &request) {
    switch (request.mode) {
    case FolderMode::ProtectedFolder:
        return MakeProtectedFolder(os, request.folder);
    case FolderMode::RemoveShipped:
        return RemoveShippedFiles(os, request.folder, request.listFile);
    case FolderMode::Support:
        return LaySupportFolder(os, request.folder);
    case FolderMode::None:
        break;
    }
    return {kWrongUsage, kFolderUsage};
}
