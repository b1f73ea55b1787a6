#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "tests/tools/ContentFiles.h"
#include "tests/tools/FontDescriptor.h"

namespace {

using QuillTest::ContentDataDir;
using QuillTest::ManifestEntry;

std::vector<ManifestEntry> Manifest()
{
    return QuillTest::ReadManifest(ContentDataDir() / "properties" / "resources.xml");
}

// The ids each group must declare, as the game binds them.
const std::vector<std::pair<std::string, std::vector<std::string>>> kGroups = {
    {"Init",
     {"fontBig", "fontMedium", "fontSmall", "fontTiny", "imageDot", "soundBlit", "soundBonus", "soundButton",
      "soundGameOver", "soundLevel", "soundMeet", "soundRemove", "soundRotate"}},
    {"TitleScreen",
     {"imageArrow", "imageBoyBlink", "imageCheckbox", "imageDialog", "imageDialogBtn", "imageEyes",
      "imageGirlBlink", "imageMenuBgr", "imageMenuExit", "imageMenuHighscores", "imageMenuMore",
      "imageMenuOptions", "imageMenuStart", "imageSliderThumb", "imageSliderTrack"}},
    {"Game",
     {"imageBigPets", "imageCages", "imageCell", "imageGameBack", "imageGameBgr", "imageGamePause",
      "imageGameResume", "imageGameResumeOff", "imageParticle", "imagePets", "imageSmallPets"}},
};

TEST(ManifestTest, DeclaresEveryBoundIdInItsGroupOnce)
{
    const std::vector<ManifestEntry> entries = Manifest();
    ASSERT_FALSE(entries.empty());
    std::set<std::string> seen;
    for (const ManifestEntry& e : entries) {
        EXPECT_TRUE(seen.insert(e.id).second) << "declared twice: " << e.id;
    }
    for (const auto& [group, ids] : kGroups) {
        for (const std::string& id : ids) {
            const auto it = std::find_if(entries.begin(), entries.end(),
                                         [&](const ManifestEntry& e) { return e.id == id; });
            ASSERT_NE(it, entries.end()) << id;
            EXPECT_EQ(it->group, group) << id;
            EXPECT_EQ(it->kind, id.rfind("image", 0) == 0  ? "Image"
                                : id.rfind("font", 0) == 0 ? "Font"
                                                           : "Sound")
                << id;
        }
    }
    std::size_t expected = 0;
    for (const auto& group : kGroups)
        expected += group.second.size();
    EXPECT_EQ(entries.size(), expected);
}

TEST(ManifestTest, EveryIdNamesAFileThatLoads)
{
    for (const ManifestEntry& e : Manifest()) {
        const auto path = ContentDataDir() / e.path;
        if (e.kind == "Image") {
            EXPECT_TRUE(QuillTest::ReadPng(path).has_value()) << e.id << " " << e.path;
        } else if (e.kind == "Sound") {
            EXPECT_TRUE(QuillTest::ReadSoundByStem(path).has_value()) << e.id << " " << e.path;
        } else {
            QuillTest::FontDescriptor font;
            EXPECT_TRUE(font.Read(path)) << e.id << ": " << font.Error();
        }
    }
}

} // namespace
