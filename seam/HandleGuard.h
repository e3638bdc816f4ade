// Closes a registry key, process, lock or file handle that the seam handed out, on
// every path out of the scope that opened it.
#pragma once

#include "seam/Platform.h"

namespace seam {

template <typename Handle, auto CloseCall> class HandleGuard {
public:
    // A handle of 0 is none and is not closed.
    HandleGuard(Platform &os, Handle handle) : os_(os), handle_(handle) {}
    ~HandleGuard() { Close(); }
    HandleGuard(const HandleGuard &) = delete;
    HandleGuard &operator=(const HandleGuard &) = delete;

    Handle get() const { return handle_; }
    // Closes the handle before the scope ends.
    void Close() { Reset(0); }
    // Closes the handle it holds and takes `handle` in its place.
    void Reset(Handle handle) {
        if (handle_ != 0) (os_.*CloseCall)(handle_);
        handle_ = handle;
    }

private:
    Platform &os_;
    Handle handle_;
};

using RegKeyGuard = HandleGuard<RegKey, &Platform::RegCloseKey>;
using ProcessGuard = HandleGuard<ProcHandle, &Platform::CloseHandle>;
using LockGuard = HandleGuard<LockHandle, &Platform::CloseHandle>;
using FileGuard = HandleGuard<FileHandle, &Platform::CloseHandle>;

} // namespace seam
