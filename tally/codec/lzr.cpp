#include "tally/codec/lzr.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr std::uint8_t codedFlag = 64;
constexpr std::uint8_t storedFlag = 128;
constexpr int maxOffset = 4095;
constexpr int minMatch = 3;
constexpr int maxMatch = 18;
constexpr int minRun = 16;
constexpr int maxRun = 4095;

void storeWord(std::uint8_t *dest, unsigned word)
{
    dest[0] = static_cast<std::uint8_t>(word >> 8);
    dest[1] = static_cast<std::uint8_t>(word);
}

// Copies count bytes from offset bytes back, as if one at a time front to back (a match may
// overlap the bytes it makes). Where the source lies at least a word back and the block has
// room, whole words are moved; the bytes written past the match are overwritten later.
void copyMatch(std::uint8_t *dest, int y, int offset, int count)
{
    constexpr int word = 8;
    constexpr int words = (maxMatch + word - 1) / word;
    std::uint8_t *to = dest + y;
    const std::uint8_t *from = to - offset;
    if (offset >= word && y + words * word <= TLZR::blockSize) {
        for (int i = 0; i < words * word; i += word) {
            std::memcpy(to + i, from + i, word);
        }
        return;
    }
    for (int i = 0; i < count; ++i) {
        to[i] = from[i];
    }
}

unsigned hashOf(const std::uint8_t *at)
{
    const unsigned key = (((unsigned{at[0]} << 4) ^ at[1]) << 4) ^ at[2];
    return ((key * 40543u) >> 4) & 4095u;
}

} // namespace

TLZR::TLZR() : m_hashTable(new (std::nothrow) std::int16_t[hashSize])
{
    if (!m_hashTable) {
        throw ELzrw1KHCompressor("LZRW1KH : no memory for HASH table");
    }
}

// Looks for a back-reference at x and enters x into the hash table. Callers leave out the last
// two positions of a block, where no match fits whatever the bytes past its end hold.
TLZR::Match TLZR::FindMatch(const std::uint8_t *source, int x, int n)
{
    std::int16_t &slot = m_hashTable[hashOf(source + x)];
    const int p = slot;
    slot = static_cast<std::int16_t>(x);
    if (p < 0 || x - p > maxOffset) {
        return {};
    }
    const int limit = std::min(maxMatch, n - x);
    int length = 0;
    while (length < limit && source[x + length] == source[p + length]) {
        ++length;
    }
    return length >= minMatch ? Match{length, x - p} : Match{};
}

std::uint16_t TLZR::CompressBlock(const std::uint8_t *source, std::uint8_t *dest,
                                  std::uint16_t count)
{
    const int n = count;
    std::fill_n(m_hashTable.get(), hashSize, std::int16_t{-1});
    dest[0] = codedFlag;
    int x = 0;
    int y = 3;
    int z = 1;
    int items = 0;
    unsigned control = 0;
    while (x < n && y <= n) {
        if (items > 15) {
            storeWord(dest + z, control);
            z = y;
            y += 2;
            items = 0;
        }
        const std::uint8_t byte = source[x];
        const int runLimit = std::min(maxRun, n - x);
        int run = 1;
        while (run < runLimit && source[x + run] == byte) {
            ++run;
        }
        const Match match = run < minRun && n - x >= minMatch ? FindMatch(source, x, n) : Match{};
        if (run >= minRun) {
            dest[y] = 0;
            storeWord(dest + y + 1, static_cast<unsigned>(run - minRun));
            dest[y + 3] = byte;
            y += 4;
            x += run;
            control = control << 1 | 1;
        } else if (match.length != 0) {
            storeWord(dest + y, static_cast<unsigned>(match.offset * 16 + match.length - minMatch));
            y += 2;
            x += match.length;
            control = control << 1 | 1;
        } else {
            dest[y++] = byte;
            ++x;
            control <<= 1;
        }
        ++items;
    }
    storeWord(dest + z, (control << (16 - items)) & 0xFFFF);
    if (y > n) {
        dest[0] = storedFlag;
        std::memcpy(dest + 1, source, static_cast<std::size_t>(n));
        return static_cast<std::uint16_t>(n + 1);
    }
    return static_cast<std::uint16_t>(y);
}

std::optional<std::uint16_t> TLZR::DecompressBlock(const std::uint8_t *source, std::uint8_t *dest,
                                                   std::uint16_t length) const
{
    const int end = length;
    if (end <= 1) {
        return 0;
    }
    if (source[0] == storedFlag) {
        if (end - 1 > blockSize) {
            return std::nullopt;
        }
        std::memcpy(dest, source + 1, static_cast<std::size_t>(end - 1));
        return static_cast<std::uint16_t>(end - 1);
    }
    if (end < 3) {
        return 0;
    }
    int x = 3;
    int y = 0;
    unsigned control = unsigned{source[1]} << 8 | source[2];
    int bits = 16;
    while (x < end) {
        if (bits == 0) {
            // A group always holds at least one item after its control word.
            if (x + 2 >= end) {
                return std::nullopt;
            }
            control = unsigned{source[x]} << 8 | source[x + 1];
            x += 2;
            bits = 16;
        }
        if ((control & 0x8000) == 0) {
            if (y == blockSize) {
                return std::nullopt;
            }
            dest[y++] = source[x++];
        } else {
            if (x + 2 > end) {
                return std::nullopt;
            }
            const int offset = source[x] << 4 | source[x + 1] >> 4;
            if (offset == 0) {
                if (x + 4 > end) {
                    return std::nullopt;
                }
                const int count = (source[x + 1] << 8 | source[x + 2]) + minRun;
                if (count > blockSize - y) {
                    return std::nullopt;
                }
                std::memset(dest + y, source[x + 3], static_cast<std::size_t>(count));
                y += count;
                x += 4;
            } else {
                const int count = (source[x + 1] & 15) + minMatch;
                if (offset > y || count > blockSize - y) {
                    return std::nullopt;
                }
                copyMatch(dest, y, offset, count);
                y += count;
                x += 2;
            }
        }
        control <<= 1;
        --bits;
    }
    return static_cast<std::uint16_t>(y);
}
