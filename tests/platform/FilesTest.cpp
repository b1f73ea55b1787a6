#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "platform/Files.h"
#include "tests/support/TempDir.h"

namespace {

TEST(FilesTest, AtomicWriteReplacesAndLeavesNoTemporaries)
{
    QuillTest::TempDir dir;
    const auto target = dir / "nested/folder/value.txt";
    ASSERT_TRUE(Quill::Platform::WriteFileAtomically(target, std::string("first")));
    ASSERT_TRUE(Quill::Platform::WriteFileAtomically(target, std::string("second, longer")));
    EXPECT_EQ(dir.Read("nested/folder/value.txt"), "second, longer");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(target.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(FilesTest, FailedWriteKeepsTheOldContentAndCleansUp)
{
    QuillTest::TempDir dir;
    const auto target = dir / "full/value.txt";
    ASSERT_TRUE(Quill::Platform::WriteFileAtomically(target, std::string("kept")));

    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 16;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = Quill::Platform::WriteFileAtomically(target, std::string(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(dir.Read("full/value.txt"), "kept");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(target.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1) << "the temporary file was left behind";
}

TEST(FilesTest, ReadRefusesFoldersMissingFilesAndOversizedFiles)
{
    QuillTest::TempDir dir;
    dir.Write("small.bin", std::string("12345"));
    auto small = Quill::Platform::ReadWholeFile(dir / "small.bin");
    ASSERT_TRUE(small.has_value());
    EXPECT_EQ(small->size(), 5u);
    EXPECT_FALSE(Quill::Platform::ReadWholeFile(dir / "small.bin", 4).has_value());
    EXPECT_FALSE(Quill::Platform::ReadWholeFile(dir / "missing").has_value());
    EXPECT_FALSE(Quill::Platform::ReadWholeFile(dir.Path()).has_value());
}

TEST(FilesTest, ReadOfANamedPipeIsRefusedWithoutWaitingForAWriter)
{
    QuillTest::TempDir dir;
    const auto pipe = dir / "settings.reg";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    std::atomic<bool> done{false};
    bool refused = false;
    std::thread reader([&] {
        refused = !Quill::Platform::ReadWholeFile(pipe).has_value();
        done = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const bool hung = !done;
    if (hung) {
        // Let the blocked reader go, so the test can report instead of hanging.
        const int writer = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    reader.join();
    EXPECT_FALSE(hung) << "the read waited for a writer";
    EXPECT_TRUE(refused);
}

} // namespace
