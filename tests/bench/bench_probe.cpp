// Helper for tools/benchmark.py, run under Wine next to the measured program.
//   bench_probe.exe wait CAPTION TIMEOUT_MS
//       Prints "ready", then polls every millisecond for a visible top-level
//       window with that caption; prints "visible_us=" and the Unix time in
//       microseconds when it sees it, then ends the window's process.
//       Exit 0 when seen, 2 when not seen in time.
//   bench_probe.exe kill IMAGE.exe
//       Ends every process of that image name; prints "killed=" and the count.
//   bench_probe.exe clock
//       Prints "now_us=" and the Unix time in microseconds.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>

namespace {

// The host's realtime clock, which the benchmark reads on the Linux side too,
// so the two ends of a start can be taken on either side of Wine.
long long UnixMicroseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    constexpr unsigned long long kUnixEpochTicks = 116444736000000000ULL;
    return static_cast<long long>((ticks.QuadPart - kUnixEpochTicks) / 10);
}

bool EndProcess(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    const bool ended =
        TerminateProcess(process, 0) && WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

int WaitVisible(const wchar_t *caption, DWORD timeoutMs) {
    std::printf("ready\n");
    std::fflush(stdout);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // A few server requests per look, once a millisecond: the probe's own
        // load on the server and the CPUs stays small. A hidden window of the
        // same caption (a leftover, or one not shown yet) does not hide a visible one.
        HWND window = nullptr;
        do
            window = FindWindowExW(nullptr, window, nullptr, caption);
        while (window && !IsWindowVisible(window));
        if (window) {
            const long long seen = UnixMicroseconds();
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            std::printf("visible_us=%lld\n", seen);
            std::printf("ended=%d\n", EndProcess(pid) ? 1 : 0);
            std::fflush(stdout);
            return 0;
        }
        if (GetTickCount64() >= deadline) break;
        Sleep(1);
    }
    std::printf("visible_us=none\n");
    return 2;
}

int KillImage(const wchar_t *image) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    int killed = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, image) == 0 && EndProcess(entry.th32ProcessID)) ++killed;
    }
    CloseHandle(snapshot);
    std::printf("killed=%d\n", killed);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: bench_probe.exe wait CAPTION TIMEOUT_MS | kill IMAGE.exe | "
                         "clock\n");
    return 1;
}

} // namespace

int wmain(int argc, wchar_t **argv) {
    if (argc == 4 && std::wcscmp(argv[1], L"wait") == 0)
        return WaitVisible(argv[2], static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)));
    if (argc == 3 && std::wcscmp(argv[1], L"kill") == 0) return KillImage(argv[2]);
    if (argc == 2 && std::wcscmp(argv[1], L"clock") == 0) {
        std::printf("now_us=%lld\n", UnixMicroseconds());
        return 0;
    }
    return Usage();
}
