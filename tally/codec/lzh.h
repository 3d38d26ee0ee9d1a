#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <type_traits>

// Raised when the LZH tables cannot be had.
class ElzhException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One coded symbol as the LZH coder emits it: a literal byte (0-255) or a match length
// (symbol = length + 253) with its distance value (distance - 1), and its code's length in bits.
struct LzhSymbol {
    int symbol = 0;
    int position = -1; // -1 for a literal
    int codeBits = 0;
};

// The LZH model shared by coder and decoder: the sliding window with its search tree and the
// adaptive Huffman code. Allocated per call.
struct LzhModel {
    static constexpr int window = 4096;
    static constexpr int lookAhead = 60;
    static constexpr int threshold = 2;
    static constexpr int symbols = 314;
    static constexpr int nodes = 627;
    static constexpr int root = nodes - 1;
    static constexpr int frequencyLimit = 32768;
    static constexpr int empty = window;
    static constexpr int firstPosition = window - lookAhead; // 4036
    // Key comparison reads whole words; these bytes past the mirror are never part of a key.
    static constexpr int textPadding = 8;

    std::array<std::uint8_t, window + lookAhead - 1 + textPadding> text{};
    std::array<std::int16_t, window + 1> left{};
    std::array<std::int16_t, window + 257> right{};
    std::array<std::int16_t, window + 1> parent{};
    std::array<std::uint16_t, nodes + 1> freq{};
    std::array<std::int16_t, nodes + symbols> up{};
    std::array<std::int16_t, nodes> down{};
    int matchLength = 0;
    int matchPosition = 0;

    // Blanks before the first position; the rest, mirror included, 0 until input reaches it.
    void fillWindow();
    void TreeInit();
    void TreeInsert(int r);
    void TreeDelete(int p);
    void HuffInit();
    void HuffRebuild();
    void HuffUpdate(int symbol);

private:
    // Points a child entry (both entries of an inner child pair) at its parent entry.
    void setUp(int child, int entry);
};

// The fixed prefix code for the upper 6 bits of a distance, and its inverse over 8-bit prefixes.
struct LzhPositionCode {
    std::array<std::uint8_t, 64> length{};
    std::array<std::uint8_t, 64> code{};
    std::array<std::uint8_t, 256> upper{};
    std::array<std::uint8_t, 256> upperLength{};
};

constexpr LzhPositionCode makeLzhPositionCode()
{
    LzhPositionCode table;
    unsigned code = 0;
    int previous = 3;
    for (int value = 0; value < 64; ++value) {
        const int length = value < 1    ? 3
                           : value < 4  ? 4
                           : value < 12 ? 5
                           : value < 24 ? 6
                           : value < 48 ? 7
                                        : 8;
        if (value > 0) {
            code = (code + 1) << (length - previous);
        }
        previous = length;
        table.length[value] = static_cast<std::uint8_t>(length);
        table.code[value] = static_cast<std::uint8_t>(code);
        const unsigned first = code << (8 - length);
        for (unsigned b = first; b < first + (1u << (8 - length)); ++b) {
            table.upper[b] = static_cast<std::uint8_t>(value);
            table.upperLength[b] = static_cast<std::uint8_t>(length);
        }
    }
    return table;
}

inline constexpr LzhPositionCode lzhPositionCode = makeLzhPositionCode();

// Writes bits most significant first through a put-byte function object.
template <class Put> class LzhBitWriter {
public:
    explicit LzhBitWriter(Put &put) : m_put(put) {}

    // Writes the low n (at most 32) bits of bits.
    void PutBits(int n, std::uint32_t bits)
    {
        m_word = m_word << n | bits;
        m_count += n;
        while (m_count >= 8) {
            m_count -= 8;
            m_put(static_cast<std::uint8_t>(m_word >> m_count));
        }
    }

    // Pads the last byte with zero bits.
    void FlushBits()
    {
        if (m_count != 0) {
            m_put(static_cast<std::uint8_t>(m_word << (8 - m_count)));
            m_count = 0;
        }
    }

private:
    Put &m_put;
    std::uint64_t m_word = 0;
    int m_count = 0;
};

// Reads bits most significant first, a byte only when its bits are needed, so that running
// past the end of the code is noticed exactly.
template <class Get> class LzhBitReader {
public:
    explicit LzhBitReader(Get &get) : m_get(get) {}

    int GetBit()
    {
        if (m_count == 0) {
            refill();
        }
        --m_count;
        return static_cast<int>(m_word >> m_count & 1);
    }

    int GetByte()
    {
        if (m_count < 8) {
            refill();
        }
        m_count -= 8;
        return static_cast<int>(m_word >> m_count & 0xFF);
    }

    // True once a bit beyond the end of the input was asked for (it read as 0).
    bool overran() const { return m_overran; }

    // True when nothing but the zero bits that pad the last byte is left.
    bool atCleanEnd()
    {
        std::uint8_t byte = 0;
        return !m_overran && (m_word & ((1u << m_count) - 1)) == 0 && !m_get(byte);
    }

private:
    void refill()
    {
        std::uint8_t byte = 0;
        if (!m_get(byte)) {
            m_overran = true;
            byte = 0;
        }
        m_word = m_word << 8 | byte;
        m_count += 8;
    }

    Get &m_get;
    std::uint32_t m_word = 0;
    int m_count = 0;
    bool m_overran = false;
};

// An observer that ignores what the coder emits.
struct LzhIgnoreSymbols {
    void operator()(const LzhSymbol &) const {}
};

// A get-bytes callback over a buffer in memory: hands out its bytes one at a time, then
// reports the end.
struct LzhMemorySource {
    const std::uint8_t *next;
    const std::uint8_t *end;
    bool operator()(std::uint8_t &byte)
    {
        if (next == end)
            return false;
        byte = *next++;
        return true;
    }
};

// The LZH coding: LZSS over a 4096-byte window with an adaptive Huffman code for literals and
// match lengths and a fixed prefix code for distances. Bytes come and go through function
// objects: get(std::uint8_t &) -> bool (false at the end of the input) and put(std::uint8_t).
class TLZH {
public:
    // Codes the whole input and returns the number of input bytes coded.
    template <class Put, class Get, class Observe = LzhIgnoreSymbols>
    std::int64_t LZHEncode(Put &&put, Get &&get, Observe &&observe = {});

    // Decodes until count bytes have been produced. Returns false when the code does not hold
    // exactly count bytes: it ends too early, or more than padding is left after them.
    template <class Put, class Get> bool LZHDecode(std::int64_t count, Put &&put, Get &&get);

    // The symbol-level steps of both, on a model set up by HuffInit: EncodeSymbol writes a
    // symbol's adaptive code and returns its length in bits; DecodeSymbol reads one back.
    template <class Writer> static int EncodeSymbol(Writer &out, LzhModel &model, int symbol);
    template <class Writer> static void EncodeDistance(Writer &out, int position);
    template <class Reader> static int DecodeSymbol(Reader &in, LzhModel &model);
    template <class Reader> static int DecodeDistance(Reader &in);

private:
    static std::unique_ptr<LzhModel> newModel();
};

template <class Writer> int TLZH::EncodeSymbol(Writer &out, LzhModel &model, int symbol)
{
    // Walk from the leaf to the root; the root's child gives the first bit. A code may be
    // longer than 16 bits, so it is collected in a wide word and written in pieces.
    std::uint64_t code = 0;
    int length = 0;
    for (int k = model.up[LzhModel::nodes + symbol]; k != LzhModel::root; k = model.up[k]) {
        code = code >> 1 | std::uint64_t(k & 1) << 63;
        ++length;
    }
    for (int left = length; left > 0;) {
        const int n = std::min(left, 32);
        out.PutBits(n, static_cast<std::uint32_t>(code >> (64 - n)));
        code <<= n;
        left -= n;
    }
    model.HuffUpdate(symbol);
    return length;
}

template <class Writer> void TLZH::EncodeDistance(Writer &out, int position)
{
    const int upper = position >> 6;
    out.PutBits(lzhPositionCode.length[upper] + 6,
                static_cast<std::uint32_t>(lzhPositionCode.code[upper] << 6 | (position & 63)));
}

template <class Reader> int TLZH::DecodeSymbol(Reader &in, LzhModel &model)
{
    int c = model.down[LzhModel::root];
    while (c < LzhModel::nodes) {
        c = model.down[c + in.GetBit()];
    }
    c -= LzhModel::nodes;
    model.HuffUpdate(c);
    return c;
}

template <class Reader> int TLZH::DecodeDistance(Reader &in)
{
    int b = in.GetByte();
    const int upper = lzhPositionCode.upper[b];
    for (int n = lzhPositionCode.upperLength[b] - 2; n > 0; --n) {
        b = b << 1 | in.GetBit();
    }
    return upper << 6 | (b & 63);
}

template <class Put, class Get, class Observe>
std::int64_t TLZH::LZHEncode(Put &&put, Get &&get, Observe &&observe)
{
    using M = LzhModel;
    const std::unique_ptr<M> model = newModel();
    M &m = *model;
    LzhBitWriter<std::remove_reference_t<Put>> out(put);
    m.HuffInit();
    m.TreeInit();
    m.fillWindow();
    int r = M::firstPosition;
    int s = 0;
    int len = 0;
    std::uint8_t byte = 0;
    while (len < M::lookAhead && get(byte)) {
        m.text[r + len++] = byte;
    }
    std::int64_t coded = len;
    for (int i = 1; i <= M::lookAhead; ++i) {
        m.TreeInsert(r - i);
    }
    m.TreeInsert(r);
    do {
        m.matchLength = std::min(m.matchLength, len);
        if (m.matchLength <= M::threshold) {
            m.matchLength = 1;
            const int symbol = m.text[r];
            observe(LzhSymbol{symbol, -1, EncodeSymbol(out, m, symbol)});
        } else {
            const int symbol = m.matchLength + 255 - M::threshold;
            const int bits = EncodeSymbol(out, m, symbol);
            EncodeDistance(out, m.matchPosition);
            observe(LzhSymbol{symbol, m.matchPosition, bits});
        }
        const int last = m.matchLength;
        int i = 0;
        for (; i < last && get(byte); ++i) {
            m.TreeDelete(s);
            m.text[s] = byte;
            if (s < M::lookAhead - 1) {
                m.text[s + M::window] = byte;
            }
            s = (s + 1) & (M::window - 1);
            r = (r + 1) & (M::window - 1);
            m.TreeInsert(r);
        }
        coded += i;
        for (; i < last; ++i) {
            m.TreeDelete(s);
            s = (s + 1) & (M::window - 1);
            r = (r + 1) & (M::window - 1);
            if (--len != 0) {
                m.TreeInsert(r);
            }
        }
    } while (len > 0);
    out.FlushBits();
    return coded;
}

template <class Put, class Get> bool TLZH::LZHDecode(std::int64_t count, Put &&put, Get &&get)
{
    using M = LzhModel;
    const std::unique_ptr<M> model = newModel();
    M &m = *model;
    LzhBitReader<std::remove_reference_t<Get>> in(get);
    m.HuffInit();
    m.fillWindow();
    // The coder writes one literal even for an empty input; it belongs to the code.
    if (count == 0 && (DecodeSymbol(in, m) >= 256 || in.overran())) {
        return false;
    }
    int r = M::firstPosition;
    std::int64_t produced = 0;
    while (produced < count) {
        const int c = DecodeSymbol(in, m);
        const bool literal = c < 256;
        const int from = literal ? 0 : r - DecodeDistance(in) - 1;
        if (in.overran()) {
            return false;
        }
        const int length = literal ? 1 : c - 255 + M::threshold;
        for (int k = 0; k < length; ++k) {
            const auto b =
                literal ? static_cast<std::uint8_t>(c) : m.text[(from + k) & (M::window - 1)];
            put(b);
            m.text[r] = b;
            r = (r + 1) & (M::window - 1);
        }
        produced += length;
    }
    return produced == count && in.atCleanEnd();
}
