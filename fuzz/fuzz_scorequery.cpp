// Any bytes as a score post's query must be read or refused with a reason; a query that is
// read must read the same once written again as the game writes it.
#include "protocol/scorequery.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view query(reinterpret_cast<const char *>(data), size);
    const protocol::ScoreQuery read = protocol::parseScoreQuery(query);
    if (!read.entry) {
        if (read.error.empty())
            std::abort();
        return 0;
    }
    const protocol::ScoreQuery again =
        protocol::parseScoreQuery(protocol::encodeScoreQuery(*read.entry));
    if (!again.entry || !(*again.entry == *read.entry))
        std::abort();
    return 0;
}
