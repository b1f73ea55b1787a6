#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "platform/CrashHandler.h"
#include "platform/Files.h"
#include "tests/support/TempDir.h"

namespace {

using Quill::Platform::CrashHandler;

std::string ReadText(const std::filesystem::path& path)
{
    const auto bytes = Quill::Platform::ReadWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// The process ended by the fault. AddressSanitizer, when present, reports the fault passed on to
// it and ends the process its own way (an exit code, or SIGABRT with abort_on_error).
bool DiedOfSegfault(int status)
{
#if defined(__SANITIZE_ADDRESS__)
    return !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#else
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV;
#endif
}

// Each death test installs the handler in its own child process; this one never does.
TEST(CrashHandlerDeathTest, FaultWritesTheCrashTextToStandardErrorAndTheCrashFile)
{
    QuillTest::TempDir dir;
    const auto crashFile = dir / "crash.txt";
    EXPECT_EXIT(
        {
            int mode = 0;
            const bool installed = CrashHandler::Install(crashFile, [&mode] {
                return "Version: 1.2.3\nTime Loaded: 00:00:05\nFullscreen: " +
                       std::string(mode ? "Yes" : "No") + "\nPrimary ThreadId: 42";
            });
            // Only the first install counts.
            const bool again = CrashHandler::Install(dir / "other.txt", [] { return std::string("wrong"); });
            if (!installed || again || !CrashHandler::IsInstalled())
                std::_Exit(0);
            mode = 1;
            CrashHandler::Refresh();
            CrashHandler::CrashNow();
        },
        DiedOfSegfault,
        "Fatal error: signal 11 \\(SIGSEGV\\) at address 0x[0-9a-f]+\nVersion: 1\\.2\\.3\nTime Loaded: "
        "00:00:05\nFullscreen: Yes\nPrimary ThreadId: 42\nStack trace:\n.+Crash report written to "
        ".*crash\\.txt");

    const std::string report = ReadText(crashFile);
    EXPECT_NE(report.find("(SIGSEGV)"), std::string::npos) << report;
    EXPECT_NE(report.find("Fullscreen: Yes\nPrimary ThreadId: 42\nStack trace:\n"), std::string::npos)
        << report;
    // At least a few frames of the trace follow.
    const std::size_t trace = report.find("Stack trace:\n");
    ASSERT_NE(trace, std::string::npos);
    int frames = 0;
    for (std::size_t i = trace + 13; i < report.size(); ++i)
        frames += report[i] == '\n';
    EXPECT_GE(frames, 3) << report;
    EXPECT_FALSE(std::filesystem::exists(dir / "other.txt"));
}

TEST(CrashHandlerDeathTest, AbortIsReportedAndStillEndsTheProcessBySignal)
{
    QuillTest::TempDir dir;
    const auto crashFile = dir / "abort.txt";
    EXPECT_EXIT(
        {
            if (!CrashHandler::Install(crashFile, [] { return std::string("Version: abort test\n"); }))
                std::_Exit(0);
            std::abort();
        },
        testing::KilledBySignal(SIGABRT), "Fatal error: signal 6 \\(SIGABRT\\)\nVersion: abort test\n");
    const std::string report = ReadText(crashFile);
    EXPECT_EQ(report.rfind("\nFatal error: signal 6 (SIGABRT)\nVersion: abort test\nStack trace:\n", 0), 0u)
        << report;
}

TEST(CrashHandlerDeathTest, LongCrashTextIsCutNotOverrun)
{
    QuillTest::TempDir dir;
    const auto crashFile = dir / "long.txt";
    EXPECT_EXIT(
        {
            if (!CrashHandler::Install(crashFile,
                                       [] { return std::string(3 * CrashHandler::kMaxInfoBytes, 'L'); }))
                std::_Exit(0);
            CrashHandler::CrashNow();
        },
        DiedOfSegfault, "LLLL");
    const std::string report = ReadText(crashFile);
    const std::size_t first = report.find('L');
    const std::size_t last = report.rfind('L');
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(last - first + 1, CrashHandler::kMaxInfoBytes - 1);
    EXPECT_EQ(report.substr(last + 1, 14), "\nStack trace:\n");
}

} // namespace
