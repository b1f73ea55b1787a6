#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/SettingsFile.h"

namespace {

using Quill::Platform::RegType;
using Quill::Platform::RegValue;
using Quill::Platform::SettingsFile;

const std::string kRoot = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom";

std::vector<std::uint8_t> Bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

SettingsFile ParseText(std::string_view text)
{
    const auto bytes = Bytes(text);
    return SettingsFile::Parse(bytes);
}

RegValue Text(std::string_view text)
{
    return {RegType::String, Bytes(text)};
}

RegValue DWord(std::uint32_t n)
{
    return {RegType::DWord,
            {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
             static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)}};
}

TEST(SettingsFileTest, EveryKindOfValueSurvivesFormatAndParse)
{
    std::vector<std::uint8_t> blob(300);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>(i * 7);
    const struct {
        std::string name;
        RegValue value;
    } cases[] = {
        {"Plain", Text("Alice Cooper")},
        {"Escapes", Text(R"(back\slash "quoted" \\)")},
        {"Utf8", Text("Gr\xc3\xbc\xc3\x9f"
                      "e \xe2\x9c\xbf")},
        {"Latin1", Text("caf\xe9")},
        {"Controls", Text("line\r\nbreak\ttab")},
        {"WithZero", Text(std::string_view("a\0b", 3))},
        {"Overlong", Text("\xc0\xaf")},
        {"Empty", Text("")},
        {"Count", DWord(0x4b)},
        {"Negative", DWord(0xffffffffu)},
        {"ShortDword", {RegType::DWord, {1, 2}}},
        {"Blob", {RegType::Binary, blob}},
        {"EmptyBlob", {RegType::Binary, {}}},
        {"Expand", {static_cast<RegType>(2), Bytes(std::string_view("%HOME%\0", 7))}},
        {"QWord", {static_cast<RegType>(0xb), {1, 2, 3, 4, 5, 6, 7, 8}}},
        {"", Text("default value")},
        {"name with \"quotes\", \\ and = signs", DWord(7)},
    };
    SettingsFile file;
    for (const auto& c : cases)
        ASSERT_TRUE(file.Set(kRoot, c.name, c.value)) << c.name;
    ASSERT_TRUE(file.Set(kRoot + "\\Sub\\Deeper", "Inner", DWord(3)));

    const std::string text = file.Format();
    const SettingsFile back = ParseText(text);
    EXPECT_EQ(back.SkippedLines(), 0u) << text;
    for (const auto& c : cases) {
        const RegValue* found = back.Find(kRoot, c.name);
        ASSERT_NE(found, nullptr) << c.name;
        EXPECT_EQ(*found, c.value) << c.name;
    }
    ASSERT_NE(back.Find(kRoot + "\\Sub\\Deeper", "Inner"), nullptr);
    EXPECT_EQ(back.Format(), text);

    // The shapes regedit writes.
    EXPECT_TRUE(text.starts_with("Windows Registry Editor Version 5.00\r\n\r\n[" + kRoot + "]\r\n")) << text;
    EXPECT_NE(text.find("\r\n\"Count\"=dword:0000004b\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"Negative\"=dword:ffffffff\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n\"Plain\"=\"Alice Cooper\"\r\n"), std::string::npos);
    EXPECT_NE(text.find(R"("Escapes"="back\\slash \"quoted\" \\\\")"), std::string::npos);
    EXPECT_NE(text.find("\"Latin1\"=hex(1):63,61,66,e9\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"ShortDword\"=hex(4):01,02\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"QWord\"=hex(b):01,02,03,04,05,06,07,08\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"EmptyBlob\"=hex:\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n@=\"default value\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\n[" + kRoot + "\\Sub\\Deeper]\r\n\"Inner\"=dword:00000003\r\n"),
              std::string::npos);
    // Long hex lists wrap at 80 columns with a trailing backslash.
    std::size_t start = 0;
    int continued = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << "every line ends in CRLF";
        EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
        if (end > start && text[end - 1] == '\\')
            ++continued;
        start = end + 2;
    }
    EXPECT_GE(continued, 10);
}

TEST(SettingsFileTest, ReadsHandWrittenAndOlderText)
{
    const SettingsFile file = ParseText("\xEF\xBB\xBFREGEDIT4\n"
                                        "\n"
                                        "; written by hand\n"
                                        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillby\\Mewbloom]\n"
                                        "  \"MusicVolume\" = DWORD:0000004B  \r\n"
                                        "\"Blob\"=hex:01,02,03,\\\n"
                                        "  04,05,\\\n"
                                        "\tFF\n"
                                        "\"Wide\"=HEX(2):41,00,00,00\n"
                                        "\"Short\"=dword:1f\n"
                                        "@=\"root default\"\n"
                                        "[hkey_local_machine\\software\\quillby\\mewbloom]\n"
                                        "\"musicvolume\"=dword:00000050\n");
    EXPECT_EQ(file.SkippedLines(), 0u);
    ASSERT_EQ(file.Sections().size(), 1u) << "section names match regardless of case";
    ASSERT_EQ(file.Sections()[0].entries.size(), 5u);
    EXPECT_EQ(file.Sections()[0].entries[0].name, "MusicVolume") << "the first spelling is kept";
    const RegValue* volume = file.Find(kRoot, "MUSICVOLUME");
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(*volume, DWord(0x50)) << "a later line replaces an earlier one";
    ASSERT_NE(file.Find(kRoot, "Blob"), nullptr);
    EXPECT_EQ(*file.Find(kRoot, "Blob"), (RegValue{RegType::Binary, {1, 2, 3, 4, 5, 0xff}}));
    ASSERT_NE(file.Find(kRoot, "Wide"), nullptr);
    EXPECT_EQ(static_cast<std::uint32_t>(file.Find(kRoot, "Wide")->type), 2u);
    ASSERT_NE(file.Find(kRoot, "Short"), nullptr);
    EXPECT_EQ(*file.Find(kRoot, "Short"), DWord(0x1f));
    ASSERT_NE(file.Find(kRoot, ""), nullptr);
    EXPECT_EQ(*file.Find(kRoot, ""), Text("root default"));
}

TEST(SettingsFileTest, DamagedTextKeepsEveryGoodValue)
{
    std::string text = "Windows Registry Editor Version 5.00\r\n"
                       "\"Orphan\"=dword:00000001\r\n" // before any section
                       "[" +
                       kRoot +
                       "]\r\n"
                       "\"Good1\"=dword:00000001\r\n"
                       "garbage line\r\n"
                       "\"BadDword\"=dword:xyz\r\n"
                       "\"TooLong\"=dword:123456789\r\n"
                       "\"Unterminated\"=\"abc\r\n"
                       "\"BadEscape\"=\"C:\\games\"\r\n"
                       "\"Trailing\"=\"x\" junk\r\n"
                       "\"BadHex\"=hex:01,zz\r\n"
                       "\"WideByte\"=hex:123\r\n"
                       "\"EmptyByte\"=hex:01,,02\r\n"
                       "\"BadType\"=hex(xyz):01\r\n"
                       "\"Deleted\"=-\r\n"
                       "\"NoEquals\"\r\n"
                       "\"Bad\nName\"=dword:00000001\r\n"
                       "\"Good2\"=\"two\"\r\n"
                       "[" +
                       kRoot +
                       "\\\\Empty]\r\n" // empty component: the values below have no home
                       "\"Lost\"=dword:00000001\r\n"
                       "[" +
                       kRoot +
                       "\\Sub]\r\n"
                       "\"Good3\"=hex:0a\r\n"
                       "\"Cut\"=hex:01,02,\\\r\n" // cut off by the next section
                       "[" +
                       kRoot + "]\r\n";
    text += "\"Junk\xff\xfe\"=\x01\x02";
    text.push_back('\0');
    text += "\x80\r\n";
    text += std::string(1 << 20, 'q') + "\r\n"; // a huge line
    text += "\"Good4\"=dword:00000004\r\n"
            "\"Truncated\"=hex:01,02,\\\r\n"; // cut off by the end of the text

    const SettingsFile file = ParseText(text);
    ASSERT_NE(file.Find(kRoot, "Good1"), nullptr);
    EXPECT_EQ(*file.Find(kRoot, "Good1"), DWord(1));
    ASSERT_NE(file.Find(kRoot, "Good2"), nullptr);
    EXPECT_EQ(*file.Find(kRoot, "Good2"), Text("two"));
    ASSERT_NE(file.Find(kRoot + "\\Sub", "Good3"), nullptr);
    EXPECT_EQ(*file.Find(kRoot + "\\Sub", "Good3"), (RegValue{RegType::Binary, {0x0a}}));
    ASSERT_NE(file.Find(kRoot, "Good4"), nullptr) << "the section after a cut-off list still counts";
    EXPECT_EQ(*file.Find(kRoot, "Good4"), DWord(4));

    for (const char* bad :
         {"Orphan", "BadDword", "TooLong", "Unterminated", "BadEscape", "Trailing", "BadHex", "WideByte",
          "EmptyByte", "BadType", "Deleted", "NoEquals", "Lost", "Truncated"})
        EXPECT_EQ(file.Find(kRoot, bad), nullptr) << bad;
    EXPECT_EQ(file.Find(kRoot + "\\Sub", "Cut"), nullptr);
    // Every damaged line is counted; "Bad\nName" spans two lines, both unreadable.
    EXPECT_EQ(file.SkippedLines(), 21u);

    // What is written back is clean.
    EXPECT_EQ(ParseText(file.Format()).SkippedLines(), 0u);
}

TEST(SettingsFileTest, SetAndEraseKeepTheRestInPlace)
{
    SettingsFile file;
    for (int i = 0; i < 6; ++i)
        ASSERT_TRUE(file.Set(kRoot, "Value" + std::to_string(i), DWord(static_cast<std::uint32_t>(i))));
    ASSERT_TRUE(file.Set(kRoot, "VALUE2", Text("replaced")));
    EXPECT_EQ(file.Sections()[0].entries[2].name, "Value2");

    EXPECT_TRUE(file.Erase(kRoot, "value1"));
    EXPECT_FALSE(file.Erase(kRoot, "Value1"));
    EXPECT_FALSE(file.Erase(kRoot + "\\Missing", "Value2"));
    EXPECT_EQ(file.Find(kRoot, "Value1"), nullptr);
    // The values after the erased one are still found, and stay in order.
    for (int i : {0, 3, 4, 5}) {
        ASSERT_NE(file.Find(kRoot, "Value" + std::to_string(i)), nullptr) << i;
        EXPECT_EQ(*file.Find(kRoot, "Value" + std::to_string(i)), DWord(static_cast<std::uint32_t>(i)));
    }
    ASSERT_NE(file.Find(kRoot, "Value2"), nullptr);
    EXPECT_EQ(*file.Find(kRoot, "Value2"), Text("replaced"));
    EXPECT_TRUE(file.Erase(kRoot, "Value4"));
    ASSERT_TRUE(file.Set(kRoot, "Value6", DWord(6)));
    EXPECT_EQ(*file.Find(kRoot, "Value5"), DWord(5));
    EXPECT_EQ(*file.Find(kRoot, "Value6"), DWord(6));

    // Names and paths that could not be read back are refused.
    EXPECT_FALSE(file.Set(kRoot, "line\nbreak", DWord(1)));
    EXPECT_FALSE(file.Set(kRoot, std::string("nul\0", 4), DWord(1)));
    EXPECT_FALSE(file.Set(kRoot + "\\\\Empty", "x", DWord(1)));
    EXPECT_FALSE(file.Set(kRoot + "\\Tab\there", "x", DWord(1)));
    EXPECT_FALSE(file.Set("-" + kRoot, "x", DWord(1)));
    EXPECT_EQ(file.Sections().size(), 1u);
}

} // namespace
