#include "game/solver/endgame.h"

#include <algorithm>
#include <limits>

namespace solver {

namespace {

// Below every value, with room for the points of a line taken off.
constexpr int noFloor = 2 * none;

} // namespace

std::optional<int> Endgame::best(const Board &board, int floor)
{
    return answer(board, m_bestRecord, [&] { return value(board, floor); });
}

std::optional<bool> Endgame::wins(const Board &board)
{
    return answer(board, m_winRecord, [&] { return winsFrom(board); });
}

// What `search` answers for the board, or none: before the endgame's phase, where such a
// search has taken many boards by its record, or where this one would pass its limit.
template <typename Search>
auto Endgame::answer(const Board &board, EndgameRecord &record, Search search)
    -> std::optional<decltype(search())>
{
    if (board.dealt < from || !record.worthTrying(board.dealt))
        return std::nullopt;
    m_boardsLeft = limit;
    std::optional<decltype(search())> answer;
    try {
        answer = search();
    } catch (const EndgameTooLarge &) {
    }
    record.spent(board.dealt, answer ? limit - m_boardsLeft : limit);
    return answer;
}

// What the board adds at best, encoded as the cache keeps it, where that beats `floor`; else a
// bound on it no higher than `floor`. Throws EndgameTooLarge past its limit.
int Endgame::value(const Board &board, int floor)
{
    const Key k = m_deal.key(board);
    if (const ExactCache::Entry *known = m_cache.find(k);
        known && (known->exact || known->value <= floor))
        return known->value;
    weighOneMore();
    int best = std::numeric_limits<int>::min();
    m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
        best = std::max(best, worth(step, next, std::max(best, floor)));
    });
    m_cache.store(k, best, best > floor);
    return best;
}

// What the step adds at best, as value() answers for a board: a step that cannot beat `floor`
// by its ceiling is bounded by it and no more.
int Endgame::worth(const Step &step, const Board &next, int floor)
{
    if (step.ended)
        return encoded(step.points + step.ending, step.won);
    const int most = encoded(step.points + m_deal.ceiling(next), true);
    const int points = encoded(step.points, false);
    return most <= floor ? most : points + value(next, floor - points);
}

// Whether some line from the board wins. Throws EndgameTooLarge past its limit.
bool Endgame::winsFrom(const Board &board)
{
    const Key k = m_deal.winKey(board);
    if (const ExactCache::Entry *known = m_cache.find(k))
        return known->value != 0;
    weighOneMore();
    bool wins = false;
    if (m_deal.stayingForGood(board).cards == 0) {
        m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
            wins = wins || (step.ended ? step.won : winsFrom(next));
        });
    }
    m_cache.store(k, wins, true);
    return wins;
}

// The search counts the boards it weighs. Throws EndgameTooLarge past its limit.
void Endgame::weighOneMore()
{
    m_stopCheck();
    if (m_boardsLeft-- == 0)
        throw EndgameTooLarge();
}

std::string Endgame::bestLine(const Board &board)
{
    return line(board,
                [this](const Board &from) {
                    const int best = value(from, noFloor);
                    return [this, best](const Step &step, const Board &next) {
                        return worth(step, next, best - 1) == best;
                    };
                })
        .actions;
}

SolvedLine Endgame::winningLine(const Board &board)
{
    return line(board, [this](const Board &) {
        return [this](const Step &step, const Board &next) {
            return step.ended ? step.won : winsFrom(next);
        };
    });
}

// The line from the board that takes at each board the first step accepted by the test
// `chooser(board)` makes, and what it adds. Unsolved (by EndgameTooLarge) rather than a wrong
// line, should it accept none.
template <typename Chooser> SolvedLine Endgame::line(Board board, Chooser chooser)
{
    // The board was answered within the limit, but some of what that took may have given way
    // in the cache since, so some boards are weighed again.
    m_boardsLeft = std::numeric_limits<std::size_t>::max();
    SolvedLine line;
    for (bool ended = false; !ended;) {
        const auto accepts = chooser(board);
        Board chosen;
        bool found = false;
        m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
            if (found || !accepts(step, next))
                return;
            found = true;
            line.actions += step.action;
            line.finalScore += step.points + step.ending;
            ended = step.ended;
            chosen = next;
        });
        if (!found)
            throw EndgameTooLarge();
        board = chosen;
    }
    return line;
}

} // namespace solver
