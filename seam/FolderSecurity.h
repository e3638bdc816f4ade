// A folder's owner and DACL as plain data: what the elevated helper gives a
// folder in the call that creates it, and what it reads back to tell a folder
// it made from one that someone else made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace seam {

constexpr std::uint8_t kAccessAllowed = 0;           // ACCESS_ALLOWED_ACE_TYPE
constexpr std::uint8_t kObjectInherit = 0x1;         // OBJECT_INHERIT_ACE
constexpr std::uint8_t kContainerInherit = 0x2;      // CONTAINER_INHERIT_ACE
constexpr std::uint8_t kInheritedAce = 0x10;         // INHERITED_ACE
constexpr std::uint32_t kFileAllAccess = 0x1F01FF;   // FILE_ALL_ACCESS
constexpr std::uint32_t kFileReadExecute = 0x1200A9; // FILE_GENERIC_READ | FILE_GENERIC_EXECUTE

// One ACE, its trustee as a string SID ("S-1-5-32-544").
struct AccessRule {
    std::uint8_t type = kAccessAllowed;
    std::uint8_t flags = 0;
    std::uint32_t mask = 0;
    std::wstring sid;
};

inline bool operator==(const AccessRule &a, const AccessRule &b) {
    return a.type == b.type && a.flags == b.flags && a.mask == b.mask && a.sid == b.sid;
}

struct FolderSecurity {
    std::wstring owner;       // a string SID
    bool isProtected = false; // SE_DACL_PROTECTED: nothing inherited from above
    bool hasDacl = false;     // false: a NULL DACL, which lets everyone in
    std::vector<AccessRule> dacl;
};

inline bool operator==(const FolderSecurity &a, const FolderSecurity &b) {
    return a.owner == b.owner && a.isProtected == b.isProtected && a.hasDacl == b.hasDacl &&
           a.dacl == b.dacl;
}

// What stands at a path, read through a handle that opened it itself, not what
// a link there points at.
struct PathState {
    bool folder = false;
    bool reparsePoint = false;
    bool securityRead = false; // false: its owner or DACL could not be read
    FolderSecurity security;
};

} // namespace seam
