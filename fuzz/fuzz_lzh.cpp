// Any bytes as an LZH code must decode without harm (the first 4 give the count); the bytes
// themselves must code and decode back to themselves.
#include "tally/codec/lzh.h"

#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TLZH lzh;
    std::vector<std::uint8_t> output;
    auto put = [&output](std::uint8_t byte) { output.push_back(byte); };
    if (size >= 4) {
        // Counts up to 1 MiB: enough for any code that a fuzzer's input can hold.
        const std::int64_t count = (data[0] | data[1] << 8 | (data[2] & 15) << 16) - 16;
        lzh.LZHDecode(count, put, LzhMemorySource{data + 4, data + size});
    }
    std::vector<std::uint8_t> code;
    lzh.LZHEncode([&code](std::uint8_t byte) { code.push_back(byte); },
                  LzhMemorySource{data, data + size});
    output.clear();
    const bool whole = lzh.LZHDecode(static_cast<std::int64_t>(size), put,
                                     LzhMemorySource{code.data(), code.data() + code.size()});
    if (!whole || output != std::vector<std::uint8_t>(data, data + size)) {
        std::abort();
    }
    return 0;
}
