// The application's settings through the real settings file (in the test's own
// configuration folder) and its command line, with the exits it can take.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/Files.h"
#include "platform/SettingsStore.h"
#include "tests/framework/AppTestSupport.h"
#include "tests/support/TempDir.h"

namespace QuillTest {
namespace {

using Quill::Platform::RegType;

class AppSettingsTest : public AppFixtureBase, public testing::Test {
protected:
    // An application that has not been initialised, on the fixture's settings key.
    TestApp& MakeApp()
    {
        mApp = std::make_unique<TestApp>(&mPlatform);
        mApp->mRegKey = mRegKey;
        mApp->mProdName = UniqueProductName("Settings");
        return *mApp;
    }
    Quill::Platform::SettingsStore Store() const { return Quill::Platform::SettingsStore(mRegKey); }
    // Names of the values of the product key in file order.
    std::vector<std::string> StoredNames() const
    {
        std::vector<std::string> names;
        const auto bytes = Quill::Platform::ReadWholeFile(Store().FilePath());
        if (!bytes)
            return names;
        const auto file = Quill::Platform::SettingsFile::Parse(*bytes);
        for (const auto& section : file.Sections()) {
            if (section.path == Store().KeyPath()) {
                for (const auto& entry : section.entries)
                    names.push_back(entry.name);
            }
        }
        return names;
    }
};

TEST_F(AppSettingsTest, TypedValuesRoundTripThroughTheFile)
{
    TestApp& app = MakeApp();
    ASSERT_TRUE(app.RegistryWriteString("Name", "Tabby \"the\" cat\\"));
    ASSERT_TRUE(app.RegistryWriteInteger("Count", -75));
    ASSERT_TRUE(app.RegistryWriteBoolean("Flag", true));
    const std::uint8_t bytes[] = {0, 1, 2, 254, 255};
    ASSERT_TRUE(app.RegistryWriteData("Blob", bytes, sizeof(bytes)));
    ASSERT_TRUE(app.RegistryWriteInteger("Sub\\Deeper\\Inner", 42));

    std::string text;
    int number = 0;
    bool flag = false;
    std::uint8_t buffer[8] = {};
    std::uint32_t length = sizeof(buffer);
    EXPECT_TRUE(app.RegistryReadString("Name", text));
    EXPECT_EQ(text, "Tabby \"the\" cat\\");
    EXPECT_TRUE(app.RegistryReadInteger("Count", number));
    EXPECT_EQ(number, -75);
    EXPECT_TRUE(app.RegistryReadBoolean("Flag", flag));
    EXPECT_TRUE(flag);
    EXPECT_TRUE(app.RegistryReadData("Blob", buffer, length));
    EXPECT_EQ(length, sizeof(bytes));
    EXPECT_EQ(std::memcmp(buffer, bytes, sizeof(bytes)), 0);
    EXPECT_TRUE(app.RegistryReadInteger("Sub\\Deeper\\Inner", number));
    EXPECT_EQ(number, 42);
    // The subkey is a section of its own, not a value of the product key.
    EXPECT_FALSE(Store().Read("Inner"));

    // A fresh application on the same key sees the same values (they are in the file).
    mApp.reset();
    TestApp& again = MakeApp();
    EXPECT_TRUE(again.RegistryReadString("Name", text));
    EXPECT_EQ(text, "Tabby \"the\" cat\\");
}

TEST_F(AppSettingsTest, TypedReadsCheckTypeAndLengthAndLeaveOutputsAlone)
{
    TestApp& app = MakeApp();
    const std::uint8_t six[] = {1, 2, 3, 4, 5, 6};
    ASSERT_TRUE(app.RegistryWrite("SixBytes", RegType::DWord, six, sizeof(six)));
    ASSERT_TRUE(app.RegistryWriteString("Text", "12"));
    ASSERT_TRUE(app.RegistryWriteInteger("Number", 12));
    const std::uint8_t big[16] = {};
    ASSERT_TRUE(app.RegistryWriteData("Big", big, sizeof(big)));

    int number = 99;
    EXPECT_FALSE(app.RegistryReadInteger("SixBytes", number));
    EXPECT_FALSE(app.RegistryReadInteger("Text", number));
    EXPECT_FALSE(app.RegistryReadInteger("Missing", number));
    EXPECT_EQ(number, 99);
    bool flag = true;
    EXPECT_FALSE(app.RegistryReadBoolean("Text", flag));
    EXPECT_TRUE(flag);
    std::string text = "unchanged";
    EXPECT_FALSE(app.RegistryReadString("Number", text));
    EXPECT_FALSE(app.RegistryReadString("Missing", text));
    EXPECT_EQ(text, "unchanged");
    std::uint8_t buffer[8] = {7, 7, 7, 7, 7, 7, 7, 7};
    std::uint32_t length = sizeof(buffer);
    // Raw data is refused rather than cut when the buffer is too small, and must be raw bytes.
    EXPECT_FALSE(app.RegistryReadData("Big", buffer, length));
    EXPECT_FALSE(app.RegistryReadData("Number", buffer, length));
    EXPECT_EQ(length, sizeof(buffer));
    EXPECT_EQ(buffer[0], 7);
}

TEST_F(AppSettingsTest, LongStringsAreCutAndZeroBytesEndThem)
{
    TestApp& app = MakeApp();
    std::string longText(1500, 'x');
    for (std::size_t i = 0; i < longText.size(); ++i)
        longText[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(app.RegistryWriteString("Long", longText));
    std::string text;
    ASSERT_TRUE(app.RegistryReadString("Long", text));
    EXPECT_EQ(text, longText.substr(0, 1023));

    const std::string withZero("abc\0def", 7);
    ASSERT_TRUE(app.RegistryWriteString("Zero", withZero));
    ASSERT_TRUE(app.RegistryReadString("Zero", text));
    EXPECT_EQ(text, "abc");
}

TEST_F(AppSettingsTest, EmptyKeyMakesEveryAccessFail)
{
    TestApp& app = MakeApp();
    app.mRegKey.clear();
    int number = 5;
    EXPECT_FALSE(app.RegistryWriteInteger("Value", 1));
    EXPECT_FALSE(app.RegistryReadInteger("Value", number));
    EXPECT_FALSE(app.RegistryEraseValue("Value"));
    EXPECT_EQ(number, 5);
}

TEST_F(AppSettingsTest, ApplicationValuesAreWrittenInTheirOrder)
{
    TestApp& app = MakeApp();
    app.WriteToRegistry();
    EXPECT_EQ(StoredNames(),
              (std::vector<std::string>{"MusicVolume", "SfxVolume", "Muted", "ScreenMode", "PreferredX",
                                        "PreferredY", "CustomCursors", "InProgress", "WaitForVSync"}));
}

TEST_F(AppSettingsTest, ApplicationValuesAreReadBack)
{
    {
        TestApp& writer = MakeApp();
        ASSERT_TRUE(writer.RegistryWriteInteger("MusicVolume", 29));
        ASSERT_TRUE(writer.RegistryWriteInteger("SfxVolume", 58));
        ASSERT_TRUE(writer.RegistryWriteInteger("Muted", 1));
        ASSERT_TRUE(writer.RegistryWriteInteger("ScreenMode", 1));
        ASSERT_TRUE(writer.RegistryWriteInteger("PreferredX", 140));
        ASSERT_TRUE(writer.RegistryWriteInteger("PreferredY", 90));
        ASSERT_TRUE(writer.RegistryWriteInteger("CustomCursors", 1));
        ASSERT_TRUE(writer.RegistryWriteInteger("WaitForVSync", 1));
        // Not a DWORD: ignored, the default stays.
        ASSERT_TRUE(writer.RegistryWriteString("InProgress", "0"));
    }
    TestApp& app = MakeApp();
    app.ReadFromRegistry();
    EXPECT_TRUE(app.mRegistryRead);
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 0.29);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 0.58);
    EXPECT_EQ(app.mMuteCount, 1);
    EXPECT_FALSE(app.mIsWindowed);
    EXPECT_EQ(app.mPreferredX, 140);
    EXPECT_EQ(app.mPreferredY, 90);
    EXPECT_TRUE(app.mCustomCursorsEnabled);
    EXPECT_TRUE(app.mWaitForVSync);
    EXPECT_TRUE(app.mLastShutdownWasGraceful);

    // Written back, the volumes keep their whole percentages (29 % must not become 28 %).
    app.mMuteCount = 0;
    app.WriteToRegistry();
    int value = 0;
    ASSERT_TRUE(app.RegistryReadInteger("MusicVolume", value));
    EXPECT_EQ(value, 29);
    ASSERT_TRUE(app.RegistryReadInteger("SfxVolume", value));
    EXPECT_EQ(value, 58);
}

TEST_F(AppSettingsTest, DamagedValuesStayInRange)
{
    {
        TestApp& writer = MakeApp();
        ASSERT_TRUE(writer.RegistryWriteInteger("MusicVolume", 5000));
        ASSERT_TRUE(writer.RegistryWriteInteger("SfxVolume", -20));
        ASSERT_TRUE(writer.RegistryWriteInteger("Muted", -3));
    }
    TestApp& app = MakeApp();
    app.ReadFromRegistry();
    EXPECT_DOUBLE_EQ(app.mMusicVolume, 1.0);
    EXPECT_DOUBLE_EQ(app.mSfxVolume, 0.0);
    EXPECT_EQ(app.mMuteCount, 0);

    // Only 0 or 1 is ever stored: a huge count is the one user mute, which one unmute lifts
    // (and counting further mutes on top of it cannot overflow).
    ASSERT_TRUE(app.RegistryWriteInteger("Muted", 0x7FFFFFFF));
    app.ReadFromRegistry();
    EXPECT_EQ(app.mMuteCount, 1);
    app.Mute(true);
    app.Unmute(true);
    app.Unmute(false);
    EXPECT_FALSE(app.IsMuted());
}

TEST_F(AppSettingsTest, RegistryKeyFromTheStringTableWins)
{
    TestApp& app = MakeApp();
    const std::string otherKey = mRegKey + "Other";
    app.SetString("RegistryKey", otherKey);
    app.ReadFromRegistry();
    EXPECT_EQ(app.mRegKey, otherKey);
    int value = 0;
    EXPECT_TRUE(Quill::Platform::SettingsStore(otherKey).Read("InProgress").has_value());
    EXPECT_FALSE(app.RegistryReadInteger("Missing", value));
}

TEST_F(AppSettingsTest, InProgressMarksARunUntilItEndsCleanly)
{
    TestApp& first = StartApp();
    int value = -1;
    ASSERT_TRUE(first.RegistryReadInteger("InProgress", value));
    EXPECT_EQ(value, 1);
    EXPECT_TRUE(first.mLastShutdownWasGraceful);
    first.mOnUpdate = [&first] {
        if (first.mUpdateCount == 20)
            first.Shutdown();
    };
    first.Start();
    ASSERT_TRUE(first.RegistryReadInteger("InProgress", value));
    EXPECT_EQ(value, 0);
    mApp.reset();

    TestApp& second = StartApp();
    EXPECT_TRUE(second.mLastShutdownWasGraceful);
    ASSERT_TRUE(second.RegistryReadInteger("InProgress", value));
    EXPECT_EQ(value, 1);
}

TEST_F(AppSettingsTest, ARunThatNeverEndedIsNoticedByTheNext)
{
    // A run that dies (here: ends the process) between start-up and shutdown leaves the marker set.
    EXPECT_EXIT(
        {
            StartApp();
            mApp->ExitProcess(3);
        },
        testing::ExitedWithCode(3), "");
    TestApp& app = StartApp();
    EXPECT_FALSE(app.mLastShutdownWasGraceful);
}

TEST_F(AppSettingsTest, ScreenSaverRunLeavesNoMarker)
{
    TestApp& app = StartApp("-screensaver");
    EXPECT_TRUE(app.mIsScreenSaver);
    EXPECT_FALSE(app.mSingleInstance);
    EXPECT_EQ(Window()->GetCursor(), Quill::Platform::CursorKind::Pointer);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_NONE);
    EXPECT_FALSE(Store().Read("InProgress").has_value());
}

TEST_F(AppSettingsTest, CommandLineParameters)
{
    TempDir folder;
    TestApp& app = MakeApp();
    app.mDemoFilePrefix = "run";
    app.mDemoFolder = folder.Path();
    app.SetCommandLine("\"/opt/my games/mewbloom\" -demofile=\"my demo.dmo\" -screensaver -crash");
    app.ParseCommandLine();
    EXPECT_TRUE(app.mCmdLineParsed);
    EXPECT_EQ(app.mDemoFileName, "my demo.dmo");
    EXPECT_TRUE(app.mIsScreenSaver);
    EXPECT_TRUE(app.mCrashRequested);

    app.ParseCommandLineString("-record");
    EXPECT_TRUE(app.mRecording);
    app.ParseCommandLineString("-play");
    EXPECT_TRUE(app.mPlayingDemo);
    EXPECT_FALSE(app.mRecording);

    // Three numbered demos and room for three: the oldest goes and the next number is recorded.
    folder.Write("run1.dmo", "a");
    folder.Write("run2.dmo", "b");
    folder.Write("run3.dmo", "c");
    app.ParseCommandLineString("-recnum=3");
    EXPECT_TRUE(app.mRecording);
    EXPECT_EQ(app.mDemoFileName, "run4.dmo");
    EXPECT_FALSE(std::filesystem::exists(folder / "run1.dmo"));
    EXPECT_TRUE(std::filesystem::exists(folder / "run2.dmo"));

    app.ParseCommandLineString("-playnum=2");
    EXPECT_TRUE(app.mPlayingDemo);
    EXPECT_FALSE(app.mRecording);
    EXPECT_EQ(app.mDemoFileName, "run2.dmo");
}

TEST_F(AppSettingsTest, UnknownParameterIsRefusedWithUsageStatus)
{
    // The real platform without a display writes the box to standard error.
    EXPECT_EXIT(
        {
            TestApp app(nullptr);
            app.mProdName = UniqueProductName("Usage");
            app.SetCommandLine("mewbloom -screensaverx");
            app.Init();
        },
        testing::ExitedWithCode(Quill::QuillAppBase::kExitUsage),
        "Invalid Command Line Param: -screensaverx");
}

TEST_F(AppSettingsTest, DemoRequestIsRefusedUntilDemosExist)
{
    EXPECT_EXIT(
        {
            TestApp app(nullptr);
            app.mProdName = UniqueProductName("Demo");
            app.SetCommandLine("mewbloom -play");
            app.Init();
        },
        testing::ExitedWithCode(Quill::QuillAppBase::kExitFailure), "not available");
}

TEST_F(AppSettingsTest, CrashParameterEndsInACrashReport)
{
    // The report reaches the crash file too: its folder in the product's data folder is made
    // by start-up (a first run has none, and the handler itself cannot make it).
    EXPECT_DEATH(
        {
            TestApp app(nullptr);
            app.mProdName = UniqueProductName("Crash");
            app.mProductVersion = "9.8.7";
            app.SetCommandLine("mewbloom -crash");
            app.Init();
        },
        "Version: 9.8.7\n.+Crash report written to .+/crash\\.txt");
}

TEST_F(AppSettingsTest, StartsWithNeitherAHomeNorATemporaryFolder)
{
    // As from a bare service environment: no data or home folder, and a temporary folder that is not there.
    EXPECT_EXIT(
        {
            ::unsetenv("XDG_DATA_HOME");
            ::unsetenv("HOME");
            ::setenv("TMPDIR", "/nonexistent/mewbloom-test", 1);
            TestApp app(&mPlatform);
            app.mProdName = UniqueProductName("NoHome");
            app.Init();
            std::_Exit(app.mInitialized ? 3 : 4);
        },
        testing::ExitedWithCode(3), "");
}

TEST_F(AppSettingsTest, ScreenSaverErrorsGoToTheLogFile)
{
    TempDir folder;
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(folder.Path());
    folder.Write("ScrError.txt", "an older run\n");
    TestApp& app = MakeApp();
    app.mIsScreenSaver = true;
    app.Popup("first problem");
    EXPECT_EQ(app.MsgBox("second problem", "Title", Quill::MSGBOX_YESNO), Quill::MSGBOX_ANSWER_OK);
    const std::string log = folder.Read("ScrError.txt");
    std::filesystem::current_path(oldDir);

    EXPECT_TRUE(mPlatform.GetMessageBoxes().empty());
    // The first line of the run starts the file afresh; later ones are appended.
    EXPECT_EQ(log.find("an older run"), std::string::npos);
    const auto first = log.find("first problem ");
    const auto second = log.find("second problem ");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    EXPECT_LT(first, second);
    // Each line: text, hh:mm:ss, tick count.
    const std::string firstLine = log.substr(first, log.find('\n', first) - first);
    EXPECT_EQ(firstLine.size(),
              std::string("first problem 00:00:00 ").size() + std::to_string(app.GetTickCount()).size());
}

TEST_F(AppSettingsTest, PopupShowsAFatalErrorBoxUnlessShuttingDown)
{
    TestApp& app = MakeApp();
    app.Popup("Something broke");
    ASSERT_EQ(mPlatform.GetMessageBoxes().size(), 1u);
    EXPECT_EQ(mPlatform.GetMessageBoxes()[0].mTitle, "FATAL ERROR");
    EXPECT_EQ(mPlatform.GetMessageBoxes()[0].mText, "Something broke");
    EXPECT_EQ(mPlatform.GetMessageBoxes()[0].mIcon, Quill::Platform::MessageBoxIcon::Error);

    app.Shutdown();
    app.Popup("Couldn't save \"InstantDrop\" to registry");
    EXPECT_EQ(mPlatform.GetMessageBoxes().size(), 1u);
    const auto lines = mPlatform.GetDebugOutput();
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "FATAL ERROR: Couldn't save \"InstantDrop\" to registry\n"),
        lines.end());
}

} // namespace
} // namespace QuillTest
