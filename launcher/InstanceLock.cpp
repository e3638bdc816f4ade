#include "launcher/InstanceLock.h"

#include "common/ProductTexts.h"

#include <cstdint>

std::wstring InstanceLockName(const std::wstring &foldedDirectory) {
    // A path may be longer than a kernel object's name and holds backslashes,
    // which the object namespace reserves: the name carries its FNV-1a hash.
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : foldedDirectory) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 1099511628211ull;
    }
    std::wstring name = L"Global\\DovernProfessionalSMSServer-";
    for (int shift = 60; shift >= 0; shift -= 4)
        name += L"0123456789abcdef"[(hash >> shift) & 0xF];
    return name;
}

seam::LockHandle TakeInstanceLock(seam::Platform &os, const std::wstring &appDirectory) {
    seam::LockHandle lock = 0;
    const std::uint32_t error =
        os.CreateNamedLock(InstanceLockName(os.FoldedPath(appDirectory)), &lock);
    if (error == seam::kErrorAlreadyExists || error == seam::kErrorAccessDenied) {
        // Not kept open under the box: the lock goes as soon as its server ends.
        if (lock != 0) os.CloseHandle(lock);
        os.MessageBox(AlreadyRunningText(appDirectory), kAppTitle);
        os.EndProgram(1);
    }
    return error == 0 ? lock : 0;
}
