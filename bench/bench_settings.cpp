// What one settings access costs: parsing and writing the text of a typical file, a read through
// the store (file read and parse), and a change (locked read-modify-write, written atomically
// with fsync), side by side on the same file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "platform/SettingsFile.h"
#include "platform/SettingsStore.h"

namespace {

namespace fs = std::filesystem;
using Quill::Platform::EncodeRegistryInteger;
using Quill::Platform::RegType;
using Quill::Platform::SettingsFile;
using Quill::Platform::SettingsStore;

constexpr const char* kKey = "Quillby\\Mewbloom";
// The values the application and the game keep.
constexpr const char* kNames[] = {
    "MusicVolume", "SfxVolume",    "Muted", "ScreenMode",  "PreferredX", "PreferredY",      "CustomCursors",
    "InProgress",  "WaitForVSync", "Is3D",  "InstantDrop", "IncSpeed",   "DoubleClickDrop", "ShowHint"};

// A private settings folder for the run, removed at the end.
class BenchHome {
public:
    BenchHome()
    {
        std::string pattern = (fs::temp_directory_path() / "mewbloom-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            mPath = pattern;
        ::setenv("XDG_CONFIG_HOME", mPath.c_str(), 1);
        SettingsStore store(kKey);
        for (const char* name : kNames)
            (void)store.Write(name, RegType::DWord, EncodeRegistryInteger(85));
        const std::string player = "Mira";
        (void)store.Write("CurrentPlayer", RegType::String,
                          {reinterpret_cast<const std::uint8_t*>(player.data()), player.size()});
    }
    ~BenchHome()
    {
        std::error_code ec;
        fs::remove_all(mPath, ec);
    }
    BenchHome(const BenchHome&) = delete;
    BenchHome& operator=(const BenchHome&) = delete;

private:
    fs::path mPath;
};

BenchHome& Home()
{
    static BenchHome home;
    return home;
}

std::string TypicalText()
{
    Home();
    const SettingsStore store(kKey);
    SettingsFile file;
    for (const char* name : kNames)
        (void)file.Set(store.KeyPath(), name, *store.Read(name));
    return file.Format();
}

void BM_ParseTypicalFile(benchmark::State& state)
{
    const std::string text = TypicalText();
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(SettingsFile::Parse(bytes));
}
BENCHMARK(BM_ParseTypicalFile);

void BM_FormatTypicalFile(benchmark::State& state)
{
    const std::string text = TypicalText();
    const SettingsFile file =
        SettingsFile::Parse({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    for (auto _ : state)
        benchmark::DoNotOptimize(file.Format());
}
BENCHMARK(BM_FormatTypicalFile);

void BM_StoreRead(benchmark::State& state)
{
    Home();
    const SettingsStore store(kKey);
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Read("WaitForVSync"));
}
BENCHMARK(BM_StoreRead);

void BM_StoreWrite(benchmark::State& state)
{
    Home();
    SettingsStore store(kKey);
    int value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            store.Write("WaitForVSync", RegType::DWord, EncodeRegistryInteger(++value & 1)));
}
BENCHMARK(BM_StoreWrite)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
