#include "game/solver.h"

#include "game/scoring.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

constexpr int columns = GameTable::columnCount;
constexpr int slots = Column::slotCount;
constexpr std::int16_t none = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t max = std::numeric_limits<std::int16_t>::max();

// What the rest of a game can still add to the score: the best of any ending, and the best of
// the won ones (none when no win is left).
struct Value {
    std::int16_t best = none;
    std::int16_t win = none;
};

constexpr Value wonGame{scoring::winPoints, scoring::winPoints};
Value lostGame(int deduction)
{
    return {static_cast<std::int16_t>(-deduction), none};
}

// One action and where it leads; `ending` holds the game's end when the action ends it.
struct Step {
    char action[3] = {}; // a column or the deal, then 'y' after an ace question
    int points = 0;
    bool ended = false;
    Value ending;
};

// The board in compact form. A card keeps its home (the column it lies in at the start, or is
// dealt to) unless it is moved, and a moved card always lies at the bottom of its column and
// never moves again; so the cards on the board, how far the deck was dealt and the card at the
// bottom of each column that was moved there fix the board exactly, and make its key.
struct Board {
    std::array<std::array<std::uint8_t, slots + 1>, columns> cards{}; // bottom first
    std::array<std::uint8_t, columns> count{};
    int dealt = 0;
    int turnclears = 0;

    std::uint8_t top(int c) const { return count[c] ? cards[c][count[c] - 1] : 0; }
};

struct Key {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Key &) const = default;
};

// Open addressing with linear probing; entries are added and lowered, never removed.
class Memo {
public:
    // Thrown when the table would have to outgrow its limit.
    struct TooLarge {};

    explicit Memo(std::size_t maxEntries)
        : m_entries(std::min<std::size_t>(1u << 16, std::bit_ceil(2 * maxEntries))),
          m_maxEntries(maxEntries)
    {
    }

    Value *find(const Key &key)
    {
        for (std::size_t at = slot(key);; at = (at + 1) & (m_entries.size() - 1)) {
            Entry &entry = m_entries[at];
            if (!entry.used)
                return nullptr;
            if (entry.key == key)
                return &entry.value;
        }
    }

    // Keeps the smaller of the known bound and `bound`, for all endings or the won ones.
    void lower(const Key &key, bool won, std::int16_t bound)
    {
        Value *known = find(key);
        if (!known) {
            if (m_size == m_maxEntries)
                throw TooLarge();
            if (2 * (m_size + 1) > m_entries.size())
                grow();
            place(key, Value{max, max});
            ++m_size;
            known = find(key);
        }
        std::int16_t &field = won ? known->win : known->best;
        field = std::min(field, bound);
    }

    std::size_t size() const { return m_size; }

private:
    struct Entry {
        Key key;
        Value value;
        bool used = false;
    };

    std::size_t slot(const Key &key) const
    {
        std::uint64_t h = key.low * 0x9E3779B97F4A7C15ull ^ (key.high + 0x632BE59BD9B4E019ull);
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        h ^= h >> 32;
        return static_cast<std::size_t>(h) & (m_entries.size() - 1);
    }

    void place(const Key &key, Value value)
    {
        std::size_t at = slot(key);
        while (m_entries[at].used)
            at = (at + 1) & (m_entries.size() - 1);
        m_entries[at] = {key, value, true};
    }

    void grow()
    {
        std::vector<Entry> old(m_entries.size() * 2);
        old.swap(m_entries);
        for (const Entry &entry : old) {
            if (entry.used)
                place(entry.key, entry.value);
        }
    }

    std::vector<Entry> m_entries;
    std::size_t m_size = 0;
    std::size_t m_maxEntries = 0;
};

// Suits and ranks by card number, worked out once: the search asks for them all the time.
struct CardFacts {
    std::array<std::uint8_t, Card::deckSize + 1> suit{};
    std::array<std::uint8_t, Card::deckSize + 1> rank{};

    constexpr CardFacts()
    {
        for (int number = 1; number <= Card::deckSize; ++number) {
            suit[number] = static_cast<std::uint8_t>(Card(number).suit());
            rank[number] = static_cast<std::uint8_t>(Card(number).rank());
        }
    }
};
constexpr CardFacts facts;

int suitOf(std::uint8_t card)
{
    return facts.suit[card];
}

int rankOf(std::uint8_t card)
{
    return facts.rank[card];
}

// Thrown out of the search when it was asked to stop.
struct Stopped {};

class Solver {
public:
    Solver(const Position &position, std::size_t maxPositions, const std::atomic<bool> *stop)
        : m_memo(maxPositions), m_stop(stop)
    {
        // Each card's home: the column it lies in now, or the one the deck will deal it to.
        for (int i = 0; i < Card::deckSize; ++i) {
            m_deck[i] = static_cast<std::uint8_t>(position.deck[i].number());
            m_home[m_deck[i]] = static_cast<std::uint8_t>(i % columns);
        }
        for (int i = Card::deckSize - 1; i >= 0; --i)
            m_nonAcesUndealt[i] = m_nonAcesUndealt[i + 1] + (rankOf(m_deck[i]) != Card::Ace);
        for (int c = 0; c < columns; ++c) {
            for (const Card card : position.columns[c]) {
                m_start.cards[c][m_start.count[c]++] = static_cast<std::uint8_t>(card.number());
                m_home[card.number()] = static_cast<std::uint8_t>(c);
            }
        }
        m_start.dealt = position.dealt;
        m_start.turnclears = position.turnclears;
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
        }
        solution.positions = m_memo.size();
        return solution;
    }

private:
    // The best line by lowering a target from the highest conceivable: each pass cuts every
    // line that cannot reach its target, and the bounds it learns carry over to the next.
    void searchFromTop(bool wonOnly)
    {
        for (int target = ceiling(m_start);; target -= 30) {
            m_bestTotal = target - 1;
            search(m_start, 0, wonOnly);
            if (m_bestTotal >= target)
                return;
            if (target < -1000) {
                m_bestTotal = none;
                return;
            }
        }
    }

    void solveInto(Solution &solution, int score)
    {
        searchFromTop(false);
        if (m_bestTotal == none)
            return; // no action is left: the game is over already
        solution.solved = true;
        solution.best = {score + m_bestTotal, m_bestWon, m_bestLine};
        if (m_bestWon) {
            solution.win = solution.best;
        } else if (m_bestTotal >=
                   scoring::removalPoints * nonAcesLeft(m_start) + scoring::winPoints) {
            // A win removes every non-ace left and adds the win's points, so none scores below
            // that: with a best below it, there is no win to look for.
            searchFromTop(true);
            if (m_bestTotal != none)
                solution.win = SolvedLine{score + m_bestTotal, true, m_bestLine};
        }
    }

    bool exhausted(const Board &board) const { return board.dealt == Card::deckSize; }

    bool onlyAces(const Board &board) const
    {
        for (int c = 0; c < columns; ++c) {
            for (int s = 0; s < board.count[c]; ++s) {
                if (rankOf(board.cards[c][s]) != Card::Ace)
                    return false;
            }
        }
        return true;
    }

    bool beatenElsewhere(const Board &board, int c) const
    {
        const std::uint8_t t = board.top(c);
        for (int i = 0; i < columns; ++i) {
            const std::uint8_t other = board.top(i);
            if (i != c && other && suitOf(other) == suitOf(t) && rankOf(other) > rankOf(t))
                return true;
        }
        return false;
    }

    int firstEmpty(const Board &board, int except) const
    {
        for (int j = 0; j < columns; ++j) {
            if (j != except && board.count[j] == 0)
                return j;
        }
        return -1;
    }

    int ranksLeft(const Board &board) const
    {
        int sum = 0;
        for (int c = 0; c < columns; ++c) {
            for (int s = 0; s < board.count[c]; ++s)
                sum += rankOf(board.cards[c][s]);
        }
        return sum;
    }

    // The game-over test: nothing a click could change, with the deck dealt out.
    bool over(const Board &board) const
    {
        if (!exhausted(board))
            return false;
        for (int c = 0; c < columns; ++c) {
            if (board.count[c] && rankOf(board.top(c)) == Card::Ace)
                return false;
        }
        for (int c = 0; c < columns; ++c) {
            if (board.count[c] &&
                (beatenElsewhere(board, c) || (board.count[c] > 1 && firstEmpty(board, c) >= 0)))
                return false;
        }
        return true;
    }

    Key key(const Board &board) const
    {
        Key key;
        for (int c = 0; c < columns; ++c) {
            for (int s = 0; s < board.count[c]; ++s)
                key.low |= std::uint64_t{1} << (board.cards[c][s] - 1);
            const std::uint8_t bottom = board.count[c] ? board.cards[c][0] : 0;
            if (bottom && m_home[bottom] != c)
                key.high |= std::uint64_t{bottom} << (6 * c);
        }
        key.low |= std::uint64_t(board.dealt / columns) << 52;
        key.low |= std::uint64_t(board.turnclears % scoring::bonusEvery) << 56;
        return key;
    }

    // The end tests after a click on the board.
    void endAfterClick(const Board &board, Step &step) const
    {
        if (exhausted(board) && onlyAces(board)) {
            step.ended = true;
            step.ending = wonGame;
        } else if (over(board)) {
            step.ended = true;
            step.ending = lostGame(ranksLeft(board));
        }
    }

    // The actions a player has in order: the four columns, then the deal. Calls use(step,
    // next) for each; `next` is the board after it.
    template <typename Use> void forEachStep(const Board &board, Use use) const
    {
        const bool acesOnly = exhausted(board) && onlyAces(board);
        for (int c = 0; c < columns; ++c) {
            if (board.count[c] == 0)
                continue;
            Step step;
            step.action[0] = static_cast<char>('1' + c);
            Board next = board;
            const std::uint8_t t = board.top(c);
            if (acesOnly) {
                // After the last deal brought only aces: the first click ends the game won.
                step.ended = true;
                step.ending = wonGame;
            } else if (beatenElsewhere(board, c)) {
                next.cards[c][--next.count[c]] = 0;
                ++next.turnclears;
                step.points = next.turnclears % scoring::bonusEvery == 0 ? scoring::bonusPoints
                                                                         : scoring::removalPoints;
                endAfterClick(next, step);
            } else if (const int empty = board.count[c] > 1 ? firstEmpty(board, c) : -1;
                       empty >= 0) {
                next.cards[c][--next.count[c]] = 0;
                next.cards[empty][0] = t;
                next.count[empty] = 1;
                endAfterClick(next, step);
            } else if (rankOf(t) == Card::Ace && exhausted(board)) {
                step.action[1] = 'y';
                next.cards[c][--next.count[c]] = 0;
                endAfterClick(next, step);
            } else {
                continue;
            }
            use(step, next);
        }
        if (!exhausted(board)) {
            Step step;
            step.action[0] = 'd';
            Board next = board;
            for (int c = 0; c < columns; ++c)
                next.cards[c][next.count[c]++] = m_deck[next.dealt++];
            next.turnclears = 0;
            if (over(next)) {
                step.ended = true;
                step.ending = lostGame(ranksLeft(next));
            }
            use(step, next);
        }
    }

    // The most the rest of the game could add: every non-ace still to go removed, every fourth
    // removal from here on a bonus, and the win.
    int nonAcesLeft(const Board &board) const
    {
        int left = 0;
        for (int c = 0; c < columns; ++c) {
            for (int s = 0; s < board.count[c]; ++s)
                left += rankOf(board.cards[c][s]) != Card::Ace;
        }
        return left + m_nonAcesUndealt[board.dealt];
    }

    int ceiling(const Board &board) const
    {
        const int left = nonAcesLeft(board);
        return scoring::removalPoints * left +
               (scoring::bonusPoints - scoring::removalPoints) *
                   ((board.turnclears % scoring::bonusEvery + left) / scoring::bonusEvery) +
               scoring::winPoints;
    }

    // Depth-first branch and bound: what the board can add at most (exact when nothing below
    // it was cut off), keeping every line that beats the best so far. wonOnly: lost games do
    // not count.
    int search(const Board &board, int gained, bool wonOnly)
    {
        if (m_stop && (++m_visits & 0xFFF) == 0 && m_stop->load(std::memory_order_relaxed))
            throw Stopped();
        const Key k = key(board);
        int most = ceiling(board);
        if (const Value *known = m_memo.find(k))
            most = std::min<int>(most, wonOnly ? known->win : known->best);
        if (most == none || gained + most <= m_bestTotal)
            return most;
        int result = none;
        forEachStep(board, [&](const Step &step, const Board &next) {
            const std::size_t mark = m_path.size();
            m_path += step.action;
            int worth = none;
            if (step.ended) {
                const int ending = wonOnly ? step.ending.win : step.ending.best;
                if (ending != none) {
                    worth = step.points + ending;
                    // A win as good as the best loss found is the better line to show.
                    const bool won = step.ending.win != none;
                    if (gained + worth > m_bestTotal ||
                        (gained + worth == m_bestTotal && won && !m_bestWon)) {
                        m_bestTotal = gained + worth;
                        m_bestLine = m_path;
                        m_bestWon = won;
                    }
                }
            } else if (const int below = search(next, gained + step.points, wonOnly);
                       below != none) {
                worth = step.points + below;
            }
            result = std::max(result, worth);
            m_path.resize(mark);
        });
        m_memo.lower(k, wonOnly, static_cast<std::int16_t>(result));
        return result;
    }

    std::array<std::uint8_t, Card::deckSize> m_deck{};
    std::array<std::uint8_t, Card::deckSize + 1> m_home{};
    std::array<int, Card::deckSize + 1> m_nonAcesUndealt{}; // from each deck place on
    Board m_start;
    Memo m_memo; // upper bounds of what each board can add
    std::string m_path;
    const std::atomic<bool> *m_stop = nullptr;
    std::uint32_t m_visits = 0;
    int m_bestTotal = none;
    std::string m_bestLine;
    bool m_bestWon = false;
};

} // namespace

Solution solve(const Position &position, std::size_t maxPositions, const std::atomic<bool> *stop)
{
    return std::make_unique<Solver>(position, maxPositions, stop)->run(position.score);
}
