// Read-only registry access: key test, sub-key list and typed value read.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace MRegistry {

// Registry value types that the value read converts.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
// A value up to this size is read with a single query.
inline constexpr std::uint32_t kFirstBufferSize = 1024;
// The registry's 64-bit view (KEY_WOW64_64KEY) for a 32-bit program on 64-bit
// Windows; 32-bit Windows has one view and ignores it. 0: the program's own view.
inline constexpr std::uint32_t kView64 = 0x0100;

// The tagged value: empty, text, 32-bit signed integer or byte array.
using RegValue =
    std::variant<std::monostate, std::wstring, std::int32_t, std::vector<std::uint8_t>>;

// `view`, here and below: kView64 or 0.
bool RegKeyExists(seam::Platform &os, seam::RegKey root, const std::wstring &keyPath,
                  std::uint32_t view = 0);

// Direct sub-key names in the registry's enumeration order; an empty path lists
// the root itself.
std::vector<std::wstring> RegEnumSubKeys(seam::Platform &os, seam::RegKey root,
                                         const std::wstring &keyPath, std::uint32_t view = 0);

// Throws seam::AppError 1001 for a missing value or a type it does not convert,
// and 5 where a text's length would be negative. The default answers only for a
// key that cannot be opened; it is part of the operation's contract, though the
// launcher itself never passes one (the tests and the fuzzer do).
RegValue RegQueryValue(seam::Platform &os, seam::RegKey root, const std::wstring &keyPath,
                       const std::wstring &valueName,
                       const std::optional<RegValue> &defaultValue = std::nullopt,
                       std::uint32_t view = 0);

// Turns the raw result of the last query into the tagged value.
RegValue ConvertRegValue(seam::Platform &os, std::uint32_t type,
                         const std::vector<std::uint8_t> &buffer, std::uint32_t size);

} // namespace MRegistry
