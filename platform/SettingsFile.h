#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Quill::Platform {

// Value types, numbered as the Windows registry numbers them (demo files record the number).
// Other numbers (expand strings, multi-strings …) are kept and written back as raw bytes.
enum class RegType : std::uint32_t {
    String = 1,
    Binary = 3,
    DWord = 4
};

// One stored value: its type and its bytes exactly as written.
struct RegValue {
    RegType type = RegType::Binary;
    std::vector<std::uint8_t> data;

    bool operator==(const RegValue&) const = default;
};

// The settings text in the .reg format, held in memory: sections named by their full key path,
// each with named values. Key and value names match without regard to ASCII case, as the
// registry's do; the first spelling written is kept.
//
// Text form (lines end in CRLF when written; LF alone is accepted):
//   Windows Registry Editor Version 5.00
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Quillby\Mewbloom]
//   "Name"="text"          string of printable UTF-8 without control characters; \\ and \" escaped
//   "Name"=dword:0000004b  four-byte DWORD (little-endian value, shown as 8 hex digits)
//   "Name"=hex:01,02,…     raw bytes; long lists continue on the next line after a trailing '\'
//   "Name"=hex(N):…        any other type or shape, N in hex: a string that is not plain UTF-8 or
//                          holds control characters (hex(1), its bytes exactly, no terminator), a
//                          DWORD whose length is not 4 (hex(4)), and every other type number
//   @=…                    the key's default (unnamed) value
// Blank lines and lines starting with ';' are ignored. Any other line that cannot be read (and a
// hex list cut off by the end of the text) is skipped and counted; the rest still loads.
class SettingsFile {
public:
    // One named value of a section.
    struct Entry {
        std::string name;
        RegValue value;
    };
    // One key: its full path and its values in the order they were first stored.
    struct Section {
        std::string path;
        std::vector<Entry> entries;
    };

    // First line of every file written (regedit's 5.00 header).
    static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";

    // Reads the text line by line; lines that make no sense are skipped (see SkippedLines).
    [[nodiscard]] static SettingsFile Parse(std::span<const std::uint8_t> text);
    // The whole text, ready to be written; Parse gives back the same sections and values.
    [[nodiscard]] std::string Format() const;

    // The value named name in the section at path, if both exist.
    [[nodiscard]] const RegValue* Find(std::string_view path, std::string_view name) const;
    // Stores the value, creating the section when it is missing. False (and nothing stored) when
    // the path or the name could not be written and read back.
    [[nodiscard]] bool Set(std::string_view path, std::string_view name, RegValue value);
    // Removes the value; false when there was none.
    bool Erase(std::string_view path, std::string_view name);

    [[nodiscard]] const std::vector<Section>& Sections() const { return mSections; }
    // Lines Parse could not read (damage; blank lines, comments and the header do not count).
    [[nodiscard]] std::size_t SkippedLines() const { return mSkippedLines; }

    // Whether a key path component or a value name can be stored and read back: key components
    // hold no control characters, value names no CR, LF or NUL.
    [[nodiscard]] static bool IsValidKeyComponent(std::string_view component);
    [[nodiscard]] static bool IsValidValueName(std::string_view name);

private:
    // Index of the section at path (any case), if present.
    [[nodiscard]] std::optional<std::size_t> FindSection(std::string_view path) const;
    // Index of the section at path, created (empty) when missing.
    std::size_t SectionFor(std::string_view path);
    // Stores a parsed value (a later line replaces an earlier one of the same name).
    void Store(std::size_t section, std::string_view name, RegValue value);

    // Sections in the order they were first seen.
    std::vector<Section> mSections;
    // Lower-cased section path → index into mSections.
    std::unordered_map<std::string, std::size_t> mSectionIndex;
    // Per section: lower-cased value name → index into its entries.
    std::vector<std::unordered_map<std::string, std::size_t>> mEntryIndex;
    std::size_t mSkippedLines = 0;
};

} // namespace Quill::Platform
