// Any bytes as an LZRW1/KH block must decode inside the buffers; up to a block of them must
// also code and decode back to themselves.
#include "tally/codec/lzr.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static TLZR lzr;
    std::vector<std::uint8_t> block(TLZR::blockSize);
    if (size <= TLZR::blockSize + 1) {
        lzr.DecompressBlock(data, block.data(), static_cast<std::uint16_t>(size));
    }
    if (size <= TLZR::blockSize) {
        std::vector<std::uint8_t> coded(size + TLZR::destSpare);
        const std::uint16_t length =
            lzr.CompressBlock(data, coded.data(), static_cast<std::uint16_t>(size));
        const auto made = lzr.DecompressBlock(coded.data(), block.data(), length);
        if (length > size + 1 || !made || *made != size ||
            (size != 0 && std::memcmp(block.data(), data, size) != 0)) {
            std::abort();
        }
    }
    return 0;
}
