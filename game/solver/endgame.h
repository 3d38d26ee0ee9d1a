#pragma once

#include "game/solver.h"
#include "game/solver/deal.h"
#include "game/solver/memo.h"
#include "game/solver/stagerecords.h"
#include "game/solver/stopcheck.h"

#include <cstddef>
#include <optional>
#include <string>

namespace solver {

// What a line adds, as the endgame search weighs it: twice the points, plus one when the line
// wins, so that the larger is the better line, a win the better at a tie.
constexpr int encoded(int points, bool won)
{
    return 2 * points + (won ? 1 : 0);
}
constexpr int pointsOf(int value)
{
    return value >> 1;
}
constexpr bool wonOf(int value)
{
    return (value & 1) != 0;
}

// Thrown out of the endgame search when it has weighed as many boards as it may.
struct EndgameTooLarge {};

// Near the end of a game few boards are left to weigh from a board, and the bounds seldom rule
// a board out there, so the lines from it are weighed at once, depth first, in a cache of their
// own. Each question is answered only from two deals before the deck is out, where such
// searches have not taken many boards by their record, and within a limit of boards.
class Endgame {
public:
    Endgame(const Deal &deal, StopCheck &stopCheck) : m_deal(deal), m_stopCheck(stopCheck) {}

    // What the board adds at best, encoded, where that beats `floor` (encoded); else a bound on
    // it no higher than `floor`. None where the search is not tried or passes its limit.
    std::optional<int> best(const Board &board, int floor);
    // Whether some line from the board wins, with no regard to points; none as above.
    std::optional<bool> wins(const Board &board);

    // The best line from a board `best` has answered: at each board a step that adds its
    // value, found without weighing the others exactly.
    std::string bestLine(const Board &board);
    // A winning line from a board `wins` has found one from, and what it adds.
    SolvedLine winningLine(const Board &board);

private:
    // The endgame search starts two deals before the deck is out: earlier it has seldom paid.
    static constexpr int from = Deal::lastDealFrom - columns;
    // The boards an endgame search may weigh.
    static constexpr std::size_t limit = 400;

    template <typename Search>
    auto answer(const Board &board, EndgameRecord &record, Search search)
        -> std::optional<decltype(search())>;
    inline int value(const Board &board, int floor);
    inline int worth(const Step &step, const Board &next, int floor);
    inline bool winsFrom(const Board &board);
    inline void weighOneMore();
    template <typename Chooser> SolvedLine line(Board board, Chooser chooser);

    const Deal &m_deal;
    StopCheck &m_stopCheck;
    ExactCache m_cache;
    std::size_t m_boardsLeft = 0;
    EndgameRecord m_bestRecord; // in the search for the best score
    EndgameRecord m_winRecord;  // in the search for a win
};

} // namespace solver
