#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace server {

// Plays a posted game again: the deal of that number, each action of the line through the
// game's own table. Empty when the line is a whole, legal game of the deal that ends with the
// score; otherwise a short reason, such as "the line stops before the game ended".
std::string replayProblem(std::uint32_t deal, std::string_view moves, std::int32_t score);

} // namespace server
