#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace Quill::Platform {

// Catches the fatal signals (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) once installed and writes
// a crash report to standard error and to a crash file: the signal, the faulting address, the
// application's crash text and a stack trace. The handler itself only uses async-signal-safe
// calls: the application's text is fetched beforehand (at Install and at each Refresh) into a
// fixed buffer. After writing, the signal goes on to whatever handled it before (by default the
// process is killed by it), so the exit status is non-zero and core dumps and sanitizers still
// see the fault.
class CrashHandler {
public:
    // Supplies the application's crash text (its GetCrashInfo).
    using InfoSource = std::function<std::string()>;

    // Longest crash text kept; longer text is cut.
    static constexpr std::size_t kMaxInfoBytes = 4096;

    // Installs the handler for the whole process. Only the first call installs; later calls
    // return false and change nothing.
    [[nodiscard]] static bool Install(const std::filesystem::path& crashFile, InfoSource info);
    // Fetches the crash text again (call when something it reports has changed).
    static void Refresh();
    [[nodiscard]] static bool IsInstalled();
    // A deliberate memory fault, for testing the crash path ("-crash"). Never returns.
    [[noreturn]] static void CrashNow();
};

} // namespace Quill::Platform
