#include "platform/CrashHandler.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace Quill::Platform {

namespace {

// The fatal signals caught, with their names for the report.
struct CaughtSignal {
    int number;
    const char* name;
};
constexpr CaughtSignal kSignals[] = {
    {SIGSEGV, "SIGSEGV"}, {SIGBUS, "SIGBUS"}, {SIGFPE, "SIGFPE"}, {SIGILL, "SIGILL"}, {SIGABRT, "SIGABRT"},
};
constexpr std::size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];
// Frames of the stack trace written.
constexpr int kMaxFrames = 64;
// Own stack for the handler, so a stack overflow can still be reported.
constexpr std::size_t kAltStackBytes = 64 * 1024;

// What the handler had before ours, to pass the signal on to.
struct sigaction gPrevious[kSignalCount];
std::atomic<bool> gInstalled{false};
// Set by the first crash; a second fault (another thread, or inside the handler) only passes on.
std::atomic<bool> gHandling{false};
char gCrashPath[PATH_MAX] = {};
// Two copies of the crash text: Refresh fills the one not in use and then switches, so the
// handler always reads a whole text.
char gInfo[2][CrashHandler::kMaxInfoBytes] = {};
std::size_t gInfoLength[2] = {};
std::atomic<int> gCurrentInfo{0};
alignas(16) unsigned char gAltStack[kAltStackBytes];

// Guards the source and the refresh (never touched by the handler).
std::mutex& SourceMutex()
{
    static std::mutex mutex;
    return mutex;
}
CrashHandler::InfoSource& Source()
{
    static CrashHandler::InfoSource source;
    return source;
}

// Async-signal-safe text building into a fixed buffer.
class ReportLine {
public:
    void Text(const char* text)
    {
        while (*text != '\0' && mLength < sizeof mBuffer)
            mBuffer[mLength++] = *text++;
    }
    void Decimal(long value)
    {
        char digits[24];
        int count = 0;
        unsigned long magnitude =
            value < 0 ? 0ul - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            digits[count++] = '-';
        while (count > 0 && mLength < sizeof mBuffer)
            mBuffer[mLength++] = digits[--count];
    }
    void Hex(std::uintptr_t value)
    {
        static constexpr char kDigits[] = "0123456789abcdef";
        Text("0x");
        bool started = false;
        for (int shift = static_cast<int>(sizeof value * 8) - 4; shift >= 0; shift -= 4) {
            const auto digit = static_cast<unsigned>((value >> shift) & 0xF);
            if (digit != 0 || started || shift == 0) {
                started = true;
                if (mLength < sizeof mBuffer)
                    mBuffer[mLength++] = kDigits[digit];
            }
        }
    }
    [[nodiscard]] const char* Data() const { return mBuffer; }
    [[nodiscard]] std::size_t Length() const { return mLength; }

private:
    char mBuffer[256] = {};
    std::size_t mLength = 0;
};

void WriteAll(int fd, const char* data, std::size_t length)
{
    if (fd < 0)
        return;
    while (length > 0) {
        const ssize_t n = ::write(fd, data, length);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        data += n;
        length -= static_cast<std::size_t>(n);
    }
}

void WriteBoth(int fileFd, const char* data, std::size_t length)
{
    WriteAll(STDERR_FILENO, data, length);
    WriteAll(fileFd, data, length);
}

void WriteBoth(int fileFd, const char* text)
{
    WriteBoth(fileFd, text, std::strlen(text));
}

void WriteReport(int number, const siginfo_t* info)
{
    const int savedErrno = errno;
    const char* name = "signal";
    for (const CaughtSignal& s : kSignals)
        if (s.number == number)
            name = s.name;

    int fileFd = -1;
    if (gCrashPath[0] != '\0')
        fileFd = ::open(gCrashPath, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);

    ReportLine head;
    head.Text("\nFatal error: signal ");
    head.Decimal(number);
    head.Text(" (");
    head.Text(name);
    head.Text(")");
    if (info != nullptr && number != SIGABRT) {
        head.Text(" at address ");
        head.Hex(reinterpret_cast<std::uintptr_t>(info->si_addr));
    }
    head.Text("\n");
    WriteBoth(fileFd, head.Data(), head.Length());

    const int current = gCurrentInfo.load(std::memory_order_acquire);
    WriteBoth(fileFd, gInfo[current], gInfoLength[current]);

    WriteBoth(fileFd, "Stack trace:\n");
    void* frames[kMaxFrames];
    const int count = ::backtrace(frames, kMaxFrames);
    ::backtrace_symbols_fd(frames, count, STDERR_FILENO);
    if (fileFd >= 0) {
        ::backtrace_symbols_fd(frames, count, fileFd);
        ::fsync(fileFd);
        ::close(fileFd);
        WriteAll(STDERR_FILENO, "Crash report written to ", 24);
        WriteAll(STDERR_FILENO, gCrashPath, std::strlen(gCrashPath));
        WriteAll(STDERR_FILENO, "\n", 1);
    }
    errno = savedErrno;
}

// Puts back what handled the signal before us.
void RestorePrevious(int number)
{
    for (std::size_t i = 0; i < kSignalCount; ++i)
        if (kSignals[i].number == number)
            ::sigaction(number, &gPrevious[i], nullptr);
}

void HandleFatalSignal(int number, siginfo_t* info, void*)
{
    if (!gHandling.exchange(true))
        WriteReport(number, info);
    RestorePrevious(number);
    // A fault raised by the hardware happens again when the handler returns, now reaching the
    // previous handler with its real details. A signal that was sent (raise, abort, kill) is sent
    // again; it stays blocked until this handler returns.
    if (info == nullptr || info->si_code <= 0)
        ::raise(number);
}

} // namespace

bool CrashHandler::Install(const std::filesystem::path& crashFile, InfoSource info)
{
    if (gInstalled.exchange(true))
        return false;
    const std::string& path = crashFile.native();
    if (path.size() < sizeof gCrashPath)
        std::memcpy(gCrashPath, path.c_str(), path.size() + 1);
    {
        const std::lock_guard lock(SourceMutex());
        Source() = std::move(info);
    }
    Refresh();

    // backtrace loads its unwinder on first use, which allocates: do it now, not in the handler.
    void* warmUp[2];
    ::backtrace(warmUp, 2);

    stack_t stack{};
    stack.ss_sp = gAltStack;
    stack.ss_size = sizeof gAltStack;
    ::sigaltstack(&stack, nullptr);

    for (std::size_t i = 0; i < kSignalCount; ++i) {
        struct sigaction action {};
        action.sa_sigaction = HandleFatalSignal;
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;
        sigemptyset(&action.sa_mask);
        ::sigaction(kSignals[i].number, &action, &gPrevious[i]);
    }
    return true;
}

void CrashHandler::Refresh()
{
    const std::lock_guard lock(SourceMutex());
    if (!Source())
        return;
    const std::string text = Source()();
    const int next = 1 - gCurrentInfo.load(std::memory_order_relaxed);
    // Room for the line end added below.
    std::size_t length = std::min(text.size(), kMaxInfoBytes - 1);
    std::memcpy(gInfo[next], text.data(), length);
    if (length > 0 && gInfo[next][length - 1] != '\n')
        gInfo[next][length++] = '\n';
    gInfoLength[next] = length;
    gCurrentInfo.store(next, std::memory_order_release);
}

bool CrashHandler::IsInstalled()
{
    return gInstalled.load();
}

void CrashHandler::CrashNow()
{
    // A write to a page that allows no access: a real fault, with no undefined behaviour in the
    // program text for the compiler or the sanitizers to act on first.
    void* page = ::mmap(nullptr, static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)), PROT_NONE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page != MAP_FAILED)
        *static_cast<volatile int*>(page) = 1;
    ::raise(SIGSEGV);
    std::abort();
}

} // namespace Quill::Platform
