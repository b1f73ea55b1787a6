// Shared main of every test executable: tests never need a display or a sound
// card, and never touch the user's own settings or data.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "tests/support/TempDir.h"

int main(int argc, char** argv)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // Whole-run isolation; tests that need a clean slate make their own.
    auto home = std::make_unique<QuillTest::ScopedXdgHome>();
    setenv("HOME", home->Root().Path().c_str(), 1);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    home.reset();
    return result;
}
