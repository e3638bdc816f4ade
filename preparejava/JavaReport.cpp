#include "preparejava/JavaReport.h"

#include "common/DecimalText.h"
#include "common/ProductTexts.h"
#include "javaruntime/MRegistry.h"
#include "javaruntime/mod_main.h"
#include "seam/AppError.h"

#include <algorithm>
#include <type_traits>

namespace {

constexpr const wchar_t *kRunAgain =
    L"\r\nInstall a 32-bit Java Runtime Environment 1.5 or later, then run \"Prepare Java for "
    L"Dovern SMS Server\" from the Start menu.";
constexpr const wchar_t *kWhyChosen =
    L"the first of version 1.5 or later in the registry's order, as the launcher chooses";
constexpr const wchar_t *kRunningKeepsJava =
    L"\r\nA server that is already running keeps its Java until it is restarted.";
constexpr const wchar_t *kOnly64Bit =
    L"\r\nA 64-bit Java is installed; the serial-port library needs a 32-bit one:";
constexpr const wchar_t *kNothingElse = L"\r\nNo other Java is registered on this computer.";

std::wstring HomeText(seam::Platform &os, const std::wstring &version, std::uint32_t view) {
    try {
        const MRegistry::RegValue value = MRegistry::RegQueryValue(
            os, seam::kHKeyLocalMachine, std::wstring(kRuntimeKey) + L"\\" + version, L"JavaHome",
            std::nullopt, view);
        if (const auto *text = std::get_if<std::wstring>(&value)) return *text;
        if (const auto *number = std::get_if<std::int32_t>(&value)) return DecimalText(*number);
        return L"(no folder registered)";
    } catch (...) {
        return L"(no folder: " + seam::CaughtError().description + L")";
    }
}

std::wstring Rows(const std::vector<RegisteredRuntime> &runtimes, const std::wstring &chosen) {
    std::wstring text;
    for (const RegisteredRuntime &runtime : runtimes) {
        text += L"\r\n  " + runtime.version + L": " + runtime.home;
        const auto number = mod_main::ReadVersionNumber(runtime.version);
        if (runtime.version == chosen)
            text += L" (chosen)";
        else if (number && *number < 1.5)
            text += L" (older than 1.5)";
        else if (!number)
            text += L" (not a version number)";
    }
    return text;
}

// What the 64-bit view holds that the program's own does not: on 32-bit Windows
// both read the one view, and so does a 64-bit build.
std::wstring FoundInstead(seam::Platform &os, const std::vector<RegisteredRuntime> &own) {
    std::vector<RegisteredRuntime> only64;
    for (RegisteredRuntime &runtime : RegisteredRuntimes(os, MRegistry::kView64)) {
        const bool inOwn = std::any_of(own.begin(), own.end(), [&](const RegisteredRuntime &r) {
            return r.version == runtime.version && r.home == runtime.home;
        });
        if (!inOwn) only64.push_back(std::move(runtime));
    }
    if (only64.empty()) return kNothingElse;
    return kOnly64Bit + Rows(only64, L"");
}

PrepareReport CopyInto(seam::Platform &os, const std::wstring &listing,
                       const mod_main::RuntimeChoice &choice) {
    std::wstring text = listing + L"\r\nChosen: " + choice.version + L", " + kWhyChosen + L".";
    const mod_main::SupportFiles files = mod_main::InstallSupportFiles(os, choice.home);
    for (const auto &row : files.inPlace)
        text += (row.copied ? L"\r\nCopied: " : L"\r\nAlready there: ") + row.file;
    if (files.error == 0)
        return {kPrepared,
                text + L"\r\nThe serial-port support files are in place." + kRunningKeepsJava};
    return {kCopyFailed, text + L"\r\nCopying stopped: " + files.description +
                             L"\r\nThe files after it were not copied: the server cannot reach "
                             L"its modems until they are." +
                             kRunningKeepsJava};
}

} // namespace

std::vector<RegisteredRuntime> RegisteredRuntimes(seam::Platform &os, std::uint32_t view) {
    std::vector<RegisteredRuntime> runtimes;
    for (std::wstring &version :
         MRegistry::RegEnumSubKeys(os, seam::kHKeyLocalMachine, kRuntimeKey, view)) {
        std::wstring home = HomeText(os, version, view);
        runtimes.push_back({std::move(version), std::move(home)});
    }
    return runtimes;
}

PrepareReport PrepareJavaReport(seam::Platform &os) {
    mod_main::RuntimeChoice choice;
    std::vector<RegisteredRuntime> own;
    std::wstring unreadable;
    try {
        own = RegisteredRuntimes(os, 0);
        choice = mod_main::ChooseJavaRuntime(os);
    } catch (...) {
        unreadable = seam::CaughtError().description;
    }
    const bool chosen =
        unreadable.empty() && choice.outcome == mod_main::RuntimeChoice::Outcome::Chosen;
    std::wstring listing;
    if (!own.empty())
        listing = L"Java Runtime Environments registered for 32-bit programs, in the registry's "
                  L"order:" +
                  Rows(own, chosen ? choice.version : L"");
    if (!unreadable.empty())
        return {kNoRuntime, listing + (listing.empty() ? L"" : L"\r\n") +
                                L"The installed Java Runtime Environments could not be read: " +
                                unreadable};
    using Outcome = mod_main::RuntimeChoice::Outcome;
    if (choice.outcome != Outcome::Chosen) {
        // The launcher's own words for it, then what it cannot see.
        std::wstring text =
            listing + (listing.empty() ? L"" : L"\r\n") + L"The launcher says: " +
            (choice.outcome == Outcome::NoRuntime ? kMsgNoRuntime : kMsgNoSuitableVersion);
        std::wstring instead;
        try {
            instead = FoundInstead(os, own);
        } catch (...) {
            instead = L"\r\nThe 64-bit programs' Java could not be read: " +
                      seam::CaughtError().description;
        }
        return {kNoRuntime, text + instead + kRunAgain};
    }
    if (choice.home.empty())
        return {kNoRuntime, listing + L"\r\nJava Runtime Environment " + choice.version +
                                L" is registered without its folder." + kRunAgain};
    return CopyInto(os, listing, choice);
}
