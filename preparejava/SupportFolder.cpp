#include "preparejava/SupportFolder.h"

#include "common/DecimalText.h"
#include "javaruntime/SupportFiles.h"
#include "javaruntime/WholeCopy.h"
#include "preparejava/ProtectedFolder.h"
#include "seam/ErrorText.h"

namespace {

constexpr int kMostAside = 1000;

struct Steps {
    std::wstring report;
    void Add(const std::wstring &line) { report += (report.empty() ? L"" : L"\r\n") + line; }
};

bool IsNameTaken(std::uint32_t error) {
    return error == seam::kErrorAlreadyExists || error == seam::kErrorFileExists;
}

// Renames `path` to the first free "<path>.before-setup-<n>".
std::uint32_t MoveAside(seam::Platform &os, const std::wstring &path, Steps *steps) {
    std::uint32_t error = 0;
    for (int n = 1; n <= kMostAside; ++n) {
        const std::wstring aside = path + L".before-setup-" + DecimalText(n);
        error = os.RenameAside(path, aside);
        if (!error) steps->Add(L"moved aside: " + path + L" to " + aside);
        if (!IsNameTaken(error)) return error;
    }
    return error;
}

// Setup's folder at `path`: kept (`*kept`) when Setup made it, else made new
// after whatever stands there is moved aside. Answers 0 or an error number,
// with `*failedOn` the path the failing call was given.
std::uint32_t KeepOrMake(seam::Platform &os, const std::wstring &path, bool *kept,
                         std::wstring *failedOn, Steps *steps) {
    *kept = false;
    *failedOn = path;
    seam::PathState state;
    std::uint32_t error = os.ReadPathState(path, &state);
    if (!error && IsSetupsFolder(state)) {
        *kept = true;
        steps->Add(L"kept: " + path);
        return 0;
    }
    if (!error)
        error = MoveAside(os, path, steps);
    else if (error == seam::kErrorFileNotFound || error == seam::kErrorPathNotFound)
        error = 0;
    if (error) return error;
    // Whatever comes meanwhile makes this fail: nothing is taken over.
    const seam::FolderSecurity security = ProtectedSecurity();
    error = os.CreateFolder(path, &security);
    if (!error) steps->Add(L"made: " + path);
    return error;
}

PrepareReport Failed(Steps &steps, const std::wstring &what, const std::wstring &description) {
    steps.Add(L"Laying the support folder stopped at " + what + L": " + description);
    return {kFolderFailed, steps.report};
}

} // namespace

PrepareReport LaySupportFolder(seam::Platform &os, const std::wstring &source) {
    Steps steps;
    std::wstring failedOn;
    bool parentKept = false;
    bool kept = false;
    std::uint32_t error = KeepOrMake(os, mod_main::kSupportParent, &parentKept, &failedOn, &steps);
    if (!error) error = KeepOrMake(os, mod_main::kSupportFolder, &kept, &failedOn, &steps);
    if (error) return Failed(steps, failedOn, seam::DescribeError(os, error, failedOn));
    const std::wstring folder = std::wstring(mod_main::kSupportFolder) + L"\\";
    for (const mod_main::SupportFile &file : mod_main::kSupportFiles) {
        const std::wstring from = source + L"\\" + file.name;
        const std::wstring target = folder + file.name;
        // Whole or not at all; in a fresh folder, which nobody else can
        // write, no file of that name can be there to replace.
        const mod_main::CopyFailure failure = mod_main::CopyWhole(os, from, folder, kept);
        if (failure.error) return Failed(steps, target, mod_main::DescribeCopyFailure(os, failure));
        steps.Add((kept ? L"replaced: " : L"made: ") + target);
    }
    return {kFolderDone, steps.report};
}
