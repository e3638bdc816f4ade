// Typed registry reads against a registry that answers anything: any type, any
// reported size, any return code, and values that change between the two
// queries. The read must stay inside its buffer, query at most twice, close the
// key it opened exactly once, and give a result that follows from the answers.
#include "javaruntime/MRegistry.h"
#include "seam/AppError.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

using namespace MRegistry;
constexpr std::uint32_t kLargestValue = 1u << 20;
constexpr seam::RegKey kOpenedKey = 0x5a5a;
constexpr seam::RegKey kNeverOpened = 0xdead;

void Check(bool condition) {
    if (!condition) std::abort();
}

// What the registry answers to one RegQueryValueExA.
struct Answer {
    long rc = 0;
    std::optional<std::uint32_t> type; // nothing: the type is left as it was
    std::uint32_t reportedSize = 0;
    std::vector<std::uint8_t> bytes; // written up to the caller's capacity
};

std::uint32_t AnyType(FuzzedDataProvider &input) {
    static const std::uint32_t kTypes[] = {0, kRegSz, kRegExpandSz, kRegBinary, kRegDword,
                                           5, 6,      kRegMultiSz,  11,         0xffffffffu};
    return input.ConsumeBool() ? input.PickValueInArray(kTypes)
                               : input.ConsumeIntegral<std::uint32_t>();
}

// Sizes around the data and the first buffer, small ones and any at all.
std::uint32_t AnySize(FuzzedDataProvider &input, std::size_t dataSize) {
    const auto near = [&](std::int64_t base) {
        return static_cast<std::uint32_t>(
            std::max<std::int64_t>(0, base + input.ConsumeIntegralInRange(-8, 8)));
    };
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return near(static_cast<std::int64_t>(dataSize));
    case 1:
        return near(kFirstBufferSize);
    case 2:
        return input.ConsumeIntegralInRange<std::uint32_t>(0, 4096);
    default:
        return input.ConsumeIntegral<std::uint32_t>();
    }
}

Answer AnyAnswer(FuzzedDataProvider &input) {
    Answer answer;
    static const long kCodes[] = {seam::kErrorSuccess, seam::kErrorMoreData, 2, 5, 6};
    answer.rc = input.ConsumeBool() ? input.PickValueInArray(kCodes)
                                    : input.ConsumeIntegral<std::int32_t>();
    if (input.ConsumeBool()) answer.type = AnyType(input);
    const std::size_t length = input.ConsumeBool() ? input.ConsumeIntegralInRange(0, 64)
                                                   : input.ConsumeIntegralInRange(0, 3000);
    answer.bytes = input.ConsumeBytes<std::uint8_t>(length);
    answer.reportedSize = AnySize(input, answer.bytes.size());
    return answer;
}

// A seam double whose registry replays scripted answers and whose other parts
// must never be reached.
class ScriptedRegistry final : public seam::Platform {
public:
    long openRc = 0;
    Answer answers[2];

    int opens = 0;
    int queries = 0;
    int closesOfOpenedKey = 0;
    std::uint32_t lastCapacity = 0; // the buffer size the last query was given

    long RegOpenKeyExA(seam::RegKey root, const std::string &, std::uint32_t options,
                       std::uint32_t samDesired, seam::RegKey *result) override {
        Check(root == seam::kHKeyLocalMachine && options == 0 && samDesired == seam::kKeyRead);
        ++opens;
        *result = openRc == seam::kErrorSuccess ? kOpenedKey : kNeverOpened;
        return openRc;
    }
    long RegEnumKeyA(seam::RegKey, std::uint32_t, char *, std::uint32_t) override { Never(); }
    long RegQueryValueExA(seam::RegKey key, const std::string &, std::uint32_t *type,
                          std::uint8_t *data, std::uint32_t *dataSize) override {
        Check(key == kOpenedKey && opens == 1 && closesOfOpenedKey == 0);
        Check(queries < 2);
        const Answer &answer = answers[queries++];
        const std::uint32_t capacity = *dataSize;
        // The whole stated capacity must be ours to write: touch both ends.
        if (capacity > 0) {
            Check(data != nullptr);
            volatile std::uint8_t *edge = data;
            edge[0] = edge[0];
            edge[capacity - 1] = edge[capacity - 1];
        }
        const std::size_t written = std::min<std::size_t>(answer.bytes.size(), capacity);
        if (written > 0) std::memcpy(data, answer.bytes.data(), written);
        lastCapacity = capacity;
        if (answer.type) *type = *answer.type;
        *dataSize = answer.reportedSize;
        return answer.rc;
    }
    long RegCloseKey(seam::RegKey key) override {
        Check(key == kOpenedKey);
        ++closesOfOpenedKey;
        return seam::kErrorSuccess;
    }
    std::string ToAnsi(const std::wstring &text) override {
        return std::string(text.begin(), text.end());
    }
    std::wstring FromAnsi(const std::string &text) override {
        std::wstring wide;
        for (char c : text)
            wide += static_cast<wchar_t>(static_cast<unsigned char>(c));
        return wide;
    }
    bool SurvivesAnsi(const std::wstring &) override { Never(); }
    std::uint32_t FileExists(const std::wstring &, bool *) override { Never(); }
    std::uint32_t FolderExists(const std::wstring &, bool *) override { Never(); }
    std::uint32_t CommitFile(seam::FileHandle, const std::wstring &, bool) override { Never(); }
    std::uint32_t DeleteFile(const std::wstring &) override { Never(); }
    std::uint32_t ShortPathName(const std::wstring &, std::wstring *) override { Never(); }
    std::uint32_t FolderIdentity(const std::wstring &, seam::FileIdentity *) override { Never(); }
    std::wstring FoldedPath(const std::wstring &) override { Never(); }
    std::uint32_t TurnOffFileVirtualization() override { Never(); }
    std::wstring ErrorDescription(std::uint32_t) override { Never(); }
    std::uint32_t FullPathName(const std::wstring &, std::wstring *) override { Never(); }
    std::uint32_t CreateFolder(const std::wstring &, const seam::FolderSecurity *) override {
        Never();
    }
    std::uint32_t ReadPathState(const std::wstring &, seam::PathState *) override { Never(); }
    std::uint32_t RenameAside(const std::wstring &, const std::wstring &) override { Never(); }
    std::uint32_t OpenFileToRemove(const std::wstring &, seam::FileHandle *) override { Never(); }
    std::uint32_t ReadOpenedFile(seam::FileHandle, std::uint8_t *, std::uint32_t,
                                 std::uint32_t *) override {
        Never();
    }
    std::uint32_t RemoveOpenedFile(seam::FileHandle) override { Never(); }
    std::uint32_t ReadWholeFile(const std::wstring &, std::string *) override { Never(); }
    std::uint32_t ReadRestartOperations(std::vector<std::wstring> *) override { Never(); }
    std::uint32_t WriteRestartOperations(const std::vector<std::wstring> &) override { Never(); }
    std::uint32_t CreateNewFile(const std::wstring &, seam::FileHandle *) override { Never(); }
    std::uint32_t CopyIntoFile(const std::wstring &, seam::FileHandle) override { Never(); }
    std::uint32_t DiscardFile(seam::FileHandle) override { Never(); }
    std::uint32_t ListFiles(const std::wstring &, const std::wstring &,
                            std::vector<std::wstring> *) override {
        Never();
    }
    std::uint32_t StartProcess(const std::wstring &, int, std::uint32_t, seam::ProcHandle *,
                               std::uint32_t *) override {
        Never();
    }
    std::uint32_t GiveLock(seam::ProcHandle, seam::LockHandle) override { Never(); }
    std::uint32_t CreateNamedLock(const std::wstring &, seam::LockHandle *) override { Never(); }
    std::uint32_t OpenNamedLock(const std::wstring &, seam::LockHandle *) override { Never(); }
    std::uint32_t WaitForLock(seam::LockHandle, std::uint32_t) override { Never(); }
    void ReleaseLock(seam::LockHandle) override { Never(); }
    seam::ProcHandle OpenProcess(std::uint32_t, bool, std::uint32_t) override { Never(); }
    bool GetExitCodeProcess(seam::ProcHandle, std::uint32_t *) override { Never(); }
    bool CloseHandle(seam::ProcHandle) override { Never(); }
    std::uint32_t CreateSharedLock(const std::wstring &, const std::wstring &,
                                   seam::LockHandle *) override {
        Never();
    }
    std::uint32_t OpenSharedLock(const std::wstring &, seam::LockHandle *) override { Never(); }
    std::uint32_t CurrentProcessId() override { Never(); }
    bool ProcessEnded(std::uint32_t) override { Never(); }
    std::wstring AppDirectory() override { Never(); }
    std::uint32_t CurrentDirectory(std::wstring *) override { Never(); }
    std::uint32_t SetCurrentDirectory(const std::wstring &) override { Never(); }
    void MessageBox(const std::wstring &, const std::wstring &) override { Never(); }
    void HideSplash() override { Never(); }
    void SetTimerEnabled(seam::Timer, bool) override { Never(); }
    [[noreturn]] void EndProgram(int) override { Never(); }

private:
    [[noreturn]] static void Never() { std::abort(); }
};

// What converting `size` reported bytes of `buffer` as `type` must give: the
// value, or the number of the error it must raise.
std::variant<RegValue, std::uint32_t>
Expected(std::uint32_t type, const std::vector<std::uint8_t> &buffer, std::uint32_t size) {
    const std::size_t usable = std::min<std::size_t>(size, buffer.size());
    switch (type) {
    case kRegSz:
    case kRegExpandSz: {
        if (usable == 0) return seam::kErrInvalidArgument;
        std::wstring result;
        for (std::size_t i = 0; i < usable && buffer[i] != 0; ++i)
            result += static_cast<wchar_t>(buffer[i]);
        return RegValue(result);
    }
    case kRegMultiSz: {
        if (usable < 2) return seam::kErrInvalidArgument;
        std::wstring result;
        for (std::size_t i = 0; i + 2 < usable; ++i)
            result += static_cast<wchar_t>(buffer[i]);
        return RegValue(result);
    }
    case kRegBinary:
        return RegValue(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + usable));
    case kRegDword: {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4 && i < buffer.size(); ++i)
            value |= static_cast<std::uint32_t>(buffer[i]) << (8 * i);
        return RegValue(static_cast<std::int32_t>(value));
    }
    default:
        return seam::kErrUnsupportedValueType;
    }
}

// Runs `read` and compares its outcome with `expected`; only the launcher's own
// errors 1001 and 5 may ever come out.
template <typename Read>
void CheckOutcome(Read read, const std::variant<RegValue, std::uint32_t> &expected) {
    try {
        const RegValue value = read();
        Check(std::holds_alternative<RegValue>(expected) && value == std::get<RegValue>(expected));
    } catch (const seam::AppError &error) {
        Check(error.number == seam::kErrUnsupportedValueType ||
              error.number == seam::kErrInvalidArgument);
        Check(std::holds_alternative<std::uint32_t>(expected) &&
              error.number == std::get<std::uint32_t>(expected));
    }
}

void FuzzConvert(FuzzedDataProvider &input) {
    ScriptedRegistry os;
    const std::uint32_t type = AnyType(input);
    const std::uint32_t size = input.ConsumeIntegral<std::uint32_t>();
    const std::vector<std::uint8_t> buffer = input.ConsumeRemainingBytes<std::uint8_t>();
    CheckOutcome([&] { return MRegistry::ConvertRegValue(os, type, buffer, size); },
                 Expected(type, buffer, size));
}

void FuzzQuery(FuzzedDataProvider &input) {
    ScriptedRegistry os;
    os.openRc = input.ConsumeBool() ? seam::kErrorSuccess : input.ConsumeIntegral<std::int32_t>();
    std::optional<RegValue> defaultValue;
    if (input.ConsumeBool()) defaultValue = RegValue(static_cast<std::int32_t>(0x600d));
    os.answers[0] = AnyAnswer(input);
    os.answers[1] = AnyAnswer(input);
    // The size a first query asks for becomes the second buffer. The registry
    // reports a value's real size, and the standard registry format holds values of
    // at most 1 MB, so larger requests are folded into that range.
    if (os.answers[0].rc == seam::kErrorMoreData) os.answers[0].reportedSize %= kLargestValue + 1;

    std::optional<RegValue> result;
    std::optional<std::uint32_t> error;
    try {
        result = MRegistry::RegQueryValue(os, seam::kHKeyLocalMachine, L"SOFTWARE\\Fuzz", L"Value",
                                          defaultValue);
    } catch (const seam::AppError &e) {
        error = e.number;
    }

    Check(os.opens == 1);
    if (os.openRc != seam::kErrorSuccess) {
        Check(os.queries == 0 && os.closesOfOpenedKey == 0 && !error);
        Check(*result == defaultValue.value_or(RegValue{}));
        return;
    }
    Check(os.closesOfOpenedKey == 1);
    Check(os.queries == (os.answers[0].rc == seam::kErrorMoreData ? 2 : 1));

    // The first buffer has the fixed first size, a second one the size the first
    // query reported; both start zeroed and hold what the last query wrote. A second
    // query that fails, a value that outgrew its buffer included, makes it unreadable.
    const std::uint32_t capacity = os.queries == 1 ? kFirstBufferSize : os.answers[0].reportedSize;
    Check(os.lastCapacity == capacity);
    const Answer &last = os.answers[os.queries - 1];
    std::vector<std::uint8_t> buffer(capacity, 0);
    std::copy_n(last.bytes.begin(), std::min<std::size_t>(last.bytes.size(), capacity),
                buffer.begin());
    std::uint32_t type = 0;
    for (int i = 0; i < os.queries; ++i)
        if (os.answers[i].type) type = *os.answers[i].type;
    const std::variant<RegValue, std::uint32_t> expected =
        os.queries == 2 && last.rc != seam::kErrorSuccess
            ? std::variant<RegValue, std::uint32_t>(seam::kErrUnsupportedValueType)
            : Expected(type, buffer, last.reportedSize);
    CheckOutcome(
        [&] {
            if (error) throw seam::AppError{*error, L""};
            return *result;
        },
        expected);

    // Whatever came back stays within the buffer it was read from.
    if (result && std::holds_alternative<std::wstring>(*result))
        Check(std::get<std::wstring>(*result).size() <= capacity);
    if (result && std::holds_alternative<std::vector<std::uint8_t>>(*result))
        Check(std::get<std::vector<std::uint8_t>>(*result).size() ==
              std::min(last.reportedSize, capacity));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        FuzzConvert(input);
    else
        FuzzQuery(input);
    return 0;
}
