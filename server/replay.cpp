#include "server/replay.h"

#include "game/gametable.h"
#include "game/rules.h"

namespace server {

namespace {

// Why the action changed nothing, which no action of a whole game may do.
std::string idleAction(char action)
{
    if (action == rules::moves::deal)
        return "the line deals with no cards left";
    if (action == rules::moves::yes)
        return "the line answers yes with no ace to take off";
    return "the line has an invalid click";
}

} // namespace

std::string replayProblem(std::uint32_t deal, std::string_view moves, std::int32_t score)
{
    GameTable table;
    table.startDeal(deal);
    for (const char action : moves) {
        if (!table.gameactive())
            return "the line goes on after the game ended";
        if (!table.play(action))
            return idleAction(action);
    }
    if (table.gameactive())
        return "the line stops before the game ended";
    if (table.score() != score)
        return "the score is not the one the line ends with";
    return {};
}

} // namespace server
