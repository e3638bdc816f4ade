// The system's description of an error, made readable for a message box.
#pragma once

#include "seam/Platform.h"

#include <cstdint>
#include <string>

namespace seam {

// Fills the insert "%1" of a system message with `subject`, the file or program
// that the failing call was given. Inserts with no subject to fill them are
// dropped with one blank beside them, so no "%1" reaches the user; "%%", "%n"
// and the other escapes read as the system would print them.
std::wstring FillInserts(const std::wstring &text, const std::wstring &subject);

// ErrorDescription of `error` with its inserts filled from `subject`.
std::wstring DescribeError(Platform &os, std::uint32_t error, const std::wstring &subject);

} // namespace seam
