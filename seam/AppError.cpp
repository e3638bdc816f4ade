#include "seam/AppError.h"

#include <new>

namespace seam {

AppError InvalidArgumentError() {
    return {kErrInvalidArgument, L"Invalid procedure call or argument"};
}

AppError OutOfMemoryError() { return {kErrOutOfMemory, L"Out of memory"}; }

AppError TypeMismatchError() { return {kErrTypeMismatch, L"Type mismatch"}; }

AppError UnsupportedValueTypeError() {
    return {kErrUnsupportedValueType, L"Unsupported value type"};
}

AppError StandardError(const std::exception &raised) {
    if (dynamic_cast<const std::bad_alloc *>(&raised)) return OutOfMemoryError();
    // The standard library describes its errors in plain ASCII.
    const std::string what = raised.what();
    return {kErrStandardLibrary, std::wstring(what.begin(), what.end())};
}

AppError CaughtError() {
    try {
        throw;
    } catch (const AppError &raised) {
        return raised;
    } catch (const std::exception &raised) {
        return StandardError(raised);
    }
}

} // namespace seam
