#include "common/DecimalText.h"
#include "common/Globals.h"
#include "common/ProductTexts.h"
#include "javaruntime/MRegistry.h"
#include "javaruntime/mod_main.h"
#include "seam/AppError.h"

#include <type_traits>

namespace mod_main {
namespace {

constexpr double kLowestVersion = 1.5;

// The chosen sub-key, or nothing when no name reads as 1.5 or more. A name that
// is not a number stops the search.
std::optional<std::wstring> FirstSuitableVersion(const std::vector<std::wstring> &names) {
    for (const std::wstring &name : names) {
        const std::optional<double> version = ReadVersionNumber(name);
        if (!version) throw seam::TypeMismatchError();
        if (*version >= kLowestVersion) return name;
    }
    return std::nullopt;
}

std::wstring AsText(const MRegistry::RegValue &value) {
    return std::visit(
        [](const auto &v) -> std::wstring {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::wstring>)
                return v;
            else if constexpr (std::is_same_v<T, std::int32_t>)
                return DecimalText(v);
            else if constexpr (std::is_same_v<T, std::monostate>)
                return L"";
            else
                throw seam::TypeMismatchError(); // a binary value is no directory
        },
        value);
}

void Search(seam::Platform &os, const EndWithBox &endWith) {
    gJavaHome.clear();
    const RuntimeChoice choice = ChooseJavaRuntime(os);
    if (choice.outcome == RuntimeChoice::Outcome::NoRuntime) return endWith(kMsgNoRuntime);
    if (choice.outcome == RuntimeChoice::Outcome::NoSuitableVersion)
        return endWith(kMsgNoSuitableVersion);
    if (choice.home.empty()) return;
    gJavaHome = choice.home;
    InstallCommSupport(os, choice.home);
}

} // namespace

RuntimeChoice ChooseJavaRuntime(seam::Platform &os) {
    if (!MRegistry::RegKeyExists(os, seam::kHKeyLocalMachine, kRuntimeKey)) return {};
    const auto names = MRegistry::RegEnumSubKeys(os, seam::kHKeyLocalMachine, kRuntimeKey);
    const std::optional<std::wstring> chosen = FirstSuitableVersion(names);
    if (!chosen) return {RuntimeChoice::Outcome::NoSuitableVersion, L"", L""};
    const std::wstring versionKey = std::wstring(kRuntimeKey) + L"\\" + *chosen;
    return {RuntimeChoice::Outcome::Chosen, *chosen,
            AsText(MRegistry::RegQueryValue(os, seam::kHKeyLocalMachine, versionKey, L"JavaHome"))};
}

void FindJavaRuntime(seam::Platform &os, const EndWithBox &endWith) {
    seam::AppError error;
    try {
        Search(os, endWith);
        return;
    } catch (...) {
        error = seam::CaughtError();
    }
    os.MessageBox(error.description, kAppTitle);
    os.MessageBox(kMsgSearchFailed, kAppTitle);
    gJavaHome.clear();
}

} // namespace mod_main
