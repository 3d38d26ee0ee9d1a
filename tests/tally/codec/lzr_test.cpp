#include "tally/codec/lzr.h"

#include "tests/tally/codec/codectestdata.h"

#include <gtest/gtest.h>

#include <random>

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

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes &part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// Text of many different made-up words: more different three-byte keys than the hash table
// has slots, so which keys share a slot decides which matches are found.
Bytes madeUpText(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<Bytes> words(600);
    for (Bytes &word : words) {
        for (std::uint32_t n = random() % 6 + 2; n > 0; --n) {
            word.push_back(static_cast<std::uint8_t>('a' + random() % 26));
        }
        word.push_back(random() % 8 == 0 ? '\n' : ' ');
    }
    Bytes bytes;
    while (bytes.size() < size) {
        // Recent words come back more often, as in real text.
        const std::uint32_t pick = random() % 4 == 0 ? random() % 600 : random() % 40;
        bytes.insert(bytes.end(), words[pick].begin(), words[pick].end());
    }
    bytes.resize(size);
    return bytes;
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

TEST(Lzrw1KhBlock, FindsOnlyTheMatchesItsHashTableStillPoints)
{
    // "bhq" and "hae" share a slot: the second "bhq" finds "hae" there and goes out as
    // literals. After "haf", which has a slot of its own, it is matched 6 bytes back.
    TLZR lzr;
    const Bytes run(40, 'z');
    EXPECT_EQ(compressBlock(lzr, concat({textBytes("bhqhaebhq"), run})),
              hexBytes("40 00 40 62 68 71 68 61 65 62 68 71 00 00 18 7A"));
    EXPECT_EQ(compressBlock(lzr, concat({textBytes("bhqhafbhq"), run})),
              hexBytes("40 03 00 62 68 71 68 61 66 00 60 00 00 18 7A"));
    for (const auto &[size, seed, digest] :
         {std::tuple(4000, 1u, "1fe31498d8c5a840"), std::tuple(16000, 2u, "1a2bc0cdc015ead9"),
          std::tuple(32768, 3u, "a536f7fc1e3028c0")}) {
        SCOPED_TRACE(size);
        const Bytes block = madeUpText(static_cast<std::size_t>(size), seed);
        const Bytes coded = compressBlock(lzr, block);
        EXPECT_EQ(digestOf(coded), digest);
        EXPECT_EQ(decompressBlock(lzr, coded), block);
    }
}

TEST(Lzrw1KhBlock, ReachesBackExactly4095Bytes)
{
    TLZR lzr;
    // The run is no key of the hash table, so "abc" is still found 4095 bytes back, but not
    // 4096.
    const Bytes abc = textBytes("abc");
    EXPECT_EQ(compressBlock(lzr, concat({abc, Bytes(4092, 'z'), abc})),
              hexBytes("40 18 00 61 62 63 00 0F EC 7A FF F0"));
    EXPECT_EQ(compressBlock(lzr, concat({abc, Bytes(4093, 'z'), abc})),
              hexBytes("40 10 00 61 62 63 00 0F ED 7A 61 62 63"));
    // Noise that repeats every 4095 bytes, and text that does, between other text.
    const Bytes noise = randomBytes(4095, 11);
    const Bytes text = madeUpText(4095, 12);
    for (const auto &[block, digest] :
         {std::pair(concat({noise, noise, noise}), "9826913eb5900777"),
          std::pair(concat({text, text, madeUpText(200, 13), text}), "860f2d905277c18e")}) {
        SCOPED_TRACE(digest);
        const Bytes coded = compressBlock(lzr, block);
        EXPECT_EQ(digestOf(coded), digest);
        EXPECT_EQ(decompressBlock(lzr, coded), block);
    }
}
