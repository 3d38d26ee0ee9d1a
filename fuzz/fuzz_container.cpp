// Any bytes as a tally container must decompress or fail with the coder's exception.
#include "tally/codec/lzrw1.h"

#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::stringstream in(std::string(reinterpret_cast<const char *>(data), size));
    std::stringstream out;
    Tlzrw1 doit;
    doit.useStreams(in, out);
    try {
        doit.Decompress();
    } catch (const ELzrw1Exception &) {
    }
    return 0;
}
