#include "game/solver.h"

#include "game/solver/cardbounds.h"
#include "game/solver/deal.h"
#include "game/solver/endgame.h"
#include "game/solver/lowestleft.h"
#include "game/solver/memo.h"
#include "game/solver/stopcheck.h"

#include <algorithm>
#include <memory>
#include <optional>

namespace solver {

namespace {

// The exact search: the best line by a target lowered from the highest conceivable score,
// each pass a depth-first branch and bound that remembers what it learns of each board.
class Search {
public:
    Search(const Position &position, std::size_t maxPositions, StopCheck stopCheck,
           std::size_t boundAfter)
        : m_deal(position), m_stopCheck(stopCheck), m_memo(maxPositions),
          m_bounds(m_deal, boundAfter), m_endgame(m_deal, m_stopCheck)
    {
    }

    Solution run(int score)
    {
        Solution solution;
        try {
            solveInto(solution, score);
        } catch (const Memo::TooLarge &) {
            solution = Solution();
        } catch (const Stopped &) {
            solution = Solution();
        } catch (const EndgameTooLarge &) {
            solution = Solution(); // a line not rebuilt: never, as each board's value is a step's
        }
        solution.positions = m_memo.size();
        return solution;
    }

private:
    void solveInto(Solution &solution, int score);
    int search(const Board &board, int gained);
    void reached(int total, bool won, const Board *end);
    bool winnable(const Board &board, int gained);
    bool mightWin(const Board &board);

    Deal m_deal;
    StopCheck m_stopCheck;
    Memo m_memo; // upper bounds of what each board can add
    CardBounds m_bounds;
    Endgame m_endgame;
    std::string m_path;
    int m_bestTotal = none;
    std::string m_bestLine;
    bool m_bestWon = false;
    std::optional<Board> m_bestEnd; // where the best line goes on as the endgame search found
    SolvedLine m_win;               // a winning line from the start, its score what it adds
};

// Each pass cuts every line that cannot reach its target, and the bounds it learns carry over
// to the next. When the first falls short, whether any win is left is settled apart: it is
// often quickly known, and with no win the ceiling of every board drops by more than the
// win's points, and by more again where every game is sure to leave a higher card.
void Search::solveInto(Solution &solution, int score)
{
    const Board &start = m_deal.start();
    if (!m_deal.hasStep(start))
        return; // the game is over already
    std::optional<bool> canWin;
    if (m_deal.noWin())
        canWin = false;
    for (int target = m_deal.ceiling(start);; target -= 30) {
        m_bestTotal = target - 1;
        search(start, 0);
        if (m_bestTotal >= target)
            break;
        if (!canWin) {
            canWin = winnable(start, 0);
            if (!*canWin) {
                // The next pass from the lower ceiling, 30 being taken off first. The passes
                // keep the targets a two left would give them, as a pass that ends lower may
                // weigh far more; those above the ceiling the lowest rank left gives end at once.
                m_deal.ruleOutWin();
                target = std::min(target, m_deal.ceiling(start) + 30);
                m_deal.ruleOutWin(LowestLeft(m_deal, m_stopCheck).from(start));
            }
        }
    }
    solution.solved = true;
    if (m_bestEnd)
        m_bestLine += m_endgame.bestLine(*m_bestEnd);
    solution.best = {score + m_bestTotal, m_bestWon, m_bestLine};
    if (m_bestWon) {
        solution.win = solution.best;
        return;
    }
    // Not asked yet only when the first pass found a lost line: the ceiling knew of a card
    // that stays for good, so the answer is quick.
    if (!canWin)
        canWin = winnable(start, 0);
    if (*canWin)
        solution.win = SolvedLine{score + m_win.finalScore, true, m_win.actions};
}

// Depth-first branch and bound: what the board can add at most (exact when nothing below it
// was cut off), keeping every line that beats the best so far.
int Search::search(const Board &board, int gained)
{
    m_stopCheck();
    const Key k = m_deal.key(board);
    const Value *known = m_memo.find(k);
    if (known && known->exact) {
        reached(gained + known->best, known->won, &board);
        return known->best;
    }
    int most = m_deal.ceiling(board);
    if (known)
        most = std::min<int>(most, known->best);
    if (gained + most <= m_bestTotal)
        return most;
    const int floor = encoded(m_bestTotal - gained, m_bestWon);
    if (const std::optional<int> value = m_endgame.best(board, floor)) {
        const int best = pointsOf(*value);
        if (*value <= floor) {
            m_memo.lower(k, best);
            return std::min(best, most);
        }
        Value &entry = m_memo.at(k);
        entry.best = static_cast<std::int16_t>(best);
        entry.exact = true;
        entry.won = wonOf(*value);
        reached(gained + best, entry.won, &board);
        return best;
    }
    if (!(known && known->weighed) && m_bounds.worthTrying(board, m_memo.size())) {
        // Worked out once a board: the memo keeps it for the later passes.
        Value &entry = m_memo.at(k);
        entry.weighed = true;
        most = std::min(most, m_bounds.bound(board));
        entry.best = static_cast<std::int16_t>(std::min<int>(entry.best, most));
        const bool cut = gained + most <= m_bestTotal;
        m_bounds.tried(board, cut);
        if (cut)
            return most;
    }
    int result = none;
    m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
        const std::size_t mark = m_path.size();
        m_path += step.action;
        int worth = none;
        if (step.ended) {
            worth = step.points + step.ending;
            reached(gained + worth, step.won, nullptr);
        } else if (const int below = search(next, gained + step.points); below != none) {
            worth = step.points + below;
        }
        result = std::max(result, worth);
        m_path.resize(mark);
    });
    result = std::min(result, most);
    m_memo.lower(k, result);
    return result;
}

// Keeps the line so far as the best when it beats it; a win as good as the best loss found is
// the better line to show. `end` is the board the line goes on from, the endgame search's
// answer, or null when the line has ended.
void Search::reached(int total, bool won, const Board *end)
{
    if (total > m_bestTotal || (total == m_bestTotal && won && !m_bestWon)) {
        m_bestTotal = total;
        m_bestLine = m_path;
        m_bestWon = won;
        m_bestEnd = end ? std::optional<Board>(*end) : std::nullopt;
    }
}

// Whether some line from the board wins, found with no regard to points: so a board is known
// by its cards alone, not by the removals since the deal, and one that cannot be won is
// remembered as such. Keeps the first win found in m_win.
bool Search::winnable(const Board &board, int gained)
{
    m_stopCheck();
    const Key k = m_deal.winKey(board);
    if (m_memo.find(k))
        return false;
    if (const std::optional<bool> wins = m_endgame.wins(board)) {
        if (*wins) {
            const SolvedLine rest = m_endgame.winningLine(board);
            m_win = {gained + rest.finalScore, true, m_path + rest.actions};
            return true;
        }
    } else if (mightWin(board)) {
        bool found = false;
        m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
            if (found)
                return;
            const std::size_t mark = m_path.size();
            m_path += step.action;
            if (step.ended ? step.won : winnable(next, gained + step.points)) {
                found = true;
                if (step.ended)
                    m_win = {gained + step.points + step.ending, true, m_path};
            }
            m_path.resize(mark);
        });
        if (found)
            return true;
    }
    m_memo.at(k);
    return false;
}

// A win takes off every non-ace left, two points each at least, and adds the win's points: a
// board the search has found to add less is lost, as is one where some card never goes.
bool Search::mightWin(const Board &board)
{
    const int leastWin = scoring::removalPoints * m_deal.nonAcesLeft(board) + scoring::winPoints;
    if (const Value *known = m_memo.find(m_deal.key(board)); known && known->best < leastWin)
        return false;
    return m_bounds.mightWin(board);
}

} // namespace

} // namespace solver

Solution solve(const Position &position, std::size_t maxPositions, const std::atomic<bool> *stop,
               std::size_t boundAfter, std::chrono::nanoseconds processorBudget)
{
    return std::make_unique<solver::Search>(position, maxPositions,
                                            solver::StopCheck(stop, processorBudget), boundAfter)
        ->run(position.score);
}
