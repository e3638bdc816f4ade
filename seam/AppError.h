// A numbered error with its description, as the launcher's procedures raise and
// report them.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace seam {

constexpr std::uint32_t kErrInvalidArgument = 5;
constexpr std::uint32_t kErrOutOfMemory = 7;
constexpr std::uint32_t kErrTypeMismatch = 13;
constexpr std::uint32_t kErrUnsupportedValueType = 1001;
// Any other failure of the standard library's strings and containers, such as
// a length beyond what they can hold.
constexpr std::uint32_t kErrStandardLibrary = 51;

struct AppError {
    std::uint32_t number;
    std::wstring description;
};

AppError InvalidArgumentError();
AppError OutOfMemoryError();
AppError TypeMismatchError();
AppError UnsupportedValueTypeError();

// A standard library exception as the launcher reports it: out of memory for a
// failed allocation, otherwise with the exception's own description.
AppError StandardError(const std::exception &raised);

// The exception being handled, inside a catch block, as the launcher reports
// it: an AppError as it was raised, a standard exception as StandardError
// makes it. Rethrows anything else.
AppError CaughtError();

} // namespace seam
