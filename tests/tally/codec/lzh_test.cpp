#include "tally/codec/lzh.h"

#include "tests/tally/codec/codectestdata.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <random>

using testing::ElementsAre;
using testing::Field;

namespace {

struct Coded {
    Bytes code;
    std::vector<LzhSymbol> symbols;
};

Coded encode(const Bytes &input)
{
    TLZH lzh;
    Coded coded;
    std::size_t next = 0;
    const std::int64_t count =
        lzh.LZHEncode([&](std::uint8_t byte) { coded.code.push_back(byte); },
                      [&](std::uint8_t &byte) {
                          if (next == input.size()) {
                              return false;
                          }
                          byte = input[next++];
                          return true;
                      },
                      [&](const LzhSymbol &symbol) { coded.symbols.push_back(symbol); });
    EXPECT_EQ(count, static_cast<std::int64_t>(input.size()));
    return coded;
}

std::optional<Bytes> decode(const Bytes &code, std::int64_t count)
{
    TLZH lzh;
    Bytes output;
    std::size_t next = 0;
    const bool whole = lzh.LZHDecode(
        count, [&](std::uint8_t byte) { output.push_back(byte); },
        [&](std::uint8_t &byte) {
            if (next == code.size()) {
                return false;
            }
            byte = code[next++];
            return true;
        });
    return whole ? std::optional(output) : std::nullopt;
}

// Words from a short list, so that each recurs at many distances before different words: the
// coder keeps meeting matches of equal length and has to choose among them.
Bytes wordText(std::size_t size, std::uint32_t seed)
{
    static constexpr std::string_view words[] = {
        "tally ", "talon ", "table ",   "cards ", "cared ", "score ", "scored ", "games ",
        "gamed ", "clear ", "cleared ", "name ",  "named ", "\r\n",   "-1000 ",  "12/7/26 "};
    std::mt19937 random(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        const std::string_view word = words[random() % std::size(words)];
        bytes.insert(bytes.end(), word.begin(), word.end());
    }
    bytes.resize(size);
    return bytes;
}

// Bytes in eight groups of 32 values, each group half as frequent as the one before: few
// matches, so nearly every byte is a symbol of its own, and the counts are skewed.
Bytes skewedBytes(std::size_t size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (std::uint8_t &byte : bytes) {
        const std::uint32_t draw = random();
        byte = static_cast<std::uint8_t>(std::countr_zero(draw | 1u << 7) * 32 + (draw >> 24) % 32);
    }
    return bytes;
}

std::vector<std::pair<int, int>> symbolsOf(const Coded &coded)
{
    std::vector<std::pair<int, int>> symbols;
    for (const LzhSymbol &symbol : coded.symbols) {
        symbols.emplace_back(symbol.symbol, symbol.position);
    }
    return symbols;
}

} // namespace

TEST(LzhCoding, EmitsTheDocumentedSymbols)
{
    // One run: a literal, then matches of 60 at distance 1 and a last one of 59.
    EXPECT_THAT(symbolsOf(encode(repeated("x", 300))),
                ElementsAre(std::pair(120, -1), std::pair(313, 0), std::pair(313, 0),
                            std::pair(313, 0), std::pair(313, 0), std::pair(312, 0)));
    // Leading blanks match the blanks that fill the window.
    EXPECT_THAT(
        symbolsOf(encode(textBytes("     abc"))),
        ElementsAre(std::pair(258, 0), std::pair(97, -1), std::pair(98, -1), std::pair(99, -1)));
    EXPECT_THAT(symbolsOf(encode(textBytes("aa"))),
                ElementsAre(std::pair(97, -1), std::pair(97, -1)));
    // An empty input still codes one literal, the window byte that no input filled (0): with
    // the starting code that is the 9 bits 110001100.
    const Coded empty = encode({});
    EXPECT_THAT(symbolsOf(empty), ElementsAre(std::pair(0, -1)));
    EXPECT_EQ(empty.code, hexBytes("C6 00"));
}

TEST(LzhCoding, ChoosesTheNearestOfEqualMatches)
{
    // At the third "abc" the matches 4 and 8 bytes back are both 3 long: the nearer one wins.
    EXPECT_THAT(symbolsOf(encode(textBytes("abcXabcYabcZ"))),
                ElementsAre(std::pair('a', -1), std::pair('b', -1), std::pair('c', -1),
                            std::pair('X', -1), std::pair(256, 3), std::pair('Y', -1),
                            std::pair(256, 3), std::pair('Z', -1)));
    // Text made of few words, in whole and across the window's wrap.
    for (const auto &[size, seed, digest] :
         {std::tuple(3000, 1u, "9394756946991f22"), std::tuple(9000, 2u, "5b30c55031f2aa18"),
          std::tuple(20000, 3u, "20a33b6c923e96c6")}) {
        SCOPED_TRACE(size);
        const Bytes input = wordText(static_cast<std::size_t>(size), seed);
        const Bytes code = encode(input).code;
        EXPECT_EQ(digestOf(code), digest);
        EXPECT_EQ(decode(code, std::ssize(input)), input);
    }
}

TEST(LzhCoding, HalvesItsCountsRoundingUp)
{
    // Each input is coded in several times the count limit's worth of symbols, so the code is
    // rebuilt from halved counts again and again; the bytes after each rebuild depend on how
    // odd counts were halved.
    for (const auto &[size, seed, digest] :
         {std::tuple(120000, 4u, "6580eb8ba3976701"), std::tuple(150000, 5u, "c6c2caf36050d8ae")}) {
        SCOPED_TRACE(size);
        const Bytes input = skewedBytes(static_cast<std::size_t>(size), seed);
        const Coded coded = encode(input);
        EXPECT_GT(coded.symbols.size(), 2u * LzhModel::frequencyLimit);
        // A code rebuilt from other halves need not even decode: stop at the first that differs.
        ASSERT_EQ(digestOf(coded.code), digest);
        EXPECT_EQ(decode(coded.code, std::ssize(input)), input);
    }
    // Text, runs and noise, where matches and literals mix between the rebuilds.
    const Bytes mixed = mixedSample(300000, 6);
    const Coded coded = encode(mixed);
    EXPECT_GT(coded.symbols.size(), 2u * LzhModel::frequencyLimit);
    EXPECT_EQ(digestOf(coded.code), "b27bcba930ea2ef1");
}

TEST(LzhCoding, RoundTripsAcrossSizesAndCodeRebuilds)
{
    for (const std::size_t size : {0, 1, 2, 3, 59, 60, 61, 4095, 4096, 4097, 32767, 32768, 32769}) {
        SCOPED_TRACE(size);
        const Bytes input = mixedSample(size, static_cast<std::uint32_t>(size));
        EXPECT_EQ(decode(encode(input).code, std::ssize(input)), input);
    }
    // Enough symbols for the root count to reach its limit several times over.
    Bytes input = mixedSample(200000);
    const Bytes noise = randomBytes(100000);
    input.insert(input.end(), noise.begin(), noise.end());
    const Coded coded = encode(input);
    EXPECT_GT(coded.symbols.size(), 3u * 32768u);
    EXPECT_EQ(decode(coded.code, std::ssize(input)), input);
}

TEST(LzhCoding, DecodingFailsUnlessTheCodeHoldsExactlyTheCount)
{
    const Bytes input = mixedSample(5000);
    const Bytes code = encode(input).code;
    const auto size = std::ssize(input);
    ASSERT_EQ(decode(code, size), input);
    // More bytes asked for than coded: the decoder would need bits past the end.
    EXPECT_EQ(decode(code, size + 1), std::nullopt);
    EXPECT_EQ(decode(code, 0x7FFFFFFF), std::nullopt);
    // Fewer: code is left over.
    EXPECT_EQ(decode(code, size - 1), std::nullopt);
    // Cut short, or with bytes after the code.
    EXPECT_EQ(decode(Bytes(code.begin(), code.end() - 1), size), std::nullopt);
    Bytes longer = code;
    longer.push_back(0);
    EXPECT_EQ(decode(longer, size), std::nullopt);
    // The empty input's one literal belongs to its code; nothing else may follow it.
    EXPECT_EQ(decode(hexBytes("C6 00"), 0), Bytes{});
    EXPECT_EQ(decode(hexBytes("C6 00 00"), 0), std::nullopt);
    EXPECT_EQ(decode({}, 0), std::nullopt);
    EXPECT_EQ(decode(hexBytes("C6 01"), 0), std::nullopt);
}

TEST(LzhCoding, WritesAndReadsAdaptiveCodesLongerThan16Bits)
{
    // Nine symbols counted in Fibonacci proportions stack the code tree into a chain above the
    // 305 symbols never seen, whose codes then grow to 18 bits.
    std::vector<int> symbols;
    const int fibonacci[] = {1, 1, 2, 3, 5, 8, 13, 21, 34};
    for (int i = 0; i < 9; ++i) {
        symbols.insert(symbols.end(), fibonacci[i] * 340, 256 + i);
    }
    std::shuffle(symbols.begin(), symbols.end(), std::mt19937(3));
    symbols.insert(symbols.end(), {'q', 300, 'q', 313});

    const auto coder = std::make_unique<LzhModel>();
    coder->HuffInit();
    Bytes code;
    auto put = [&](std::uint8_t byte) { code.push_back(byte); };
    LzhBitWriter<decltype(put)> out(put);
    int longest = 0;
    for (const int symbol : symbols) {
        longest = std::max(longest, TLZH::EncodeSymbol(out, *coder, symbol));
    }
    out.FlushBits();
    EXPECT_GE(longest, 17);

    const auto decoder = std::make_unique<LzhModel>();
    decoder->HuffInit();
    std::size_t next = 0;
    auto get = [&](std::uint8_t &byte) {
        byte = next < code.size() ? code[next] : 0;
        return next++ < code.size();
    };
    LzhBitReader<decltype(get)> in(get);
    std::vector<int> decoded;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        decoded.push_back(TLZH::DecodeSymbol(in, *decoder));
    }
    EXPECT_EQ(decoded, symbols);
    EXPECT_TRUE(in.atCleanEnd());
}
