#include "preparejava/ShippedFiles.h"

#include "common/DecimalText.h"
#include "preparejava/Sha256.h"
#include "preparejava/Utf8Text.h"
#include "seam/ErrorText.h"
#include "seam/HandleGuard.h"

namespace {

bool IsHashText(const std::string &text) {
    if (text.size() != 64) return false;
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// A path that stays inside the folder it is relative to: no root, no drive,
// no stream, no "." or ".." and no empty component.
bool StaysInside(const std::wstring &path) {
    if (path.empty() || path.find_first_of(L":/") != std::wstring::npos) return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = path.find(L'\\', start);
        const std::wstring part = path.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

// The file's SHA-256, read through `file`; answers 0 or an error number.
std::uint32_t HashOpenedFile(seam::Platform &os, seam::FileHandle file, std::string *hex) {
    Sha256 hash;
    std::uint8_t buffer[65536];
    for (;;) {
        std::uint32_t read = 0;
        if (const std::uint32_t error = os.ReadOpenedFile(file, buffer, sizeof buffer, &read))
            return error;
        if (read == 0) break;
        Sha256Add(hash, buffer, read);
    }
    *hex = Sha256Hex(hash);
    return 0;
}

// Removes `path` when unchanged; answers the report's line for it, empty when
// it went or was not there, and sets `*failed` when it should have gone.
std::wstring RemoveIfUnchanged(seam::Platform &os, const std::wstring &path,
                               const std::string &sha256, bool *failed) {
    seam::FileHandle opened = 0;
    std::uint32_t error = os.OpenFileToRemove(path, &opened);
    if (error == seam::kErrorFileNotFound || error == seam::kErrorPathNotFound) return L"";
    seam::FileGuard file(os, opened);
    std::string content;
    if (!error) error = HashOpenedFile(os, file.get(), &content);
    if (!error && content != sha256) return L"kept, changed: " + path;
    if (!error) error = os.RemoveOpenedFile(file.get());
    if (!error) return L"";
    *failed = true;
    return L"not removed: " + path + L": " + seam::DescribeError(os, error, path);
}

} // namespace

bool ReadShippedList(const std::string &text, std::vector<ShippedFile> *files,
                     std::size_t *badLine) {
    std::size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    for (std::size_t number = 1; start < text.size(); ++number) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ShippedFile file;
        file.sha256 = line.substr(0, 64);
        if (line.size() < 66 || line[64] != '\t' || !IsHashText(file.sha256) ||
            !Utf8ToUtf16(line.substr(65), &file.path) || !StaysInside(file.path)) {
            *badLine = number;
            return false;
        }
        files->push_back(file);
    }
    return true;
}

PrepareReport RemoveShippedFiles(seam::Platform &os, const std::wstring &folder,
                                 const std::wstring &listFile) {
    std::string text;
    if (const std::uint32_t error = os.ReadWholeFile(listFile, &text))
        return {kFolderFailed, L"The list of shipped files could not be read: " +
                                   seam::DescribeError(os, error, listFile)};
    std::vector<ShippedFile> files;
    std::size_t badLine = 0;
    if (!ReadShippedList(text, &files, &badLine))
        return {kFolderFailed, L"The list of shipped files " + listFile + L" is damaged at line " +
                                   DecimalText(static_cast<std::int64_t>(badLine)) +
                                   L": nothing was removed."};
    std::wstring report;
    bool failed = false;
    const std::wstring base = folder.back() == L'\\' ? folder : folder + L"\\";
    for (const ShippedFile &file : files) {
        const std::wstring line = RemoveIfUnchanged(os, base + file.path, file.sha256, &failed);
        if (!line.empty()) report += (report.empty() ? L"" : L"\r\n") + line;
    }
    if (report.empty()) report = L"All shipped files are removed.";
    return {failed ? kFolderFailed : kFolderDone, report};
}
