#pragma once

#include "game/scoring.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// What the game posts to its web server and the server takes: one finished game's score.
namespace protocol {

// What a server takes: a name of 1 to 32 characters, a date text of at most 16, a score a
// finished game can end with, and a line of at most 2,000 actions (more than any game needs,
// clicks on an ace that only ask again included).
inline constexpr std::size_t maxNameCharacters = 32;
inline constexpr std::size_t maxDateCharacters = 16;
inline constexpr std::size_t maxMoves = 2000;
inline constexpr int lowestScore = scoring::lowestFinalScore;
inline constexpr int highestScore = scoring::highestFinalScore;

// A finished game's score: the player's name in UTF-8, the player's own date text (such as
// "3/7/05") and the final score; then, for a game the server can play again, the deal's
// number and the game's line (one action a character, rules::moves). A score posted without
// them is unverified.
struct PostedScore {
    std::string name;
    std::string date;
    std::int32_t score{};
    std::optional<std::uint32_t> deal{};
    std::string moves{};

    bool verified() const { return deal.has_value(); }
    bool operator==(const PostedScore &) const = default;
};

} // namespace protocol
