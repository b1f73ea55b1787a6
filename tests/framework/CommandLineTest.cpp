#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "framework/CommandLine.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Params = std::vector<std::pair<std::string, std::string>>;

Params Parse(std::string_view text)
{
    Params params;
    Quill::ParseCommandLineString(
        text, [&](const std::string& name, const std::string& value) { params.emplace_back(name, value); });
    return params;
}

TEST(CommandLineTest, ParametersSplitOnSpacesQuotesAndTheFirstEquals)
{
    EXPECT_EQ(Parse("-play -demofile=\"my demo.dmo\" -recnum=3  -x=a=b \"-quoted name=v w\" -screensaver"),
              (Params{{"-play", ""},
                      {"-demofile", "my demo.dmo"},
                      {"-recnum", "3"},
                      {"-x", "a=b"},
                      {"-quoted name", "v w"},
                      {"-screensaver", ""}}));
    // The last character ends the last parameter, however short.
    EXPECT_EQ(Parse("x"), (Params{{"x", ""}}));
    EXPECT_EQ(Parse("-recnum=7"), (Params{{"-recnum", "7"}}));
    // A closing quote ends the parameter; an unclosed one runs to the end.
    EXPECT_EQ(Parse("-demofile=\"a b\"c"), (Params{{"-demofile", "a b"}, {"c", ""}}));
    EXPECT_EQ(Parse("-demofile=\"open to the end"), (Params{{"-demofile", "open to the end"}}));
    EXPECT_EQ(Parse("-demofile=\"\""), (Params{{"-demofile", ""}}));
    // Unknown parameters reach the handler exactly as typed, for it to refuse.
    EXPECT_EQ(Parse("-Play /bogus=1 ="), (Params{{"-Play", ""}, {"/bogus", "1"}, {"", ""}}));
    // Nothing, or only separators, makes no parameter.
    EXPECT_TRUE(Parse("").empty());
    EXPECT_TRUE(Parse("   ").empty());
    EXPECT_TRUE(Parse("\"\" ").empty());
}

TEST(CommandLineTest, ProgramNameIsSkippedAndArgvRebuilt)
{
    EXPECT_EQ(Quill::SkipProgramName("\"C:\\Program Files\\Mewbloom.exe\" -play"), "-play");
    EXPECT_EQ(Quill::SkipProgramName("mewbloom   -record -demofile=x"), "-record -demofile=x");
    EXPECT_EQ(Quill::SkipProgramName("\"my game\"x -crash"), "-crash");
    EXPECT_EQ(Quill::SkipProgramName("mewbloom"), "");
    EXPECT_EQ(Quill::SkipProgramName("\"unterminated -play"), "");
    EXPECT_EQ(Quill::SkipProgramName(""), "");

    const char* argv[] = {
        "/opt/my games/mewbloom", "-demofile=my demo.dmo", "", "-recnum=3", "-demofile=\"a b.dmo\"", nullptr};
    const std::string text = Quill::CommandLineFromArgs(5, argv);
    EXPECT_EQ(Parse(Quill::SkipProgramName(text)),
              (Params{{"-demofile", "my demo.dmo"}, {"-recnum", "3"}, {"-demofile", "a b.dmo"}}));
    const char* onlyName[] = {"mewbloom", nullptr};
    EXPECT_TRUE(Parse(Quill::SkipProgramName(Quill::CommandLineFromArgs(1, onlyName))).empty());
    const char* emptyName[] = {"", "-play", nullptr};
    EXPECT_EQ(Parse(Quill::SkipProgramName(Quill::CommandLineFromArgs(2, emptyName))),
              (Params{{"-play", ""}}));
    EXPECT_TRUE(Parse(Quill::SkipProgramName(Quill::CommandLineFromArgs(0, nullptr))).empty());
}

TEST(CommandLineTest, IntegerValuesReadLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(Quill::CommandLineInteger("3"), 3);
    EXPECT_EQ(Quill::CommandLineInteger("  12abc"), 12);
    EXPECT_EQ(Quill::CommandLineInteger("-4"), -4);
    EXPECT_EQ(Quill::CommandLineInteger("+8"), 8);
    EXPECT_EQ(Quill::CommandLineInteger(""), 0);
    EXPECT_EQ(Quill::CommandLineInteger("x5"), 0);
    EXPECT_EQ(Quill::CommandLineInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(Quill::CommandLineInteger("-99999999999999999999"), INT_MIN);
}

class NumberedDemoTest : public testing::Test {
protected:
    QuillTest::TempDir mDir;

    void Touch(const std::string& name) const { mDir.Write(name, "demo"); }
    [[nodiscard]] bool Exists(const std::string& name) const { return fs::exists(mDir / name); }
};

TEST_F(NumberedDemoTest, OnlyExactNumberedNamesCount)
{
    for (const char* name :
         {"quillapp1.dmo", "quillapp3.dmo", "quillapp10.dmo", "quillapp.dmo", "quillapp02.dmo",
          "quillapp4x.dmo", "quillapp-5.dmo", "quillapp+6.dmo", "other7.dmo", "quillapp8.DMO",
          "quillapp9.dmo.bak", "xquillapp11.dmo", "quillapp1234567890.dmo"})
        Touch(name);
    fs::create_directories(mDir / "quillapp12.dmo");
    EXPECT_EQ(Quill::FindNumberedDemos(mDir.Path(), "quillapp"), (std::vector<int>{1, 3, 10}));
    EXPECT_EQ(Quill::FindNumberedDemos(mDir.Path(), "other"), (std::vector<int>{7}));
    EXPECT_TRUE(Quill::FindNumberedDemos(mDir / "missing", "quillapp").empty());
}

TEST_F(NumberedDemoTest, RecnumDeletesTheLowestAndRecordsIntoTheNextNumber)
{
    for (const char* name : {"quillapp1.dmo", "quillapp2.dmo", "quillapp3.dmo", "quillapp.dmo"})
        Touch(name);
    EXPECT_EQ(Quill::PrepareNumberedRecording(mDir.Path(), "quillapp", "3"), "quillapp4.dmo");
    EXPECT_FALSE(Exists("quillapp1.dmo"));
    EXPECT_TRUE(Exists("quillapp2.dmo"));
    EXPECT_TRUE(Exists("quillapp3.dmo"));
    EXPECT_TRUE(Exists("quillapp.dmo")) << "the unnumbered demo is not one of them";

    // Fewer than n: nothing is deleted.
    EXPECT_EQ(Quill::PrepareNumberedRecording(mDir.Path(), "quillapp", "3"), "quillapp4.dmo");
    EXPECT_TRUE(Exists("quillapp2.dmo"));
}

TEST_F(NumberedDemoTest, RecnumKeepsAtMostNAndDefaultsToFive)
{
    EXPECT_EQ(Quill::PrepareNumberedRecording(mDir.Path(), "quillapp", "2"), "quillapp1.dmo") << "none yet";
    for (int i = 4; i <= 11; ++i)
        Touch("quillapp" + std::to_string(i) + ".dmo");
    // Lowered from a larger count: all but the newest n - 1 go, to make room for the new one.
    EXPECT_EQ(Quill::PrepareNumberedRecording(mDir.Path(), "quillapp", "3"), "quillapp12.dmo");
    EXPECT_EQ(Quill::FindNumberedDemos(mDir.Path(), "quillapp"), (std::vector<int>{10, 11}));

    for (int i = 12; i <= 16; ++i)
        Touch("quillapp" + std::to_string(i) + ".dmo");
    for (const char* value : {"0", "", "-2", "junk"}) {
        EXPECT_EQ(Quill::PrepareNumberedRecording(mDir.Path(), "quillapp", value), "quillapp17.dmo") << value;
        EXPECT_EQ(Quill::FindNumberedDemos(mDir.Path(), "quillapp"), (std::vector<int>{13, 14, 15, 16}))
            << value;
    }
}

TEST_F(NumberedDemoTest, PlaynumCountsBackFromTheNewest)
{
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", "1"), "quillapp0.dmo")
        << "none: not found later";
    for (int i : {2, 3, 4})
        Touch("quillapp" + std::to_string(i) + ".dmo");
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", "1"), "quillapp4.dmo");
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", ""), "quillapp4.dmo");
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", "-3"), "quillapp4.dmo");
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", "3"), "quillapp2.dmo");
    EXPECT_EQ(Quill::NumberedPlaybackName(mDir.Path(), "quillapp", "5"), "quillapp0.dmo");
}

} // namespace
