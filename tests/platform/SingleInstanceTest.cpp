#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/SingleInstance.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Quill::Platform::SingleInstance;

// Polls until count words have arrived or a second has passed.
std::vector<std::uint32_t> WaitForWords(SingleInstance& instance, std::size_t count)
{
    std::vector<std::uint32_t> words;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (words.size() < count && std::chrono::steady_clock::now() < deadline) {
        for (std::uint32_t w : instance.PollNotifications())
            words.push_back(w);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return words;
}

// Runs body in a child process and returns its exit code (-1 when it did not exit normally).
template <typename Body>
int InChild(Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TEST(SingleInstanceTest, SecondCopyIsRefusedAndItsWordReachesTheFirst)
{
    QuillTest::ScopedXdgHome home;
    auto first = SingleInstance::Acquire("MewbloomTest");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->HoldsLock());
    EXPECT_TRUE(first->IsListening());
    EXPECT_TRUE(fs::exists(home.RuntimeDir() / "MewbloomTestMutex.lock"));
    EXPECT_TRUE(fs::exists(home.RuntimeDir() / "NotifyMewbloomTest.sock"));
    EXPECT_TRUE(first->PollNotifications().empty());

    // Other copies of the program, as separate processes.
    for (std::uint32_t word : {0xC0FFEEu, 7u}) {
        const int code = InChild([word] {
            if (SingleInstance::Acquire("MewbloomTest") != nullptr)
                return 2;
            return SingleInstance::NotifyRunningCopy("MewbloomTest", word) ? 0 : 3;
        });
        EXPECT_EQ(code, 0) << "2: the second copy got the lock; 3: its word was not taken";
    }
    EXPECT_EQ(WaitForWords(*first, 2), (std::vector<std::uint32_t>{0xC0FFEEu, 7u}));
    EXPECT_TRUE(first->PollNotifications().empty()) << "each word is delivered once";

    // A second acquire in the same process is refused too.
    EXPECT_EQ(SingleInstance::Acquire("MewbloomTest"), nullptr);
    // Other products are not affected, and do not hear this product's words.
    auto other = SingleInstance::Acquire("OtherGame");
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(SingleInstance::NotifyRunningCopy("OtherGame", 99));
    EXPECT_EQ(WaitForWords(*other, 1), std::vector<std::uint32_t>{99});
    EXPECT_TRUE(first->PollNotifications().empty());

    // Once the first copy ends, nobody answers and the next copy is the first.
    first.reset();
    EXPECT_FALSE(fs::exists(home.RuntimeDir() / "NotifyMewbloomTest.sock"));
    EXPECT_FALSE(SingleInstance::NotifyRunningCopy("MewbloomTest", 1));
    auto next = SingleInstance::Acquire("MewbloomTest");
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->HoldsLock());
}

TEST(SingleInstanceTest, CopyThatDiedWithoutCleaningUpDoesNotBlockTheNext)
{
    QuillTest::ScopedXdgHome home;
    // The child takes the lock and dies without running any destructor.
    const int code = InChild([] {
        auto instance = SingleInstance::Acquire("CrashyGame");
        if (instance == nullptr || !instance->IsListening())
            return 2;
        ::_exit(0);
    });
    ASSERT_EQ(code, 0);
    ASSERT_TRUE(fs::exists(home.RuntimeDir() / "NotifyCrashyGame.sock"))
        << "the dead copy's socket file is left";
    EXPECT_FALSE(SingleInstance::NotifyRunningCopy("CrashyGame", 5)) << "nobody is listening there";

    auto instance = SingleInstance::Acquire("CrashyGame");
    ASSERT_NE(instance, nullptr);
    ASSERT_TRUE(instance->IsListening());
    ASSERT_TRUE(SingleInstance::NotifyRunningCopy("CrashyGame", 5));
    EXPECT_EQ(WaitForWords(*instance, 1), std::vector<std::uint32_t>{5});
}

TEST(SingleInstanceTest, OddProductNamesStayInTheRuntimeFolderAndJunkIsIgnored)
{
    QuillTest::ScopedXdgHome home;
    auto instance = SingleInstance::Acquire("../Up/And Away");
    ASSERT_NE(instance, nullptr);
    EXPECT_TRUE(fs::exists(home.RuntimeDir() / ".._Up_And_AwayMutex.lock"));
    EXPECT_FALSE(fs::exists(home.Root().Path() / "Up"));

    // A datagram that is not one word is dropped; the words around it still arrive.
    ASSERT_TRUE(SingleInstance::NotifyRunningCopy("../Up/And Away", 1));
    const int sock = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    ASSERT_GE(sock, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (home.RuntimeDir() / "Notify.._Up_And_Away.sock").string();
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const char junk[9] = "12345678";
    EXPECT_EQ(
        ::sendto(sock, junk, sizeof junk, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address),
        static_cast<ssize_t>(sizeof junk));
    ::close(sock);
    ASSERT_TRUE(SingleInstance::NotifyRunningCopy("../Up/And Away", 2));
    EXPECT_EQ(WaitForWords(*instance, 2), (std::vector<std::uint32_t>{1, 2}));
}

} // namespace
