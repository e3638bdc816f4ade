#include "javaruntime/MRegistry.h"

#include "seam/AppError.h"
#include "seam/HandleGuard.h"

#include <algorithm>
#include <cstring>

namespace MRegistry {
namespace {

constexpr std::uint32_t kNameBufferSize = 260;

long OpenForReading(seam::Platform &os, seam::RegKey root, const std::wstring &keyPath,
                    std::uint32_t view, seam::RegKey *key) {
    return os.RegOpenKeyExA(root, os.ToAnsi(keyPath), 0, seam::kKeyRead | view, key);
}

// The first `length` bytes as text; a negative length is the string primitives'
// invalid-argument error.
std::wstring LeadingText(seam::Platform &os, const std::vector<std::uint8_t> &buffer,
                         std::int64_t length) {
    if (length < 0) throw seam::InvalidArgumentError();
    return os.FromAnsi(std::string(buffer.begin(), buffer.begin() + length));
}

// A text value ends at its first NUL within its `bytes`, or takes them all when
// it was stored without a terminator. Padding NULs kept inside the text would
// cut every path built from it short at the system's calls. A value of no
// bytes at all has no terminator to drop: the invalid-argument error.
std::wstring TextValue(seam::Platform &os, const std::vector<std::uint8_t> &buffer,
                       std::int64_t bytes) {
    if (bytes == 0) throw seam::InvalidArgumentError();
    const auto end = buffer.begin() + bytes;
    return os.FromAnsi(std::string(buffer.begin(), std::find(buffer.begin(), end, 0)));
}

} // namespace

bool RegKeyExists(seam::Platform &os, seam::RegKey root, const std::wstring &keyPath,
                  std::uint32_t view) {
    seam::RegKey key = 0;
    if (OpenForReading(os, root, keyPath, view, &key) != seam::kErrorSuccess) return false;
    const seam::RegKeyGuard guard(os, key);
    return true;
}

std::vector<std::wstring> RegEnumSubKeys(seam::Platform &os, seam::RegKey root,
                                         const std::wstring &keyPath, std::uint32_t view) {
    std::vector<std::wstring> names;
    seam::RegKey key = root;
    std::optional<seam::RegKeyGuard> guard; // the root itself is never closed
    // The empty path, listing the root itself, is part of the operation's
    // contract; only the tests and the fuzzer use it.
    if (!keyPath.empty()) {
        if (OpenForReading(os, root, keyPath, view, &key) != seam::kErrorSuccess) return names;
        guard.emplace(os, key);
    }
    for (std::uint32_t index = 0;; ++index) {
        std::string buffer(kNameBufferSize, ' ');
        if (os.RegEnumKeyA(key, index, buffer.data(), kNameBufferSize) != seam::kErrorSuccess)
            break;
        // A name without a terminator fills the whole buffer; take it all.
        buffer.resize(std::min<std::size_t>(buffer.find('\0'), buffer.size()));
        names.push_back(os.FromAnsi(buffer));
    }
    return names;
}

RegValue RegQueryValue(seam::Platform &os, seam::RegKey root, const std::wstring &keyPath,
                       const std::wstring &valueName, const std::optional<RegValue> &defaultValue,
                       std::uint32_t view) {
    seam::RegKey key = 0;
    if (OpenForReading(os, root, keyPath, view, &key) != seam::kErrorSuccess)
        return defaultValue.value_or(RegValue{});
    const seam::RegKeyGuard guard(os, key);

    const std::string name = os.ToAnsi(valueName);
    std::uint32_t type = 0;
    std::uint32_t size = kFirstBufferSize;
    std::vector<std::uint8_t> buffer(kFirstBufferSize, 0);
    if (os.RegQueryValueExA(key, name, &type, buffer.data(), &size) == seam::kErrorMoreData) {
        buffer.assign(size, 0);
        // A value that changed or vanished since the first query leaves the new
        // buffer unfilled (one that grew answers "more data" again): it counts as
        // unreadable, like a missing value, rather than as a text of NULs.
        if (os.RegQueryValueExA(key, name, &type, buffer.data(), &size) != seam::kErrorSuccess)
            throw seam::UnsupportedValueTypeError();
    }
    return ConvertRegValue(os, type, buffer, size);
}

RegValue ConvertRegValue(seam::Platform &os, std::uint32_t type,
                         const std::vector<std::uint8_t> &buffer, std::uint32_t size) {
    // Never take more bytes than the buffer holds, whatever size was reported.
    const std::int64_t bytes =
        std::min<std::int64_t>(size, static_cast<std::int64_t>(buffer.size()));
    switch (type) {
    case kRegSz:
    case kRegExpandSz:
        return TextValue(os, buffer, bytes);
    case kRegMultiSz:
        return LeadingText(os, buffer, bytes - 2);
    case kRegBinary:
        return std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + bytes);
    case kRegDword: {
        std::uint8_t raw[4] = {0, 0, 0, 0};
        if (!buffer.empty())
            std::memcpy(raw, buffer.data(), std::min<std::size_t>(4, buffer.size()));
        const std::uint32_t value =
            raw[0] | (raw[1] << 8) | (raw[2] << 16) | (static_cast<std::uint32_t>(raw[3]) << 24);
        return static_cast<std::int32_t>(value);
    }
    default:
        throw seam::UnsupportedValueTypeError();
    }
}

} // namespace MRegistry
