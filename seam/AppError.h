// A numbered error with its description, as the launcher's procedures raise and
// report them.
#pragma once

#include <cstdint>
#include <string>

namespace seam {

constexpr std::uint32_t kErrInvalidArgument = 5;
constexpr std::uint32_t kErrOutOfMemory = 7;
constexpr std::uint32_t kErrTypeMismatch = 13;
constexpr std::uint32_t kErrUnsupportedValueType = 1001;

struct AppError {
    std::uint32_t number;
    std::wstring description;
};

AppError InvalidArgumentError();
AppError OutOfMemoryError();
AppError TypeMismatchError();
AppError UnsupportedValueTypeError();

} // namespace seam
