#pragma once

#include "game/solver/deal.h"
#include "game/solver/memo.h"
#include "game/solver/stagerecords.h"
#include "game/solver/stopcheck.h"

#include <cstddef>

namespace solver {

// Once no line wins, every game ends with some non-ace left, and the ceiling has to assume the
// cheapest: a single two. Often every game leaves something higher. For a rank r, a search like
// the one for a win, which ignores points, asks whether some line takes off every non-ace above
// r; where none does, every game from the board ends with a non-ace above r on it, and so does
// every game from each board the search for the best score weighs, as it is reached from there.
// The search leaves out only boards from which no such line can exist: those where a card above
// r stays for good, by the stuck cards with each ace held back until the cards above r of its
// suit might have gone (after an ace has gone by the question, the highest card of its suit
// left can never go), and the steps the deal leaves out in the last phase, as the one removal
// it keeps then leads to lines that take off all any other line does. Asked from the king
// downwards, as a board from which no line clears the cards above r clears none above a lower
// rank either: the boards ruled out for one rank stay ruled out for the next.
class LowestLeft {
public:
    LowestLeft(const Deal &deal, StopCheck &stopCheck) : m_deal(deal), m_stopCheck(stopCheck) {}

    // The lowest rank the highest non-ace left at the end of any game from the board can have;
    // a two when that is all the search could show within its limit of boards.
    int from(const Board &board);

private:
    // The boards the searches may weigh: where they would take more, the two costs less than
    // finding the answer. They keep them apart, so as not to crowd the search for the best
    // score.
    static constexpr std::size_t limit = 10'000;

    // Whether some line from the board ends with no non-ace above `rank` left.
    bool clears(const Board &board, int rank);
    // Whether some non-ace above the rank can never leave the board, by the stuck cards where
    // they have paid.
    bool staysAbove(const Board &board, int rank);

    const Deal &m_deal;
    StopCheck &m_stopCheck;
    Memo m_memo{limit}; // by the boards' keys in the search for a win: the highest rank above
                        // which no line clears, negated
    CutRecord m_stuckCards;
};

} // namespace solver
