#include "platform/SettingsFile.h"

#include <algorithm>
#include <charconv>

namespace Quill::Platform {

namespace {

// regedit wraps hex lists so that no line is longer than this, the continuation '\' included.
constexpr std::size_t kHexLineWidth = 80;
// The older header regedit also reads.
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kLineEnd = "\r\n";

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits, nothing else.
std::optional<std::uint32_t> ParseHexNumber(std::string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(d);
    }
    return value;
}

// A quoted text starting at text[0] == '"', with \\ and \" escapes. On success the text is
// advanced past the closing quote.
std::optional<std::string> ParseQuoted(std::string_view& text)
{
    std::string out;
    std::size_t i = 1;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (c == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"'))
                return std::nullopt;
            out.push_back(text[i + 1]);
            i += 2;
            continue;
        }
        out.push_back(c);
        ++i;
    }
    return std::nullopt;
}

void AppendQuoted(std::string& out, std::string_view text)
{
    out.push_back('"');
    for (char c : text) {
        if (c == '\\' || c == '"')
            out.push_back('\\');
        out.push_back(c);
    }
    out.push_back('"');
}

// Whether the continuation of a hex list can be what the line holds: hex digits, commas, blanks
// and a final '\'. Anything else (a section, a value) is not swallowed into a cut-off list.
bool LooksLikeHexContinuation(std::string_view line)
{
    return std::all_of(line.begin(), line.end(), [](char c) {
        return HexDigit(c) >= 0 || c == ',' || IsBlank(c) || c == '\\' || c == '\r';
    });
}

// "01,ab, 7" → bytes; a trailing comma is allowed, an empty or over-long byte is not.
std::optional<std::vector<std::uint8_t>> ParseHexList(std::string_view text)
{
    std::vector<std::uint8_t> bytes;
    text = Trim(text);
    if (text.empty())
        return bytes;
    bytes.reserve(text.size() / 3 + 1);
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string_view token = Trim(
            text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) {
            if (!token.empty()) {
                const auto value = ParseHexNumber(token, 2);
                if (!value)
                    return std::nullopt;
                bytes.push_back(static_cast<std::uint8_t>(*value));
            }
            return bytes;
        }
        const auto value = ParseHexNumber(token, 2);
        if (!value)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*value));
        start = comma + 1;
    }
}

// Strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) without C0 controls
// or DEL: such a string is written in quotes, anything else as hex(1).
bool IsPlainText(std::span<const std::uint8_t> bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const std::uint8_t b = bytes[i];
        if (b < 0x80) {
            if (b < 0x20 || b == 0x7F)
                return false;
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t minimum = 0;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            code = b & 0x1Fu;
            minimum = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            code = b & 0x0Fu;
            minimum = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            code = b & 0x07u;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (bytes[i + k] & 0x3Fu);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

void AppendHexList(std::string& out, std::size_t lineStart, std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        // Room for "xx," and the continuation backslash.
        if (out.size() - lineStart + 3 + 1 > kHexLineWidth) {
            out += '\\';
            out += kLineEnd;
            lineStart = out.size();
            out += "  ";
        }
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 0x0F];
        if (!last)
            out += ',';
    }
}

void AppendHexNumber(std::string& out, std::uint32_t value, int minDigits)
{
    char digits[8];
    const auto result = std::to_chars(digits, digits + sizeof digits, value, 16);
    const auto count = static_cast<int>(result.ptr - digits);
    for (int i = count; i < minDigits; ++i)
        out += '0';
    out.append(digits, result.ptr);
}

// The lines of the text, each without its line end.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Whether a full key path can be a section: non-empty components without control characters.
bool IsValidSectionPath(std::string_view path)
{
    if (path.empty() || path.front() == '-')
        return false;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('\\', start);
        const std::string_view component =
            path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
        if (!SettingsFile::IsValidKeyComponent(component))
            return false;
        if (slash == std::string_view::npos)
            return true;
        start = slash + 1;
    }
}

} // namespace

bool SettingsFile::IsValidKeyComponent(std::string_view component)
{
    return !component.empty() && std::none_of(component.begin(), component.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\\';
    });
}

bool SettingsFile::IsValidValueName(std::string_view name)
{
    return name.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

SettingsFile SettingsFile::Parse(std::span<const std::uint8_t> bytes)
{
    SettingsFile file;
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::vector<std::string_view> lines = SplitLines(text);

    // Index of the section the lines belong to; none after a section header that could not be read.
    constexpr std::size_t kNoSection = static_cast<std::size_t>(-1);
    std::size_t section = kNoSection;
    bool seenContent = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = Trim(lines[i]);
        if (line.empty() || line.front() == ';')
            continue;
        const bool first = !seenContent;
        seenContent = true;
        if (first && (line == kHeader || line == kOldHeader))
            continue;

        if (line.front() == '[') {
            section = kNoSection;
            if (line.size() < 2 || line.back() != ']' ||
                !IsValidSectionPath(line.substr(1, line.size() - 2))) {
                ++file.mSkippedLines;
                continue;
            }
            const std::string_view path = line.substr(1, line.size() - 2);
            section = file.SectionFor(path);
            continue;
        }

        if (section == kNoSection || (line.front() != '"' && line.front() != '@')) {
            ++file.mSkippedLines;
            continue;
        }

        // The value's name.
        std::string_view rest = line;
        std::string name;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            auto quoted = ParseQuoted(rest);
            if (!quoted || !IsValidValueName(*quoted)) {
                ++file.mSkippedLines;
                continue;
            }
            name = std::move(*quoted);
        }
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=') {
            ++file.mSkippedLines;
            continue;
        }
        rest = Trim(rest.substr(1));

        // The value's data.
        std::optional<RegValue> value;
        if (!rest.empty() && rest.front() == '"') {
            auto quoted = ParseQuoted(rest);
            if (quoted && Trim(rest).empty())
                value = RegValue{RegType::String, std::vector<std::uint8_t>(quoted->begin(), quoted->end())};
        } else if (StartsWithNoCase(rest, "dword:")) {
            if (const auto number = ParseHexNumber(Trim(rest.substr(6)), 8)) {
                const std::uint32_t n = *number;
                value = RegValue{RegType::DWord,
                                 {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                                  static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)}};
            }
        } else if (StartsWithNoCase(rest, "hex")) {
            std::optional<RegType> type;
            std::string_view list;
            if (StartsWithNoCase(rest, "hex:")) {
                type = RegType::Binary;
                list = rest.substr(4);
            } else if (rest.size() > 4 && rest[3] == '(') {
                const std::size_t close = rest.find("):");
                if (close != std::string_view::npos)
                    if (const auto number = ParseHexNumber(rest.substr(4, close - 4), 8)) {
                        type = static_cast<RegType>(*number);
                        list = rest.substr(close + 2);
                    }
            }
            if (type) {
                // Continuation lines: a list ending in '\' goes on in the next line. A list cut
                // off (by the end of the text, or by a line that cannot continue it) is damaged.
                std::string joined;
                bool complete = true;
                std::string_view part = Trim(list);
                while (!part.empty() && part.back() == '\\') {
                    joined.append(part.substr(0, part.size() - 1));
                    if (i + 1 >= lines.size() || Trim(lines[i + 1]).empty() ||
                        !LooksLikeHexContinuation(lines[i + 1])) {
                        complete = false;
                        break;
                    }
                    ++i;
                    part = Trim(lines[i]);
                }
                if (complete) {
                    joined.append(part);
                    if (auto data = ParseHexList(joined))
                        value = RegValue{*type, std::move(*data)};
                }
            }
        }
        if (!value) {
            ++file.mSkippedLines;
            continue;
        }
        file.Store(section, name, std::move(*value));
    }
    return file;
}

std::string SettingsFile::Format() const
{
    std::string out;
    out += kHeader;
    out += kLineEnd;
    for (const Section& section : mSections) {
        out += kLineEnd;
        out += '[';
        out += section.path;
        out += ']';
        out += kLineEnd;
        for (const Entry& entry : section.entries) {
            const std::size_t lineStart = out.size();
            if (entry.name.empty())
                out += '@';
            else
                AppendQuoted(out, entry.name);
            out += '=';
            const RegValue& value = entry.value;
            if (value.type == RegType::String && IsPlainText(value.data)) {
                AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(value.data.data()),
                                                   value.data.size()));
            } else if (value.type == RegType::DWord && value.data.size() == 4) {
                const std::uint32_t n = value.data[0] | (std::uint32_t{value.data[1]} << 8) |
                                        (std::uint32_t{value.data[2]} << 16) |
                                        (std::uint32_t{value.data[3]} << 24);
                out += "dword:";
                AppendHexNumber(out, n, 8);
            } else {
                if (value.type == RegType::Binary) {
                    out += "hex:";
                } else {
                    out += "hex(";
                    AppendHexNumber(out, static_cast<std::uint32_t>(value.type), 1);
                    out += "):";
                }
                AppendHexList(out, lineStart, value.data);
            }
            out += kLineEnd;
        }
    }
    return out;
}

std::optional<std::size_t> SettingsFile::FindSection(std::string_view path) const
{
    const auto it = mSectionIndex.find(Lower(path));
    if (it == mSectionIndex.end())
        return std::nullopt;
    return it->second;
}

std::size_t SettingsFile::SectionFor(std::string_view path)
{
    if (const auto index = FindSection(path))
        return *index;
    mSectionIndex.emplace(Lower(path), mSections.size());
    mEntryIndex.emplace_back();
    mSections.push_back(Section{std::string(path), {}});
    return mSections.size() - 1;
}

const RegValue* SettingsFile::Find(std::string_view path, std::string_view name) const
{
    const auto section = FindSection(path);
    if (!section)
        return nullptr;
    const auto& index = mEntryIndex[*section];
    const auto it = index.find(Lower(name));
    if (it == index.end())
        return nullptr;
    return &mSections[*section].entries[it->second].value;
}

void SettingsFile::Store(std::size_t section, std::string_view name, RegValue value)
{
    auto& index = mEntryIndex[section];
    auto& entries = mSections[section].entries;
    const auto [it, inserted] = index.emplace(Lower(name), entries.size());
    if (inserted)
        entries.push_back(Entry{std::string(name), std::move(value)});
    else
        entries[it->second].value = std::move(value);
}

bool SettingsFile::Set(std::string_view path, std::string_view name, RegValue value)
{
    if (!IsValidSectionPath(path) || !IsValidValueName(name))
        return false;
    Store(SectionFor(path), name, std::move(value));
    return true;
}

bool SettingsFile::Erase(std::string_view path, std::string_view name)
{
    const auto section = FindSection(path);
    if (!section)
        return false;
    auto& index = mEntryIndex[*section];
    const auto it = index.find(Lower(name));
    if (it == index.end())
        return false;
    auto& entries = mSections[*section].entries;
    const std::size_t removed = it->second;
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(removed));
    index.erase(it);
    for (auto& [key, position] : index)
        if (position > removed)
            --position;
    return true;
}

} // namespace Quill::Platform
