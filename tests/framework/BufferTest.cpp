#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "framework/Buffer.h"
#include "tests/support/TempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ContentOf(const Quill::Buffer& b)
{
    return Bytes(b.Bytes().begin(), b.Bytes().end());
}

TEST(BufferTest, BitsFillEachByteFromBitZero)
{
    Quill::Buffer b;
    b.WriteNumBits(0b101, 3); // bits 0..2
    b.WriteNumBits(0b11, 2);  // bits 3..4
    b.WriteNumBits(0x1FF, 9); // bits 5..13
    EXPECT_EQ(b.GetBitSize(), 14u);
    EXPECT_EQ(ContentOf(b), (Bytes{0xFD, 0x3F}));
    EXPECT_EQ(b.ReadNumBits(3, false), 0b101);
    EXPECT_EQ(b.ReadNumBits(2, false), 0b11);
    EXPECT_EQ(b.ReadNumBits(9, false), 0x1FF);
    EXPECT_TRUE(b.AtEnd());
}

TEST(BufferTest, SignedFieldsExtendTheirTopBit)
{
    Quill::Buffer b;
    b.WriteNumBits(static_cast<std::uint32_t>(-31) & 0x3F, 6);
    b.WriteNumBits(31, 6);
    b.WriteNumBits(static_cast<std::uint32_t>(-2) & 0x7, 3);
    b.WriteNumBits(3, 3);
    EXPECT_EQ(b.ReadNumBits(6, true), -31);
    EXPECT_EQ(b.ReadNumBits(6, true), 31);
    EXPECT_EQ(b.ReadNumBits(3, true), -2);
    EXPECT_EQ(b.ReadNumBits(3, true), 3);
}

TEST(BufferTest, TypedValuesRoundTripAlignedAndUnaligned)
{
    for (int offset : {0, 3}) {
        Quill::Buffer b;
        b.WriteNumBits(0x5, offset);
        b.WriteByte(0xAB);
        b.WriteBoolean(true);
        b.WriteBoolean(false);
        b.WriteShort(-2);
        b.WriteShort(SHRT_MAX);
        b.WriteLong(INT_MIN);
        b.WriteLong(0x12345678);
        b.WriteString("caf\xC3\xA9");
        b.WriteString("");
        const Bytes raw{1, 2, 0, 255};
        b.WriteBytes(raw);

        EXPECT_EQ(b.ReadNumBits(offset, false), offset ? 0x5 : 0);
        EXPECT_EQ(b.ReadByte(), 0xAB);
        EXPECT_TRUE(b.ReadBoolean());
        EXPECT_FALSE(b.ReadBoolean());
        EXPECT_EQ(b.ReadShort(), -2);
        EXPECT_EQ(b.ReadShort(), SHRT_MAX);
        EXPECT_EQ(b.ReadLong(), INT_MIN);
        EXPECT_EQ(b.ReadLong(), 0x12345678);
        EXPECT_EQ(b.ReadString(), "caf\xC3\xA9");
        EXPECT_EQ(b.ReadString(), "");
        Bytes back(4);
        b.ReadBytes(back);
        EXPECT_EQ(back, raw);
        EXPECT_TRUE(b.AtEnd()) << "offset " << offset;
    }
}

TEST(BufferTest, LittleEndianLayoutOfTheProfileAndScoreRecords)
{
    Quill::Buffer players;
    players.WriteString("Ann");
    players.WriteString("Bob");
    EXPECT_EQ(ContentOf(players), (Bytes{0x03, 0x00, 0x41, 0x6E, 0x6E, 0x03, 0x00, 0x42, 0x6F, 0x62}));

    Quill::Buffer score;
    score.WriteString("Noname");
    score.WriteShort(1);
    score.WriteLong(0);
    EXPECT_EQ(ContentOf(score),
              (Bytes{0x06, 0x00, 0x4E, 0x6F, 0x6E, 0x61, 0x6D, 0x65, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}));

    Quill::Buffer longs;
    longs.WriteLong(0x01020304);
    EXPECT_EQ(ContentOf(longs), (Bytes{0x04, 0x03, 0x02, 0x01}));
}

TEST(BufferTest, ReadingPastTheEndGivesZerosWithoutAdvancing)
{
    Quill::Buffer b;
    const Bytes cut{0x06, 0x00, 'N', 'o'}; // a name of 6 cut after 2 characters
    b.SetData(cut);
    const std::string name = b.ReadString();
    ASSERT_EQ(name.size(), 6u);
    EXPECT_EQ(name, std::string("No\0\0\0\0", 6));
    EXPECT_TRUE(b.AtEnd());
    EXPECT_EQ(b.ReadShort(), 0);
    EXPECT_EQ(b.ReadLong(), 0);

    // A partly available field keeps the bits that were there.
    Quill::Buffer partial;
    partial.SetData(Bytes{0xFF});
    EXPECT_EQ(partial.ReadNumBits(12, false), 0xFF);
    EXPECT_EQ(partial.ReadShort(), 0);
}

TEST(BufferTest, FieldsWiderThanAValueUseItsThirtyTwoBits)
{
    Quill::Buffer b;
    b.WriteNumBits(0xFFFFFFFFu, 40);
    EXPECT_EQ(b.GetBitSize(), 32u);
    b.SeekFront();
    EXPECT_EQ(b.ReadNumBits(40, false), -1);
    EXPECT_TRUE(b.AtEnd());
}

TEST(BufferTest, NonPositiveStringCountsReadAsEmpty)
{
    Quill::Buffer b;
    b.SetData(Bytes{0x00, 0x80, 'x', 0x00, 0x00, 0x01, 0x00, 'y'});
    EXPECT_EQ(b.ReadString(), ""); // -32768: nothing read
    EXPECT_EQ(b.ReadByte(), 'x');
    EXPECT_EQ(b.ReadString(), "");
    EXPECT_EQ(b.ReadString(), "y");
}

TEST(BufferTest, FilesRoundTripAndFailedReadsKeepTheContent)
{
    QuillTest::TempDir dir;
    Quill::Buffer out;
    out.WriteString("Ann");
    out.WriteLong(42);
    ASSERT_TRUE(out.SaveToFile(dir / "properties/players.dat"));

    Quill::Buffer in;
    ASSERT_TRUE(in.LoadFromFile(dir / "properties/players.dat"));
    EXPECT_EQ(in.ReadString(), "Ann");
    EXPECT_EQ(in.ReadLong(), 42);

    Quill::Buffer kept;
    kept.WriteByte(7);
    EXPECT_FALSE(kept.LoadFromFile(dir / "missing.dat"));
    EXPECT_FALSE(kept.LoadFromFile(dir.Path())); // a folder is not a file
    EXPECT_EQ(ContentOf(kept), Bytes{7});
}

} // namespace
