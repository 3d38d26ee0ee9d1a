#include "tally/codec/lzr.h"

#include "tests/tally/codec/codectestdata.h"

#include <gtest/gtest.h>

namespace {

Bytes compressBlock(TLZR &lzr, const Bytes &block)
{
    Bytes coded(block.size() + TLZR::destSpare);
    coded.resize(
        lzr.CompressBlock(block.data(), coded.data(), static_cast<std::uint16_t>(block.size())));
    return coded;
}

std::optional<Bytes> decompressBlock(const TLZR &lzr, const Bytes &coded)
{
    Bytes block(TLZR::blockSize);
    const std::optional<std::uint16_t> made =
        lzr.DecompressBlock(coded.data(), block.data(), static_cast<std::uint16_t>(coded.size()));
    if (!made) {
        return std::nullopt;
    }
    block.resize(*made);
    return block;
}

} // namespace

TEST(Lzrw1KhBlock, CodesTheDocumentedExamplesAndReadsThemBack)
{
    TLZR lzr;
    const Bytes random = randomBytes(TLZR::blockSize);
    Bytes stored = hexBytes("80");
    stored.insert(stored.end(), random.begin(), random.end());
    const std::pair<Bytes, Bytes> examples[] = {
        {{}, hexBytes("80")},
        {textBytes("a"), hexBytes("80 61")},
        {textBytes("ab"), hexBytes("80 61 62")},
        {textBytes("abc"), hexBytes("80 61 62 63")},
        {repeated("a", 20), hexBytes("40 80 00 00 00 04 61")},
        {repeated("abc", 8), hexBytes("40 18 00 61 62 63 00 3F 01 20")},
        {repeated("y", 15), hexBytes("40 40 00 79 00 1B")},
        {repeated("x", 5000), hexBytes("40 C0 00 00 0F EF 78 00 03 79 78")},
        {random, stored},
    };
    for (const auto &[block, coded] : examples) {
        SCOPED_TRACE(block.size());
        EXPECT_EQ(compressBlock(lzr, block), coded);
        EXPECT_EQ(decompressBlock(lzr, coded), block);
    }
}

TEST(Lzrw1KhBlock, RoundTripsBlocksOfEverySizeWithoutGrowingPastOneByte)
{
    TLZR lzr;
    for (const std::size_t size : {0, 1, 2, 3, 4, 17, 59, 60, 61, 4095, 4096, 4097, 32767, 32768}) {
        for (const Bytes &block : {mixedSample(size), randomBytes(size), Bytes(size, 0x20)}) {
            SCOPED_TRACE(size);
            const Bytes coded = compressBlock(lzr, block);
            EXPECT_LE(coded.size(), size + 1);
            EXPECT_EQ(decompressBlock(lzr, coded), block);
        }
    }
}

TEST(Lzrw1KhBlock, RefusesBlocksThatReachOutsideTheirBuffers)
{
    const TLZR lzr;
    // A literal, then a match 2 bytes back: before the start of the output.
    EXPECT_EQ(decompressBlock(lzr, hexBytes("40 40 00 61 00 20")), std::nullopt);
    // Nine runs of 4095 bytes: more than one block of output.
    Bytes runs = hexBytes("40 FF 80");
    for (int i = 0; i < 9; ++i) {
        const Bytes run = hexBytes("00 0F EF 78");
        runs.insert(runs.end(), run.begin(), run.end());
    }
    EXPECT_EQ(decompressBlock(lzr, runs), std::nullopt);
    // Items cut short at the end of the block.
    EXPECT_EQ(decompressBlock(lzr, hexBytes("40 80 00 00 00")), std::nullopt);
    EXPECT_EQ(decompressBlock(lzr, hexBytes("40 80 00 00")), std::nullopt);
    // A stored block longer than a block.
    Bytes tooLong(TLZR::blockSize + 2, 0x61);
    tooLong[0] = 0x80;
    EXPECT_EQ(decompressBlock(lzr, tooLong), std::nullopt);
    // A control word with no item after it.
    Bytes group = hexBytes("40 00 00");
    group.insert(group.end(), 16, 0x61);
    EXPECT_EQ(decompressBlock(lzr, group), Bytes(16, 0x61));
    group.insert(group.end(), {0x00, 0x00});
    EXPECT_EQ(decompressBlock(lzr, group), std::nullopt);
}
