// Settings and the command line of the application: the raw settings
// operations every typed helper goes through, the application's own values,
// and the command-line parameters.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <span>
#include <system_error>

#include "framework/CommandLine.h"
#include "framework/QuillAppBase.h"
#include "platform/Files.h"
#include "platform/SettingsStore.h"

namespace Quill {

namespace {

// Volumes are stored as whole percentages.
constexpr double kPercent = 100.0;

// A stored percentage as a volume 0..1 (a damaged value never makes the game louder than full).
double VolumeFromPercent(int percent)
{
    return std::clamp(percent, 0, 100) / kPercent;
}

// A volume as the nearest whole percentage, so that reading it back gives the same number.
int PercentFromVolume(double volume)
{
    return static_cast<int>(std::lround(volume * kPercent));
}

} // namespace

// ---- Raw operations ----

bool QuillAppBase::RegistryWrite(const std::string& valueName, Platform::RegType type,
                                 const std::uint8_t* data, std::uint32_t length)
{
    // Demo recording and playback route this operation once they exist.
    if (data == nullptr && length != 0)
        return false;
    Platform::SettingsStore store(mRegKey);
    return store.Write(valueName, type, std::span<const std::uint8_t>(data, length));
}

bool QuillAppBase::RegistryRead(const std::string& valueName, Platform::RegType& type,
                                std::vector<std::uint8_t>& data)
{
    // Demo recording and playback route this operation once they exist.
    const Platform::SettingsStore store(mRegKey);
    std::optional<Platform::RegValue> value = store.Read(valueName);
    if (!value)
        return false;
    type = value->type;
    data = std::move(value->data);
    return true;
}

bool QuillAppBase::RegistryEraseValue(const std::string& valueName)
{
    Platform::SettingsStore store(mRegKey);
    return store.Erase(valueName);
}

// ---- Typed helpers ----

bool QuillAppBase::RegistryWriteString(const std::string& valueName, const std::string& text)
{
    return RegistryWrite(valueName, Platform::RegType::String,
                         reinterpret_cast<const std::uint8_t*>(text.data()),
                         static_cast<std::uint32_t>(text.size()));
}

bool QuillAppBase::RegistryWriteInteger(const std::string& valueName, int value)
{
    const std::vector<std::uint8_t> bytes = Platform::EncodeRegistryInteger(value);
    return RegistryWrite(valueName, Platform::RegType::DWord, bytes.data(),
                         static_cast<std::uint32_t>(bytes.size()));
}

bool QuillAppBase::RegistryWriteBoolean(const std::string& valueName, bool value)
{
    return RegistryWriteInteger(valueName, value ? 1 : 0);
}

bool QuillAppBase::RegistryWriteData(const std::string& valueName, const std::uint8_t* data,
                                     std::uint32_t length)
{
    return RegistryWrite(valueName, Platform::RegType::Binary, data, length);
}

bool QuillAppBase::RegistryReadString(const std::string& valueName, std::string& text)
{
    Platform::RegType type = Platform::RegType::String;
    std::vector<std::uint8_t> data;
    if (!RegistryRead(valueName, type, data))
        return false;
    std::optional<std::string> decoded = Platform::DecodeRegistryString(type, data);
    if (!decoded)
        return false;
    text = std::move(*decoded);
    return true;
}

bool QuillAppBase::RegistryReadInteger(const std::string& valueName, int& value)
{
    Platform::RegType type = Platform::RegType::DWord;
    std::vector<std::uint8_t> data;
    if (!RegistryRead(valueName, type, data))
        return false;
    const std::optional<std::int32_t> decoded = Platform::DecodeRegistryInteger(type, data);
    if (!decoded)
        return false;
    value = *decoded;
    return true;
}

bool QuillAppBase::RegistryReadBoolean(const std::string& valueName, bool& value)
{
    int number = 0;
    if (!RegistryReadInteger(valueName, number))
        return false;
    value = number != 0;
    return true;
}

bool QuillAppBase::RegistryReadData(const std::string& valueName, std::uint8_t* data, std::uint32_t& length)
{
    Platform::RegType type = Platform::RegType::Binary;
    std::vector<std::uint8_t> bytes;
    if (!RegistryRead(valueName, type, bytes) || type != Platform::RegType::Binary)
        return false;
    // Raw data is never cut short: a buffer too small for the value is a failed read.
    if (bytes.size() > length || (data == nullptr && !bytes.empty()))
        return false;
    if (!bytes.empty())
        std::memcpy(data, bytes.data(), bytes.size());
    length = static_cast<std::uint32_t>(bytes.size());
    return true;
}

// ---- The application's values ----

void QuillAppBase::ReadFromRegistry()
{
    mRegistryRead = true;
    if (const auto it = mStringTable.find("RegistryKey"); it != mStringTable.end())
        mRegKey = it->second;

    int value = 0;
    if (RegistryReadInteger("MusicVolume", value))
        mMusicVolume = VolumeFromPercent(value);
    if (RegistryReadInteger("SfxVolume", value))
        mSfxVolume = VolumeFromPercent(value);
    // Written as 0 or 1 (the user's own mute); any other count would be damage, and a huge one
    // would outlast every unmute.
    if (RegistryReadInteger("Muted", value))
        mMuteCount = std::clamp(value, 0, 1);
    if (RegistryReadInteger("ScreenMode", value))
        mIsWindowed = value == 0;
    if (RegistryReadInteger("PreferredX", value))
        mPreferredX = value;
    if (RegistryReadInteger("PreferredY", value))
        mPreferredY = value;
    if (RegistryReadInteger("CustomCursors", value)) {
        mCustomCursorsEnabled = value != 0;
        EnforceCursor();
    }
    if (RegistryReadInteger("WaitForVSync", value))
        mWaitForVSync = value != 0;
    if (RegistryReadInteger("InProgress", value))
        mLastShutdownWasGraceful = value == 0;

    // Cleared again by a clean exit: a crash leaves it set for the next run to see.
    if (!mIsScreenSaver)
        (void)RegistryWriteInteger("InProgress", 1);
}

void QuillAppBase::WriteToRegistry()
{
    (void)RegistryWriteInteger("MusicVolume", PercentFromVolume(mMusicVolume));
    (void)RegistryWriteInteger("SfxVolume", PercentFromVolume(mSfxVolume));
    (void)RegistryWriteInteger("Muted", mMuteCount > mAutoMuteCount ? 1 : 0);
    (void)RegistryWriteInteger("ScreenMode", mIsWindowed ? 0 : 1);
    (void)RegistryWriteInteger("PreferredX", mPreferredX);
    (void)RegistryWriteInteger("PreferredY", mPreferredY);
    (void)RegistryWriteBoolean("CustomCursors", mCustomCursorsEnabled);
    (void)RegistryWriteInteger("InProgress", 0);
    (void)RegistryWriteBoolean("WaitForVSync", mWaitForVSync);
}

// ---- Command line ----

void QuillAppBase::ParseCommandLine()
{
    ParseCommandLineString(std::string(SkipProgramName(mCommandLine)));
    mCmdLineParsed = true;
}

void QuillAppBase::ParseCommandLineString(const std::string& text)
{
    ::Quill::ParseCommandLineString(
        text, [this](const std::string& name, const std::string& value) { HandleCmdLineParam(name, value); });
}

void QuillAppBase::HandleCmdLineParam(const std::string& name, const std::string& value)
{
    if (name == "-play") {
        mPlayingDemo = true;
        mRecording = false;
    } else if (name == "-recnum") {
        mDemoFileName = PrepareNumberedRecording(mDemoFolder, mDemoFilePrefix, value);
        mRecording = true;
    } else if (name == "-playnum") {
        mDemoFileName = NumberedPlaybackName(mDemoFolder, mDemoFilePrefix, value);
        mPlayingDemo = true;
        mRecording = false;
    } else if (name == "-record") {
        mRecording = true;
        mPlayingDemo = false;
    } else if (name == "-demofile") {
        mDemoFileName = value;
    } else if (name == "-crash") {
        mCrashRequested = true;
    } else if (name == "-screensaver") {
        mIsScreenSaver = true;
    } else if (!HandleExtraCmdLineParam(name, value)) {
        Popup("Invalid Command Line Param: " + name);
        ExitProcess(kExitUsage);
    }
}

bool QuillAppBase::HandleExtraCmdLineParam(const std::string& /*name*/, const std::string& /*value*/)
{
    return false;
}

} // namespace Quill
