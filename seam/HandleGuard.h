// Closes a registry key or process handle that the seam handed out, on every
// path out of the scope that opened it.
#pragma once

#include "seam/Platform.h"

namespace seam {

template <typename Handle, auto Close> class HandleGuard {
public:
    // A handle of 0 is none and is not closed.
    HandleGuard(Platform &os, Handle handle) : os_(os), handle_(handle) {}
    ~HandleGuard() {
        if (handle_ != 0) (os_.*Close)(handle_);
    }
    HandleGuard(const HandleGuard &) = delete;
    HandleGuard &operator=(const HandleGuard &) = delete;

private:
    Platform &os_;
    Handle handle_;
};

using RegKeyGuard = HandleGuard<RegKey, &Platform::RegCloseKey>;
using ProcessGuard = HandleGuard<ProcHandle, &Platform::CloseHandle>;

} // namespace seam
