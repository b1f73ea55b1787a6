#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/game/RulesSupport.h"
#include "tests/support/TempDir.h"

using Quill::Figure;
using Quill::GameField;

namespace {

// Six valid one-cell records to complete a catalogue.
const std::string kSixMore = " 1 1\n1 1\n1 1\n1 1\n1 1\n1 1\n";

std::optional<std::vector<Figure::Shape>> Parse(const std::string& text)
{
    return Figure::ParseCatalogue(text);
}

std::string ShippedText()
{
    std::ifstream in(QuillTest::ShippedCatalogue());
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(CatalogueTest, ReadsCIntegerSyntaxAndRejectsAnythingElse)
{
    const std::pair<const char*, int> numbers[] = {{"010", 8},
                                                   {"0x4", 4},
                                                   {"0X1f", 31},
                                                   {"-0x10", -16},
                                                   {"+7", 7},
                                                   {"007", 7},
                                                   {"2147483647", 2147483647},
                                                   {"-2147483648", -2147483647 - 1},
                                                   {"9", 9}};
    for (const auto& [token, value] : numbers) {
        const auto shapes = Parse(std::string("2 ") + token + " 1 1 1" + kSixMore);
        ASSERT_TRUE(shapes) << token;
        EXPECT_EQ((*shapes)[0].cells[0][0], value) << token;
    }
    for (const char* token : {"08", "0x", "0xg", "1a", "abc", "--1", "+", "-", "2147483648", "-2147483649",
                              "0x100000000", "1.5", "1,", "\x01"})
        EXPECT_FALSE(Parse(std::string("2 ") + token + " 1 1 1" + kSixMore)) << token;
}

TEST(CatalogueTest, RecordsAndTheirEnds)
{
    // 0x4 is a size of four; 010 is eight and too big.
    const auto hexSize = Parse("0x4 0 0 0 0 1 1 1 1 0 0 0 0 0 0 0 0" + kSixMore);
    ASSERT_TRUE(hexSize);
    EXPECT_EQ((*hexSize)[0].size, 4);
    EXPECT_EQ((*hexSize)[0].cells[1], (std::array<int, 4>{1, 1, 1, 1}));
    EXPECT_FALSE(Parse("010 1" + kSixMore));

    const std::string seven = "1 1" + kSixMore;
    EXPECT_TRUE(Parse(seven));
    EXPECT_EQ(Parse(seven + "1 1")->size(), 8u) << "further records are kept";
    EXPECT_TRUE(Parse("1\t1\r\n1 1 1 1 1 1 1 1 1 1 1 1")) << "any white space, no final line end";
    EXPECT_FALSE(Parse(seven + "5 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1"));
    EXPECT_FALSE(Parse(seven + "2")) << "ends right after a size";
    EXPECT_FALSE(Parse(seven + "2 1 1 1")) << "ends inside a record";
    EXPECT_FALSE(Parse("0" + kSixMore + "1 1"));
    EXPECT_FALSE(Parse("-1 1" + kSixMore));
    EXPECT_FALSE(Parse("2 0 0 0 0" + kSixMore)) << "a shape without cells";
    EXPECT_FALSE(Parse("1 1 1 1 1 1 1 1 1 1 1 1")) << "six records";
    EXPECT_FALSE(Parse(""));
    EXPECT_FALSE(Parse(" \n\t "));
}

TEST(CatalogueTest, ShippedCatalogueHoldsSevenFourCellShapesSpawningCentred)
{
    const auto shapes = Parse(ShippedText());
    ASSERT_TRUE(shapes);
    ASSERT_EQ(shapes->size(), 7u);

    QuillTest::Game game;
    for (int t = 0; t < 7; ++t) {
        int cells = 0;
        int width = 0;
        int height = 0;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if ((*shapes)[t].cells[r][c] != 0) {
                    ++cells;
                    width = std::max(width, c + 1);
                    height = std::max(height, r + 1);
                }
        EXPECT_EQ(cells, 4) << t;
        EXPECT_EQ((*shapes)[t].size, std::max(width, height)) << "smallest square, shape " << t;

        game.Piece(t);
        const Figure::Bounds bounds = game->mPiece.GetBounds();
        EXPECT_EQ(bounds.minRow, 0) << t;
        EXPECT_EQ(bounds.minColumn, 4) << t;
        EXPECT_EQ(bounds.maxColumn, 3 + (*shapes)[t].size) << t;
    }
}

TEST(CatalogueTest, LoadFailuresTellThePlayerAndLeaveAnInertGame)
{
    QuillTest::TempDir dir;
    std::string huge;
    while (huge.size() <= 64 * 1024)
        huge += "1 1\n";
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {dir / "missing.dat", "Could not load properties/figures.dat"},
        {dir.Path(), "Could not load properties/figures.dat"},
        {dir.Write("short.dat", "1 1\n1 1\n"), "Invalid properties/figures.dat file"},
        {dir.Write("cut.dat", "2 1 1 1"), "Invalid properties/figures.dat file"},
        {dir.Write("huge.dat", huge), "Invalid properties/figures.dat file"},
    };
    for (const auto& [path, message] : cases) {
        QuillTest::Game game(1, false, path);
        EXPECT_EQ(game.app.events, (std::vector<std::string>{std::string("popup: ") + message, "shutdown"}))
            << path;
        EXPECT_FALSE(game->CatalogueLoaded());
        EXPECT_TRUE(game->mCatalogue.empty());
        // Nothing moves, drops or lands while the program closes.
        game->mInputDelay = 0;
        game->KeyDown(32);
        game->MouseDown(400, 300, 1);
        game->Land();
        game.Tick(200);
        EXPECT_EQ(game->mState, GameField::STATE_LEVEL_INTRO);
        EXPECT_EQ(game.app.particleCount, 0u);
        EXPECT_EQ(game->mCages, GameField::Grid{});
    }
}

TEST(CatalogueTest, OnlyTheFirstSevenRecordsEverFall)
{
    QuillTest::TempDir dir;
    const auto path = dir.Write("eight.dat", ShippedText() + "\n1\n1\n");
    QuillTest::Game game(7, false, path);
    ASSERT_EQ(game->mCatalogue.size(), 8u);
    game.Play();
    for (int i = 0; i < 500; ++i) {
        game.ClearWell();
        game->KeyDown(32); // hard drop
        ASSERT_NE(game->mPiece.mSize, 1);
        ASSERT_LT(game->mNextFigure, 7);
        game->mMarked = {};
        game->mMarkedCount = 0;
    }
}

} // namespace
