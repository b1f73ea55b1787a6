#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/TempDir.h"
#include "tests/tools/ContentFiles.h"

namespace {

// Running the generator again gives the very same bytes as the build's run:
// no time stamps, random seeds or uninitialised bytes in any file.
TEST(DeterminismTest, GeneratingAgainGivesIdenticalFiles)
{
    const QuillTest::TempDir out;
    const std::string source = QUILL_CONTENT_SOURCE_DIR;
    const std::string command = std::string("\"") + QUILL_CONTENT_GENERATOR + "\" --source \"" + source +
                                "/tools/content\" --properties \"" + source + "/properties\" --data \"" +
                                out.Path().string() + "\"";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    int compared = 0;
    for (const char* folder : {"images", "fonts", "sounds", "music", "licenses", "properties"}) {
        for (const auto& entry : std::filesystem::directory_iterator(QuillTest::ContentDataDir() / folder)) {
            const std::string name = entry.path().filename().string();
            // Sample caches the game writes beside its sounds are not ours.
            if (name.rfind("cached_", 0) == 0 ||
                (std::string(folder) == "properties" && name.find(".dat") != std::string::npos &&
                 !std::filesystem::exists(out.Path() / folder / name)))
                continue;
            const auto again = QuillTest::ReadBytes(out.Path() / folder / name);
            EXPECT_EQ(QuillTest::ReadBytes(entry.path()), again) << folder << "/" << name;
            EXPECT_FALSE(again.empty()) << folder << "/" << name;
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}

} // namespace
