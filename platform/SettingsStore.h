#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SettingsFile.h"

namespace Quill::Platform {

// The per-user settings file standing in for the registry key of a product. Every operation
// reads the file afresh; every change is a read-modify-write of the whole file under an
// exclusive lock on "settings.reg.lock" beside it, written atomically, so concurrent copies of
// the program never lose each other's values and a crash never leaves half a file.
//
// A file larger than kMaxFileBytes, or one that cannot be read, reads as empty. A change does
// not overwrite it blindly: the old file is first renamed aside to "settings.reg.unreadable-<time>".
// A readable file with damaged lines keeps its good values; before it is rewritten (which drops
// the damaged lines) a copy of it is kept as "settings.reg.damaged-<time>".
class SettingsStore {
public:
    // Largest settings file read (and written: a change that would make it larger fails).
    static constexpr std::size_t kMaxFileBytes = 4u * 1024u * 1024u;
    // Name of the file inside the product's folder.
    static constexpr std::string_view kFileName = "settings.reg";
    // Prefix of the key path of every section, as regedit names the machine-wide software key.
    static constexpr std::string_view kRootKey = "HKEY_LOCAL_MACHINE\\SOFTWARE";

    // productKey like "Quillby\\Mewbloom"; the file is $XDG_CONFIG_HOME/Quillby/Mewbloom/settings.reg
    // (~/.config when unset or not absolute). An empty key, or one with an empty, "." or ".."
    // component, a '/' or a control character, makes every operation fail.
    explicit SettingsStore(std::string productKey);

    // A value name containing '\' addresses a subkey: everything up to the last '\' is the
    // subkey path (empty components are dropped). False when the key is unusable, the name
    // cannot be stored, or the file cannot be written; the stored values are then unchanged.
    [[nodiscard]] bool Write(std::string_view name, RegType type, std::span<const std::uint8_t> data);
    // The value, or nothing when the key, the file or the value is missing.
    [[nodiscard]] std::optional<RegValue> Read(std::string_view name) const;
    // Deletes the value; false when there was none or the file cannot be written.
    [[nodiscard]] bool Erase(std::string_view name);

    // The settings file (empty when the key is unusable).
    [[nodiscard]] const std::filesystem::path& FilePath() const { return mFilePath; }
    // Whether the key can be used at all.
    [[nodiscard]] bool IsUsable() const { return !mFilePath.empty(); }
    // Section path of the product key itself, e.g. "HKEY_LOCAL_MACHINE\SOFTWARE\Quillby\Mewbloom".
    [[nodiscard]] const std::string& KeyPath() const { return mKeyPath; }

private:
    // Section path and value name that a value name addresses; none when it cannot be stored.
    struct Location {
        std::string section;
        std::string name;
    };
    [[nodiscard]] std::optional<Location> Locate(std::string_view name) const;
    // Locks, loads, lets change() edit the values, and writes the file back when it returns true.
    template <typename Change>
    [[nodiscard]] bool Modify(Change&& change);

    std::string mProductKey;
    std::string mKeyPath;
    std::filesystem::path mFilePath;
};

// Longest string the typed string reader returns (longer values are cut).
inline constexpr std::size_t kMaxRegistryStringBytes = 1023;

// The typed readers' rules on a value read raw: a string needs type String, is cut to
// kMaxRegistryStringBytes and ends at the first zero byte; an integer needs type DWord and
// exactly four bytes (little-endian).
[[nodiscard]] std::optional<std::string> DecodeRegistryString(RegType type,
                                                              std::span<const std::uint8_t> data);
[[nodiscard]] std::optional<std::int32_t> DecodeRegistryInteger(RegType type,
                                                                std::span<const std::uint8_t> data);
// The four bytes of a DWORD value (little-endian).
[[nodiscard]] std::vector<std::uint8_t> EncodeRegistryInteger(std::int32_t value);

} // namespace Quill::Platform
