#include "tally/codec/lzh.h"

#include <bit>
#include <cstring>
#include <new>

namespace {

using M = LzhModel;

// Length of the common prefix of two keys, counted from byte 1 (byte 0 chose the tree):
// the first index that differs, or the look-ahead when all agree.
int commonLength(const std::uint8_t *a, const std::uint8_t *b)
{
    for (int i = 1; i < M::lookAhead; i += 8) {
        std::uint64_t wa = 0;
        std::uint64_t wb = 0;
        std::memcpy(&wa, a + i, sizeof wa);
        std::memcpy(&wb, b + i, sizeof wb);
        if (const std::uint64_t diff = wa ^ wb) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(diff)
                                                                       : std::countl_zero(diff);
            return std::min(i + bit / 8, M::lookAhead);
        }
    }
    return M::lookAhead;
}

} // namespace

std::unique_ptr<LzhModel> TLZH::newModel()
{
    std::unique_ptr<LzhModel> model(new (std::nothrow) LzhModel);
    if (!model) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
    return model;
}

void LzhModel::fillWindow()
{
    std::fill(text.begin(), text.begin() + firstPosition, std::uint8_t{' '});
    std::fill(text.begin() + firstPosition, text.end(), std::uint8_t{0});
}

void LzhModel::TreeInit()
{
    std::fill(right.begin() + window + 1, right.end(), std::int16_t{empty});
    std::fill(parent.begin(), parent.end(), std::int16_t{empty});
}

void LzhModel::TreeInsert(int r)
{
    const std::uint8_t *key = &text[r];
    int p = window + 1 + key[0];
    left[r] = right[r] = empty;
    matchLength = 0;
    bool toRight = true;
    while (matchLength < lookAhead) {
        std::int16_t &child = toRight ? right[p] : left[p];
        if (child == empty) {
            child = static_cast<std::int16_t>(r);
            parent[r] = static_cast<std::int16_t>(p);
            return;
        }
        p = child;
        const std::uint8_t *other = &text[p];
        const int i = commonLength(key, other);
        // Keys that agree in all their bytes need no direction: the match is complete.
        if (i < lookAhead) {
            toRight = key[i] >= other[i];
        }
        if (i > threshold) {
            const int d = ((r - p) & (window - 1)) - 1;
            if (i > matchLength) {
                matchLength = i;
                matchPosition = d;
            } else if (i == matchLength && d < matchPosition) {
                matchPosition = d;
            }
        }
    }
    // An equal key: r takes p's place in the tree.
    parent[r] = parent[p];
    left[r] = left[p];
    right[r] = right[p];
    parent[left[p]] = static_cast<std::int16_t>(r);
    parent[right[p]] = static_cast<std::int16_t>(r);
    std::int16_t &link = right[parent[p]] == p ? right[parent[p]] : left[parent[p]];
    link = static_cast<std::int16_t>(r);
    parent[p] = empty;
}

void LzhModel::TreeDelete(int p)
{
    if (parent[p] == empty) {
        return;
    }
    int q = 0;
    if (right[p] == empty) {
        q = left[p];
    } else if (left[p] == empty) {
        q = right[p];
    } else {
        q = left[p];
        if (right[q] != empty) {
            do {
                q = right[q];
            } while (right[q] != empty);
            right[parent[q]] = left[q];
            parent[left[q]] = parent[q];
            left[q] = left[p];
            parent[left[p]] = static_cast<std::int16_t>(q);
        }
        right[q] = right[p];
        parent[right[p]] = static_cast<std::int16_t>(q);
    }
    parent[q] = parent[p];
    std::int16_t &link = right[parent[p]] == p ? right[parent[p]] : left[parent[p]];
    link = static_cast<std::int16_t>(q);
    parent[p] = empty;
}

void LzhModel::HuffInit()
{
    for (int i = 0; i < symbols; ++i) {
        freq[i] = 1;
        down[i] = static_cast<std::int16_t>(nodes + i);
        up[nodes + i] = static_cast<std::int16_t>(i);
    }
    for (int i = 0, j = symbols; j < nodes; i += 2, ++j) {
        freq[j] = static_cast<std::uint16_t>(freq[i] + freq[i + 1]);
        down[j] = static_cast<std::int16_t>(i);
        up[i] = up[i + 1] = static_cast<std::int16_t>(j);
    }
    freq[nodes] = 0xFFFF;
    up[root] = 0;
}

void LzhModel::HuffRebuild()
{
    int j = 0;
    for (int i = 0; i < nodes; ++i) {
        if (down[i] >= nodes) {
            freq[j] = static_cast<std::uint16_t>((freq[i] + 1) / 2);
            down[j] = down[i];
            ++j;
        }
    }
    for (int i = 0; j < nodes; i += 2, ++j) {
        const unsigned f = freq[i] + freq[i + 1];
        int k = j - 1;
        while (freq[k] > f) {
            --k;
        }
        ++k;
        std::copy_backward(freq.begin() + k, freq.begin() + j, freq.begin() + j + 1);
        std::copy_backward(down.begin() + k, down.begin() + j, down.begin() + j + 1);
        freq[k] = static_cast<std::uint16_t>(f);
        down[k] = static_cast<std::int16_t>(i);
    }
    for (int i = 0; i < nodes; ++i) {
        setUp(down[i], i);
    }
}

void LzhModel::setUp(int child, int entry)
{
    up[child] = static_cast<std::int16_t>(entry);
    if (child < nodes) {
        up[child + 1] = static_cast<std::int16_t>(entry);
    }
}

void LzhModel::HuffUpdate(int symbol)
{
    if (freq[root] >= frequencyLimit) {
        HuffRebuild();
    }
    int c = up[nodes + symbol];
    do {
        const unsigned k = ++freq[c];
        if (freq[c + 1] < k) {
            // Move the grown entry behind the last one that still counts less, keeping the
            // counts in order, by exchanging the two.
            int l = c + 1;
            while (freq[l + 1] < k) {
                ++l;
            }
            freq[c] = freq[l];
            freq[l] = static_cast<std::uint16_t>(k);
            const int i = down[c];
            const int j = down[l];
            setUp(i, l);
            setUp(j, c);
            down[l] = static_cast<std::int16_t>(i);
            down[c] = static_cast<std::int16_t>(j);
            c = l;
        }
        c = up[c];
    } while (c != 0);
}
