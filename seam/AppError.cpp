#include "seam/AppError.h"

namespace seam {

AppError InvalidArgumentError() {
    return {kErrInvalidArgument, L"Invalid procedure call or argument"};
}

AppError OutOfMemoryError() { return {kErrOutOfMemory, L"Out of memory"}; }

AppError TypeMismatchError() { return {kErrTypeMismatch, L"Type mismatch"}; }

AppError UnsupportedValueTypeError() {
    return {kErrUnsupportedValueType, L"Unsupported value type"};
}

} // namespace seam
