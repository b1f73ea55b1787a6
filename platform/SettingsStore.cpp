#include "platform/SettingsStore.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Files.h"

namespace Quill::Platform {

namespace {

namespace fs = std::filesystem;

// Suffix of the lock file beside the settings file.
constexpr std::string_view kLockSuffix = ".lock";
// Backups made of an existing file that a change would otherwise drop or overwrite.
constexpr std::string_view kDamagedSuffix = ".damaged-";
constexpr std::string_view kUnreadableSuffix = ".unreadable-";
// Attempts at a free backup name within one second.
constexpr int kMaxBackupAttempts = 100;

// Holds an exclusive flock on a lock file for its life.
class FileLock {
public:
    explicit FileLock(const fs::path& path)
    {
        mFd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (mFd < 0)
            return;
        while (::flock(mFd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(mFd);
                mFd = -1;
                return;
            }
        }
    }
    ~FileLock()
    {
        if (mFd >= 0)
            ::close(mFd);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    [[nodiscard]] bool Held() const { return mFd >= 0; }

private:
    int mFd = -1;
};

// Where per-user settings live: $XDG_CONFIG_HOME, else ~/.config (empty when neither is known).
fs::path ConfigHome()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/')
        return fs::path(xdg);
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/')
        return fs::path(home) / ".config";
    if (const passwd* user = ::getpwuid(::getuid());
        user != nullptr && user->pw_dir != nullptr && user->pw_dir[0] == '/')
        return fs::path(user->pw_dir) / ".config";
    return {};
}

// Splits on '\', dropping empty components.
std::vector<std::string_view> SplitKey(std::string_view key)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string_view::npos)
            end = key.size();
        if (end > start)
            parts.push_back(key.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// A free name "<file><suffix><yyyymmdd-hhmmss>[-n]" beside the file, for a backup.
std::vector<fs::path> BackupCandidates(const fs::path& file, std::string_view suffix)
{
    char stamp[32] = "unknown";
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_r(&now, &local) != nullptr)
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::vector<fs::path> names;
    const std::string base = file.string() + std::string(suffix) + stamp;
    names.emplace_back(base);
    for (int n = 2; n <= kMaxBackupAttempts; ++n)
        names.emplace_back(base + "-" + std::to_string(n));
    return names;
}

// Keeps the unreadable file under a backup name. A hard link keeps it at both names, so a
// settings file exists at every moment; where links are impossible it is renamed instead.
bool SetAsideUnreadable(const fs::path& file)
{
    for (const fs::path& name : BackupCandidates(file, kUnreadableSuffix)) {
        if (::link(file.c_str(), name.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        std::error_code ec;
        if (fs::exists(name, ec))
            continue;
        return ::rename(file.c_str(), name.c_str()) == 0;
    }
    return false;
}

// Keeps a copy of a damaged file's bytes before the rewrite drops its damaged lines.
bool CopyDamaged(const fs::path& file, std::span<const std::uint8_t> bytes)
{
    for (const fs::path& name : BackupCandidates(file, kDamagedSuffix)) {
        std::error_code ec;
        if (fs::exists(name, ec) || ec)
            continue;
        return WriteFileAtomically(name, bytes);
    }
    return false;
}

} // namespace

SettingsStore::SettingsStore(std::string productKey) : mProductKey(std::move(productKey))
{
    if (mProductKey.empty())
        return;
    fs::path folder = ConfigHome();
    if (folder.empty())
        return;
    std::string keyPath(kRootKey);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = mProductKey.find('\\', start);
        const std::string_view part = std::string_view(mProductKey).substr(start, end - start);
        // Each component becomes a folder: nothing that could leave the config folder.
        if (!SettingsFile::IsValidKeyComponent(part) || part == "." || part == ".." ||
            part.find('/') != std::string_view::npos)
            return;
        folder /= part;
        keyPath += '\\';
        keyPath += part;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    mKeyPath = std::move(keyPath);
    mFilePath = folder / kFileName;
}

std::optional<SettingsStore::Location> SettingsStore::Locate(std::string_view name) const
{
    if (!IsUsable())
        return std::nullopt;
    Location location{mKeyPath, std::string(name)};
    if (const std::size_t slash = name.rfind('\\'); slash != std::string_view::npos) {
        for (std::string_view part : SplitKey(name.substr(0, slash))) {
            if (!SettingsFile::IsValidKeyComponent(part))
                return std::nullopt;
            location.section += '\\';
            location.section += part;
        }
        location.name = std::string(name.substr(slash + 1));
    }
    if (!SettingsFile::IsValidValueName(location.name))
        return std::nullopt;
    return location;
}

template <typename Change>
bool SettingsStore::Modify(Change&& change)
{
    if (!IsUsable())
        return false;
    std::error_code ec;
    fs::create_directories(mFilePath.parent_path(), ec);
    if (ec)
        return false;
    const FileLock lock(fs::path(mFilePath.string() + std::string(kLockSuffix)));
    if (!lock.Held())
        return false;

    const bool exists = fs::symlink_status(mFilePath, ec).type() != fs::file_type::not_found && !ec;
    const auto bytes = ReadWholeFile(mFilePath, kMaxFileBytes);
    SettingsFile file = bytes ? SettingsFile::Parse(*bytes) : SettingsFile{};
    if (!change(file))
        return false;
    const std::string text = file.Format();
    if (text.size() > kMaxFileBytes)
        return false;

    // Never destroy what could not be read: an unreadable file is set aside, a damaged one copied.
    if (exists && !bytes && !SetAsideUnreadable(mFilePath))
        return false;
    if (bytes && file.SkippedLines() > 0 && !CopyDamaged(mFilePath, *bytes))
        return false;
    return WriteFileAtomically(mFilePath, text);
}

bool SettingsStore::Write(std::string_view name, RegType type, std::span<const std::uint8_t> data)
{
    const auto location = Locate(name);
    if (!location)
        return false;
    RegValue value{type, std::vector<std::uint8_t>(data.begin(), data.end())};
    return Modify(
        [&](SettingsFile& file) { return file.Set(location->section, location->name, std::move(value)); });
}

std::optional<RegValue> SettingsStore::Read(std::string_view name) const
{
    const auto location = Locate(name);
    if (!location)
        return std::nullopt;
    // Writers replace the file by renaming, so a read without the lock sees a whole file.
    const auto bytes = ReadWholeFile(mFilePath, kMaxFileBytes);
    if (!bytes)
        return std::nullopt;
    const SettingsFile file = SettingsFile::Parse(*bytes);
    if (const RegValue* value = file.Find(location->section, location->name))
        return *value;
    return std::nullopt;
}

bool SettingsStore::Erase(std::string_view name)
{
    const auto location = Locate(name);
    if (!location)
        return false;
    std::error_code ec;
    if (!fs::exists(mFilePath, ec))
        return false;
    return Modify([&](SettingsFile& file) { return file.Erase(location->section, location->name); });
}

std::optional<std::string> DecodeRegistryString(RegType type, std::span<const std::uint8_t> data)
{
    if (type != RegType::String)
        return std::nullopt;
    const std::size_t length = std::min(data.size(), kMaxRegistryStringBytes);
    std::string text;
    for (std::size_t i = 0; i < length && data[i] != 0; ++i)
        text.push_back(static_cast<char>(data[i]));
    return text;
}

std::optional<std::int32_t> DecodeRegistryInteger(RegType type, std::span<const std::uint8_t> data)
{
    if (type != RegType::DWord || data.size() != 4)
        return std::nullopt;
    const std::uint32_t n = data[0] | (std::uint32_t{data[1]} << 8) | (std::uint32_t{data[2]} << 16) |
                            (std::uint32_t{data[3]} << 24);
    return static_cast<std::int32_t>(n);
}

std::vector<std::uint8_t> EncodeRegistryInteger(std::int32_t value)
{
    const auto n = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
}

} // namespace Quill::Platform
