#pragma once

#include <cstdint>
#include <string>

namespace server {

// One posted score, as the game sends it and the high-score page shows it.
struct ScoreEntry {
    std::string name;     // UTF-8, 1 to 32 characters
    std::string date;     // the player's own date text, such as "3/7/05"
    std::int32_t score{}; // final score of the game, may be negative

    bool operator==(const ScoreEntry &) const = default;
};

} // namespace server
