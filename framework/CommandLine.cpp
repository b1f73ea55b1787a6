#include "framework/CommandLine.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Quill {

namespace {

constexpr std::string_view kDemoExtension = ".dmo";
// Digits of the largest demo number (kMaxDemoNumber - 1).
constexpr std::size_t kMaxDemoDigits = 9;

// <prefix><number>.dmo
std::string DemoName(std::string_view prefix, long long number)
{
    return std::string(prefix) + std::to_string(number) + std::string(kDemoExtension);
}

// The number in "<prefix><n>.dmo", if the file name is exactly that.
std::optional<int> DemoNumber(std::string_view fileName, std::string_view prefix)
{
    if (!fileName.starts_with(prefix) || !fileName.ends_with(kDemoExtension))
        return std::nullopt;
    if (fileName.size() < prefix.size() + kDemoExtension.size())
        return std::nullopt;
    const std::string_view digits =
        fileName.substr(prefix.size(), fileName.size() - prefix.size() - kDemoExtension.size());
    if (digits.empty() || digits.size() > kMaxDemoDigits || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + (c - '0');
    }
    return number;
}

} // namespace

std::string_view SkipProgramName(std::string_view commandLine)
{
    std::size_t i = 0;
    if (i < commandLine.size() && commandLine[i] == '"') {
        ++i;
        while (i < commandLine.size() && commandLine[i] != '"')
            ++i;
        if (i < commandLine.size())
            ++i;
    }
    while (i < commandLine.size() && commandLine[i] != ' ')
        ++i;
    while (i < commandLine.size() && commandLine[i] == ' ')
        ++i;
    return commandLine.substr(i);
}

std::string CommandLineFromArgs(int argc, const char* const* argv)
{
    std::string text;
    // The program name is always there, so that SkipProgramName skips it and nothing else.
    const std::string_view program = (argc > 0 && argv != nullptr && argv[0] != nullptr) ? argv[0] : "";
    if (program.empty() || program.find(' ') != std::string_view::npos) {
        text += '"';
        text += program;
        text += '"';
    } else {
        text += program;
    }
    for (int i = 1; i < argc && argv != nullptr && argv[i] != nullptr; ++i) {
        const std::string_view arg = argv[i];
        if (arg.empty())
            continue;
        text += ' ';
        if (arg.find(' ') != std::string_view::npos && arg.find('"') == std::string_view::npos) {
            text += '"';
            text += arg;
            text += '"';
        } else {
            text += arg;
        }
    }
    return text;
}

void ParseCommandLineString(std::string_view text,
                            const std::function<void(const std::string&, const std::string&)>& handle)
{
    std::string name;
    std::string value;
    bool inValue = false;
    bool quoted = false;
    const auto endParameter = [&] {
        if (!name.empty() || !value.empty() || inValue)
            handle(name, value);
        name.clear();
        value.clear();
        inValue = false;
    };
    for (char c : text) {
        if (c == '"') {
            if (quoted)
                endParameter();
            quoted = !quoted;
        } else if (c == ' ' && !quoted) {
            endParameter();
        } else if (c == '=' && !inValue) {
            inValue = true;
        } else {
            (inValue ? value : name).push_back(c);
        }
    }
    endParameter();
}

int CommandLineInteger(std::string_view value)
{
    std::size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || (value[i] >= '\t' && value[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    std::int64_t number = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        number = std::min<std::int64_t>(number * 10 + (value[i] - '0'), std::int64_t{INT_MAX} + 1);
    if (negative)
        number = -number;
    return static_cast<int>(std::clamp<std::int64_t>(number, INT_MIN, INT_MAX));
}

std::vector<int> FindNumberedDemos(const std::filesystem::path& folder, std::string_view prefix)
{
    std::vector<int> numbers;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        if (const auto number = DemoNumber(it->path().filename().native(), prefix))
            numbers.push_back(*number);
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

std::string PrepareNumberedRecording(const std::filesystem::path& folder, std::string_view prefix,
                                     std::string_view value)
{
    constexpr int kDefaultKeep = 5;
    int keep = CommandLineInteger(value);
    if (keep < 1)
        keep = kDefaultKeep;
    const std::vector<int> numbers = FindNumberedDemos(folder, prefix);
    // The new recording is one of the kept ones: make room for it.
    for (std::size_t first = 0; numbers.size() - first >= static_cast<std::size_t>(keep); ++first) {
        std::error_code ec;
        std::filesystem::remove(folder / DemoName(prefix, numbers[first]), ec);
    }
    return DemoName(prefix, numbers.empty() ? 1 : numbers.back() + 1);
}

std::string NumberedPlaybackName(const std::filesystem::path& folder, std::string_view prefix,
                                 std::string_view value)
{
    const int back = std::max(CommandLineInteger(value), 1);
    const std::vector<int> numbers = FindNumberedDemos(folder, prefix);
    const long long highest = numbers.empty() ? 0 : numbers.back();
    return DemoName(prefix, highest - (back - 1));
}

} // namespace Quill
