#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/Files.h"
#include "platform/SettingsStore.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Quill::Platform::DecodeRegistryInteger;
using Quill::Platform::DecodeRegistryString;
using Quill::Platform::EncodeRegistryInteger;
using Quill::Platform::RegType;
using Quill::Platform::RegValue;
using Quill::Platform::SettingsFile;
using Quill::Platform::SettingsStore;

constexpr const char* kKey = "Quillby\\Mewbloom";

std::vector<std::uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

std::string ReadText(const fs::path& path)
{
    const auto bytes = Quill::Platform::ReadWholeFile(path);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

// Files in the settings folder whose names start with the prefix.
std::vector<fs::path> FilesStartingWith(const fs::path& folder, const std::string& prefix)
{
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.path().filename().string().starts_with(prefix))
            found.push_back(entry.path());
    return found;
}

class SettingsStoreTest : public testing::Test {
protected:
    QuillTest::ScopedXdgHome mHome;
    SettingsStore mStore{kKey};

    [[nodiscard]] fs::path Folder() const { return mHome.ConfigHome() / "Quillby" / "Mewbloom"; }
    [[nodiscard]] bool WriteInt(std::string_view name, std::int32_t value)
    {
        return mStore.Write(name, RegType::DWord, EncodeRegistryInteger(value));
    }
    [[nodiscard]] std::optional<std::int32_t> ReadInt(const SettingsStore& store, std::string_view name) const
    {
        const auto value = store.Read(name);
        return value ? DecodeRegistryInteger(value->type, value->data) : std::nullopt;
    }
};

TEST_F(SettingsStoreTest, EveryTypeRoundTripsThroughTheFile)
{
    EXPECT_EQ(mStore.FilePath(), Folder() / "settings.reg");
    std::vector<std::uint8_t> blob(200);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>(255 - i);
    const std::string odd("caf\xe9\r\n\0end", 10);

    ASSERT_TRUE(WriteInt("MusicVolume", 75));
    ASSERT_TRUE(WriteInt("PreferredX", -1));
    ASSERT_TRUE(mStore.Write("CurrentPlayer", RegType::String, Bytes("Mira \"the\" Bold")));
    ASSERT_TRUE(mStore.Write("Odd", RegType::String, Bytes(odd)));
    ASSERT_TRUE(mStore.Write("Blob", RegType::Binary, blob));
    ASSERT_TRUE(mStore.Write("Other", static_cast<RegType>(7), Bytes(std::string_view("a\0b\0\0", 5))));
    ASSERT_TRUE(mStore.Write("Changes", RegType::String, Bytes("first")));
    ASSERT_TRUE(mStore.Write("Changes", RegType::DWord, EncodeRegistryInteger(2)));

    // A second store (as the next run of the program) reads the file afresh.
    const SettingsStore next(kKey);
    EXPECT_EQ(ReadInt(next, "MusicVolume"), 75);
    EXPECT_EQ(ReadInt(next, "PreferredX"), -1);
    EXPECT_EQ(ReadInt(next, "Changes"), 2);
    ASSERT_TRUE(next.Read("CurrentPlayer").has_value());
    EXPECT_EQ(*next.Read("CurrentPlayer"), (RegValue{RegType::String, Bytes("Mira \"the\" Bold")}));
    EXPECT_EQ(*next.Read("Odd"), (RegValue{RegType::String, Bytes(odd)}));
    EXPECT_EQ(*next.Read("Blob"), (RegValue{RegType::Binary, blob}));
    EXPECT_EQ(*next.Read("Other"),
              (RegValue{static_cast<RegType>(7), Bytes(std::string_view("a\0b\0\0", 5))}));
    EXPECT_EQ(ReadInt(next, "musicvolume"), 75) << "names match regardless of case, as in the registry";
    EXPECT_FALSE(next.Read("Missing").has_value());

    const std::string text = ReadText(next.FilePath());
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom]\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"MusicVolume\"=dword:0000004b\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"CurrentPlayer\"=\"Mira \\\"the\\\" Bold\"\r\n"), std::string::npos) << text;
}

TEST_F(SettingsStoreTest, FileFallsBackToHomeConfigWithoutXdgConfigHome)
{
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    QuillTest::TempDir home;
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", home.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", "relative/not/allowed", 1);
    const SettingsStore relative(kKey);
    unsetenv("XDG_CONFIG_HOME");
    const SettingsStore unset(kKey);
    setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    setenv("HOME", oldHome.c_str(), 1);

    EXPECT_EQ(relative.FilePath(), home.Path() / ".config/Quillby/Mewbloom/settings.reg");
    EXPECT_EQ(unset.FilePath(), home.Path() / ".config/Quillby/Mewbloom/settings.reg");
}

TEST_F(SettingsStoreTest, SubkeyNamesLandInSubkeySections)
{
    ASSERT_TRUE(WriteInt("a\\b", 1));
    ASSERT_TRUE(WriteInt("b", 2));
    ASSERT_TRUE(WriteInt("x\\y\\z", 3));
    ASSERT_TRUE(WriteInt("\\lead\\\\double\\", 4)); // empty parts dropped; empty value name

    EXPECT_EQ(ReadInt(mStore, "a\\b"), 1);
    EXPECT_EQ(ReadInt(mStore, "A\\B"), 1);
    EXPECT_EQ(ReadInt(mStore, "b"), 2);
    EXPECT_EQ(ReadInt(mStore, "x\\y\\z"), 3);
    EXPECT_FALSE(mStore.Read("x\\z").has_value());
    EXPECT_FALSE(mStore.Read("y\\z").has_value());
    EXPECT_EQ(ReadInt(mStore, "lead\\double\\"), 4);

    const std::string text = ReadText(mStore.FilePath());
    const std::string root = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom";
    EXPECT_NE(text.find(root + "\\a]\r\n\"b\"=dword:00000001\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(root + "]\r\n\"b\"=dword:00000002\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(root + "\\x\\y]\r\n\"z\"=dword:00000003\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(root + "\\lead\\double]\r\n@=dword:00000004\r\n"), std::string::npos) << text;
}

TEST_F(SettingsStoreTest, LongStringsAreStoredWholeAndTheTypedRulesApply)
{
    std::string longText(1500, 'x');
    for (std::size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(mStore.Write("Long", RegType::String, Bytes(longText)));
    const auto raw = mStore.Read("Long");
    ASSERT_TRUE(raw.has_value());
    EXPECT_EQ(raw->data.size(), 1500u) << "the store keeps the whole value";
    const auto typed = DecodeRegistryString(raw->type, raw->data);
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(*typed, longText.substr(0, 1023));

    const std::vector<std::uint8_t> withZero = {'a', 'b', 0, 'c'};
    EXPECT_EQ(DecodeRegistryString(RegType::String, withZero), "ab");
    EXPECT_EQ(DecodeRegistryString(RegType::String, {}), "");
    EXPECT_FALSE(DecodeRegistryString(RegType::Binary, withZero).has_value());
    EXPECT_FALSE(DecodeRegistryString(RegType::DWord, EncodeRegistryInteger(1)).has_value());

    EXPECT_EQ(DecodeRegistryInteger(RegType::DWord, EncodeRegistryInteger(-123456)), -123456);
    EXPECT_EQ(DecodeRegistryInteger(RegType::DWord, std::vector<std::uint8_t>{0x4b, 0, 0, 0x80}),
              static_cast<std::int32_t>(0x8000004bu));
    EXPECT_FALSE(DecodeRegistryInteger(RegType::DWord, std::vector<std::uint8_t>{1, 2, 3}).has_value());
    EXPECT_FALSE(DecodeRegistryInteger(RegType::DWord, std::vector<std::uint8_t>{1, 2, 3, 4, 5}).has_value());
    EXPECT_FALSE(DecodeRegistryInteger(RegType::Binary, EncodeRegistryInteger(1)).has_value());
}

TEST_F(SettingsStoreTest, UnusableKeysAndNamesFailWithoutTouchingAnything)
{
    for (const char* key :
         {"", "..\\Escape", "Quillby\\.", "a\\\\b", "\\Lead", "Trail\\", "a/b", "Bad\nKey"}) {
        SettingsStore store{key};
        EXPECT_FALSE(store.IsUsable()) << key;
        EXPECT_TRUE(store.FilePath().empty()) << key;
        EXPECT_FALSE(store.Write("Value", RegType::DWord, EncodeRegistryInteger(1))) << key;
        EXPECT_FALSE(store.Read("Value").has_value()) << key;
        EXPECT_FALSE(store.Erase("Value")) << key;
    }
    EXPECT_FALSE(fs::exists(mHome.ConfigHome() / "Escape"));
    EXPECT_TRUE(fs::is_empty(mHome.ConfigHome()));

    EXPECT_FALSE(mStore.Erase("Missing")) << "no file yet";
    EXPECT_FALSE(fs::exists(Folder())) << "erasing nothing creates nothing";
    EXPECT_FALSE(mStore.Write("Line\nBreak", RegType::DWord, EncodeRegistryInteger(1)));
    EXPECT_FALSE(mStore.Write("Sub\tkey\\Name", RegType::DWord, EncodeRegistryInteger(1)));

    ASSERT_TRUE(WriteInt("Kept", 1));
    ASSERT_TRUE(WriteInt("Gone", 2));
    EXPECT_TRUE(mStore.Erase("GONE"));
    EXPECT_FALSE(mStore.Read("Gone").has_value());
    EXPECT_FALSE(mStore.Erase("Gone"));
    EXPECT_EQ(ReadInt(mStore, "Kept"), 1);
}

TEST_F(SettingsStoreTest, DamagedFileKeepsItsGoodValuesAndABackup)
{
    std::string damaged = "Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom]\r\n"
                          "\"MusicVolume\"=dword:00000040\r\n"
                          "\x01\x02garbage\xff\r\n"
                          "\"Muted\"=dword:zz\r\n"
                          "\"CurrentPlayer\"=\"Pip\"\r\n"
                          "\"Profile\"=hex:01,02,\\\r\n";
    damaged.push_back('\0');
    fs::create_directories(Folder());
    ASSERT_TRUE(Quill::Platform::WriteFileAtomically(Folder() / "settings.reg", damaged));

    EXPECT_EQ(ReadInt(mStore, "MusicVolume"), 0x40);
    ASSERT_TRUE(mStore.Read("CurrentPlayer").has_value());
    EXPECT_FALSE(mStore.Read("Muted").has_value());
    EXPECT_FALSE(mStore.Read("Profile").has_value());

    ASSERT_TRUE(WriteInt("SfxVolume", 50));
    EXPECT_EQ(ReadInt(mStore, "MusicVolume"), 0x40);
    EXPECT_EQ(ReadInt(mStore, "SfxVolume"), 50);
    EXPECT_EQ(*mStore.Read("CurrentPlayer"), (RegValue{RegType::String, Bytes("Pip")}));
    const auto clean = Quill::Platform::ReadWholeFile(mStore.FilePath());
    ASSERT_TRUE(clean.has_value());
    EXPECT_EQ(SettingsFile::Parse(*clean).SkippedLines(), 0u);

    const auto backups = FilesStartingWith(Folder(), "settings.reg.damaged-");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadText(backups[0]), damaged) << "the damaged original is kept as it was";

    ASSERT_TRUE(WriteInt("Muted", 0));
    EXPECT_EQ(FilesStartingWith(Folder(), "settings.reg.damaged-").size(), 1u)
        << "a clean file needs no backup";
}

TEST_F(SettingsStoreTest, OversizedFileReadsAsEmptyAndIsSetAsideNotOverwritten)
{
    std::string huge = "Windows Registry Editor Version 5.00\r\n\r\n"
                       "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom]\r\n"
                       "\"MusicVolume\"=dword:00000040\r\n";
    huge.resize(SettingsStore::kMaxFileBytes + 1, ';');
    fs::create_directories(Folder());
    ASSERT_TRUE(Quill::Platform::WriteFileAtomically(Folder() / "settings.reg", huge));

    EXPECT_FALSE(mStore.Read("MusicVolume").has_value()) << "too large to be read";
    ASSERT_TRUE(WriteInt("SfxVolume", 50));
    EXPECT_EQ(ReadInt(mStore, "SfxVolume"), 50);
    EXPECT_FALSE(mStore.Read("MusicVolume").has_value());
    const auto backups = FilesStartingWith(Folder(), "settings.reg.unreadable-");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(fs::file_size(backups[0]), huge.size()) << "the unreadable original is kept whole";

    // A value that would make the file too large to read back is refused, and nothing changes.
    const std::string before = ReadText(mStore.FilePath());
    const std::vector<std::uint8_t> tooBig(SettingsStore::kMaxFileBytes / 3 + 1, 0xab);
    EXPECT_FALSE(mStore.Write("Huge", RegType::Binary, tooBig));
    EXPECT_EQ(ReadText(mStore.FilePath()), before);
}

TEST_F(SettingsStoreTest, InterruptedWriteLeavesThePreviousFile)
{
    ASSERT_TRUE(WriteInt("MusicVolume", 85));
    ASSERT_TRUE(mStore.Write("CurrentPlayer", RegType::String, Bytes("Pip")));
    const std::string before = ReadText(mStore.FilePath());

    // A file-size limit makes the write fail part-way, as a full disk would.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = old;
    tiny.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool written = mStore.Write("Profile", RegType::Binary, std::vector<std::uint8_t>(4096, 7));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(ReadText(mStore.FilePath()), before);
    EXPECT_EQ(ReadInt(mStore, "MusicVolume"), 85);
    EXPECT_FALSE(mStore.Read("Profile").has_value());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"settings.reg", "settings.reg.lock"}))
        << "no temporary left behind";
}

TEST_F(SettingsStoreTest, ConcurrentWritersNeverLoseOrCorruptValues)
{
    constexpr int kWrites = 30;
    constexpr int kProcesses = 2;
    constexpr int kThreads = 3;
    ASSERT_TRUE(WriteInt("Anchor", 42));

    // Processes first: fork only while this process has a single thread.
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            SettingsStore store(kKey);
            bool ok = true;
            for (int i = 0; i < kWrites; ++i) {
                const auto name = "Process" + std::to_string(p) + "_" + std::to_string(i);
                ok = store.Write(name, RegType::DWord, EncodeRegistryInteger(i)) && ok;
                ok = store.Write("Shared", RegType::String, Bytes("process " + std::to_string(p))) && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }

    std::atomic<bool> writing = true;
    std::atomic<int> anchorMisses = 0;
    std::atomic<int> failedWrites = 0;
    std::thread reader([&] {
        const SettingsStore store(kKey);
        while (writing) {
            const auto value = store.Read("Anchor");
            if (!value || DecodeRegistryInteger(value->type, value->data) != 42)
                ++anchorMisses;
        }
    });
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&, t] {
            SettingsStore store(kKey);
            for (int i = 0; i < kWrites; ++i) {
                const auto name = "Thread" + std::to_string(t) + "_" + std::to_string(i);
                if (!store.Write(name, RegType::DWord, EncodeRegistryInteger(i)))
                    ++failedWrites;
                if (!store.Write("Shared", RegType::String, Bytes("thread " + std::to_string(t))))
                    ++failedWrites;
            }
        });
    }
    for (auto& w : writers)
        w.join();
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer process failed";
    }
    writing = false;
    reader.join();

    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(anchorMisses, 0) << "a reader saw a file without a value stored before";
    for (int i = 0; i < kWrites; ++i) {
        for (int p = 0; p < kProcesses; ++p)
            EXPECT_EQ(ReadInt(mStore, "Process" + std::to_string(p) + "_" + std::to_string(i)), i);
        for (int t = 0; t < kThreads; ++t)
            EXPECT_EQ(ReadInt(mStore, "Thread" + std::to_string(t) + "_" + std::to_string(i)), i);
    }
    const auto bytes = Quill::Platform::ReadWholeFile(mStore.FilePath());
    ASSERT_TRUE(bytes.has_value());
    const SettingsFile file = SettingsFile::Parse(*bytes);
    EXPECT_EQ(file.SkippedLines(), 0u);
    ASSERT_EQ(file.Sections().size(), 1u);
    EXPECT_EQ(file.Sections()[0].entries.size(), 1u + 1u + kWrites * (kProcesses + kThreads));
    const auto shared = mStore.Read("Shared");
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->type, RegType::String);
}

} // namespace
