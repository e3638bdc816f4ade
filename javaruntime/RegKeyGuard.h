// Closes an opened registry key on every path out of the scope that opened it.
#pragma once

#include "seam/Platform.h"

class RegKeyGuard {
public:
    RegKeyGuard(seam::Platform &os, seam::RegKey key) : os_(os), key_(key) {}
    ~RegKeyGuard() { os_.RegCloseKey(key_); }
    RegKeyGuard(const RegKeyGuard &) = delete;
    RegKeyGuard &operator=(const RegKeyGuard &) = delete;

private:
    seam::Platform &os_;
    seam::RegKey key_;
};
