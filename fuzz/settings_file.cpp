// Random bytes as a settings file: reading must never crash, hang or allocate without bound,
// and whatever was read must be written back in a form that reads back the same.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/SettingsFile.h"
#include "platform/SettingsStore.h"

namespace {

std::span<const std::uint8_t> AsBytes(const std::string& text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using Quill::Platform::SettingsFile;
    // The store refuses larger files before reading them.
    if (size > Quill::Platform::SettingsStore::kMaxFileBytes)
        return 0;
    const SettingsFile file = SettingsFile::Parse({data, size});
    const std::string text = file.Format();
    const SettingsFile again = SettingsFile::Parse(AsBytes(text));

    // Writing back loses no value and produces nothing the reader would skip.
    if (again.SkippedLines() != 0 || again.Sections().size() != file.Sections().size())
        std::abort();
    for (std::size_t s = 0; s < file.Sections().size(); ++s) {
        const auto& before = file.Sections()[s];
        const auto& after = again.Sections()[s];
        if (before.path != after.path || before.entries.size() != after.entries.size())
            std::abort();
        for (std::size_t e = 0; e < before.entries.size(); ++e)
            if (before.entries[e].name != after.entries[e].name ||
                !(before.entries[e].value == after.entries[e].value))
                std::abort();
    }
    if (again.Format() != text)
        std::abort();
    return 0;
}
