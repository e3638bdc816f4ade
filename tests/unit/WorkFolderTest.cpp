// The descriptors that Setup and the uninstaller give the folders they make
// themselves, as the installer's source carries them: Wine keeps no ACL, so
// they are read here.
#include "preparejava/ProtectedFolder.h"
#include "seam/FolderSecurity.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

namespace {

// The SDDL of `!define <name> "..."` in the installer's source `file`.
std::string InstallersSddl(const std::string &file, const std::string &name) {
    std::ifstream source(std::string(SOURCE_DIR) + "/packaging/" + file);
    const std::string key = "!define " + name + " \"";
    for (std::string line; std::getline(source, line);)
        if (line.rfind(key, 0) == 0) return line.substr(key.size(), line.rfind('"') - key.size());
    return "";
}

// Decodes the few SDDL forms a folder's descriptor needs; anything else, and
// so anything unexpected, is no descriptor at all.
std::optional<seam::FolderSecurity> Decode(const std::string &sddl) {
    const std::map<std::string, std::wstring> sids{
        {"BA", L"S-1-5-32-544"}, {"SY", L"S-1-5-18"}, {"BU", L"S-1-5-32-545"}};
    const std::map<std::string, std::uint32_t> masks{{"FA", seam::kFileAllAccess},
                                                     {"0x1200a9", seam::kFileReadExecute}};
    const std::map<std::string, std::uint8_t> flags{{"OI", seam::kObjectInherit},
                                                    {"CI", seam::kContainerInherit}};
    seam::FolderSecurity security;
    if (sddl.rfind("O:", 0) != 0 || !sids.count(sddl.substr(2, 2))) return std::nullopt;
    security.owner = sids.at(sddl.substr(2, 2));
    std::size_t at = 4;
    if (sddl.compare(at, 2, "D:") != 0) return std::nullopt;
    at += 2;
    security.hasDacl = true;
    if (sddl.compare(at, 1, "P") == 0) security.isProtected = true, ++at;
    while (at < sddl.size()) {
        const std::size_t end = sddl.find(')', at);
        if (sddl[at] != '(' || end == std::string::npos) return std::nullopt;
        std::istringstream ace(sddl.substr(at + 1, end - at - 1));
        std::string type, aceFlags, rights, object, inherited, trustee, extra;
        for (std::string *field : {&type, &aceFlags, &rights, &object, &inherited, &trustee})
            if (!std::getline(ace, *field, ';')) return std::nullopt;
        if (std::getline(ace, extra) || type != "A" || !masks.count(rights) || !object.empty() ||
            !inherited.empty() || !sids.count(trustee) || aceFlags.size() % 2)
            return std::nullopt;
        seam::AccessRule rule{seam::kAccessAllowed, 0, masks.at(rights), sids.at(trustee)};
        for (std::size_t f = 0; f < aceFlags.size(); f += 2) {
            if (!flags.count(aceFlags.substr(f, 2))) return std::nullopt;
            rule.flags |= flags.at(aceFlags.substr(f, 2));
        }
        security.dacl.push_back(rule);
        at = end + 1;
    }
    return security;
}

TEST(WorkFolderSecurity, AdministratorsOwnProtectedAdministratorsAndSystemOnly) {
    const std::string sddl = InstallersSddl("WorkFolder.nsh", "WORK_FOLDER_SDDL");
    const std::optional<seam::FolderSecurity> security = Decode(sddl);
    ASSERT_TRUE(security) << "not a descriptor of the expected form: " << sddl;
    constexpr std::uint8_t kBelow = seam::kObjectInherit | seam::kContainerInherit;
    seam::FolderSecurity expected{L"S-1-5-32-544", true, true, {}};
    expected.dacl = {{seam::kAccessAllowed, kBelow, seam::kFileAllAccess, L"S-1-5-32-544"},
                     {seam::kAccessAllowed, kBelow, seam::kFileAllAccess, L"S-1-5-18"}};
    EXPECT_EQ(*security, expected);
}

// An installation folder that Setup makes outside Program Files is one that
// PrepareJava.exe /leftover takes for Setup's own after an uninstall.
TEST(WorkFolderSecurity, InstallationFolderHasTheProtectedDescriptor) {
    const std::string sddl = InstallersSddl("SupportFolder.nsh", "INSTALL_FOLDER_SDDL");
    const std::optional<seam::FolderSecurity> security = Decode(sddl);
    ASSERT_TRUE(security) << "not a descriptor of the expected form: " << sddl;
    EXPECT_EQ(*security, ProtectedSecurity());
}

} // namespace
