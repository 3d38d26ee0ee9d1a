#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace server {

// One posted score, as the game sends it and the high-score page shows it.
struct ScoreEntry {
    std::string name;     // UTF-8, 1 to 32 characters
    std::string date;     // the player's own date text, such as "3/7/05"
    std::int32_t score{}; // final score of the game, may be negative
    // A verified score: the deal, and the line that played it to this score. None for a
    // score posted without them, which the server cannot check.
    std::optional<std::uint32_t> deal{};
    std::string moves{};

    bool verified() const { return deal.has_value(); }
    bool operator==(const ScoreEntry &) const = default;
};

} // namespace server
