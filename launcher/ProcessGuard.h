// Closes a process handle, when there is one, on every path out of a scope.
#pragma once

#include "seam/Platform.h"

class ProcessGuard {
public:
    ProcessGuard(seam::Platform &os, seam::ProcHandle handle) : os_(os), handle_(handle) {}
    ~ProcessGuard() {
        if (handle_ != 0) os_.CloseHandle(handle_);
    }
    ProcessGuard(const ProcessGuard &) = delete;
    ProcessGuard &operator=(const ProcessGuard &) = delete;

private:
    seam::Platform &os_;
    seam::ProcHandle handle_;
};
