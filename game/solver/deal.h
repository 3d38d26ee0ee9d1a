#pragma once

#include "game/position.h"
#include "game/solver/board.h"
#include "game/solver/stacks.h"

#include <algorithm>
#include <bit>
#include <optional>

namespace solver {

// One action and where it leads; when the action ends the game, `ending` holds what the end
// adds (the win's points, or the deduction taken off).
struct Step {
    char action[3] = {}; // a column or the deal, then 'y' after an ace question
    int points = 0;
    bool ended = false;
    bool won = false;
    int ending = 0;

    void end(bool win, int deduction)
    {
        ended = true;
        won = win;
        ending = win ? scoring::winPoints : -deduction;
    }
};

// The deal being solved: the board it starts from, its deck, the actions a player has on any
// board of it by the rules, the boards' keys, and the most the rest of a game can add as the
// deal's cards alone tell it.
class Deal {
public:
    explicit Deal(const Position &position);

    const Board &start() const { return m_start; }
    const Deck &deck() const { return m_deck; }

    // Where in the deck the last deal starts.
    static constexpr int lastDealFrom = Card::deckSize - columns;

    // A board's key: the cards on it, the deals made, the removals since the last deal, and
    // the cards moved to the bottom of a column other than their home.
    Key key(const Board &board) const;
    // The key of a board in the search for a win: points play no part there, so neither do
    // the removals since the deal.
    Key winKey(const Board &board) const;

    // The actions a player has in order: the four columns, then the deal. Calls use(step,
    // next) for each; `next` is the board after it.
    template <typename Use> void forEachStep(const Board &board, Use use) const;
    bool hasStep(const Board &board) const;

    // Once the deck is out, a suit whose ace has gone by the question keeps its highest card
    // left for good: nothing higher can ever take it off. Those cards and their ranks.
    struct Staying {
        int cards = 0;
        int ranks = 0;
    };
    Staying stayingForGood(const Board &board) const;
    // At least one non-ace, of the lowest rank: what a game that is not won leaves.
    static constexpr Staying oneLowCard{1, 2};
    // The most the rest of the game could add with `staying` left on the board: every other
    // non-ace still to go removed, every fourth removal from here on a bonus, and the win when
    // nothing stays.
    int mostWith(const Board &board, Staying staying) const;
    // The most the rest of the game can add, by the cards that stay for good.
    int ceiling(const Board &board) const;
    int nonAcesLeft(const Board &board) const;

    // No line from the start wins: known from the start when the last deal ends the game, or
    // told once a search has found it, along with the lowest rank the highest non-ace left at
    // the end of any game can have. Every ceiling drops by more than the win's points.
    bool noWin() const { return m_noWin; }
    void ruleOutWin(int lowestLeft = oneLowCard.ranks)
    {
        m_noWin = true;
        m_lowestLeft = lowestLeft;
    }

private:
    // Where the key keeps the deals made and the removals since the last deal (in `low`, above
    // a bit for each card), and the mark of the win search's boards (in `high`, above the
    // moved cards' six bits each).
    static constexpr int dealsShift = Card::deckSize;
    static constexpr int turnclearsShift = dealsShift + 4;
    static constexpr std::uint64_t turnclearsMask = std::uint64_t{scoring::bonusEvery - 1}
                                                    << turnclearsShift;
    static constexpr int winKeyBit = 63;
    static_assert(Card::deckSize / columns < 1 << (turnclearsShift - dealsShift));
    static_assert(std::has_single_bit(unsigned{scoring::bonusEvery}) &&
                  turnclearsShift + std::bit_width(unsigned{scoring::bonusEvery - 1}) <= 64);
    static_assert(6 * columns <= winKeyBit);

    // The ranks of each suit on the board, as bits.
    using RanksBySuit = std::array<unsigned, Card::suitCount + 1>;
    static RanksBySuit ranksOnBoard(const Board &board)
    {
        RanksBySuit ranks{};
        for (int suit = Card::Clubs; suit <= Card::Spades; ++suit)
            ranks[suit] = ranksOfSuit(board.onBoard, suit);
        return ranks;
    }

    // The last deal brings no ace and no two cards of a suit: with the deck out, nothing
    // on top can be taken off, and no column is empty, so the game ends with it.
    bool lastDealEndsGame() const;
    // When the game ends with the last deal, its cards and the aces stay.
    Staying stayingAtLastDeal() const;
    // The phase in which every removal still to come falls, so that all count towards the
    // same bonuses: once the deck is out, or before the last deal when the game ends with it.
    bool lastPhase(const Board &board) const;
    int safeRemovalInLastPhase(const Board &board) const;
    static int ranksLeft(const Board &board);

    // The end tests after a click on the board.
    static void endAfterClick(const Board &board, Step &step)
    {
        if (rules::won(board.exhausted(), board.onlyAces()))
            step.end(true, 0);
        else if (rules::over(board.tops(), board.exhausted()))
            step.end(false, ranksLeft(board));
    }

    Deck m_deck{};
    std::array<std::uint8_t, Card::deckSize + 1> m_home{};
    std::array<int, Card::deckSize + 1> m_nonAcesUndealt{}; // from each deck place on
    Board m_start;
    // What stays when the game is sure to end with the last deal, still to come.
    std::optional<Staying> m_stayingAtLastDeal;
    bool m_noWin = false;
    int m_lowestLeft = oneLowCard.ranks; // where no line wins
};

template <typename Use> void Deal::forEachStep(const Board &board, Use use) const
{
    const bool deckOut = board.exhausted();
    // After the last deal brought only aces, the first click ends the game won.
    const bool won = rules::won(deckOut, board.onlyAces());
    const int removal = won ? -1 : safeRemovalInLastPhase(board);
    const auto tops = board.tops();
    for (int c = 0; c < columns; ++c) {
        if (removal >= 0 && c != removal)
            continue;
        const rules::Play play = rules::playOf(tops, c, deckOut);
        if (play == rules::Play::Ignored || play == rules::Play::Invalid)
            continue;
        Step step;
        step.action[0] = rules::moves::click(c);
        Board next = board;
        if (won) {
            step.end(true, 0);
        } else {
            if (play == rules::Play::Removed) {
                next.take(c);
                step.points = rules::removalPoints(++next.turnclears);
            } else if (play == rules::Play::Moved) {
                next.put(rules::emptyColumnBesides(tops, c), next.take(c));
            } else {
                step.action[1] = rules::moves::yes;
                next.take(c);
            }
            endAfterClick(next, step);
        }
        use(step, next);
    }
    if (!deckOut) {
        Step step;
        step.action[0] = rules::moves::deal;
        Board next = board;
        for (int c = 0; c < columns; ++c)
            next.put(c, m_deck[next.dealt++]);
        next.turnclears = 0;
        if (rules::over(next.tops(), next.exhausted()))
            step.end(false, ranksLeft(next));
        use(step, next);
    }
}

// Called for every board the searches weigh, so defined where they are called.

inline Key Deal::key(const Board &board) const
{
    Key key{board.onBoard};
    for (int c = 0; c < columns; ++c) {
        const std::uint8_t bottom = board.count[c] ? board.cards[c][0] : 0;
        if (bottom && m_home[bottom] != c)
            key.high |= std::uint64_t{bottom} << (6 * c);
    }
    key.low |= std::uint64_t(board.dealt / columns) << dealsShift;
    key.low |= std::uint64_t(board.turnclears % scoring::bonusEvery) << turnclearsShift;
    return key;
}

inline Key Deal::winKey(const Board &board) const
{
    Key k = key(board);
    k.low &= ~turnclearsMask;
    k.high |= std::uint64_t{1} << winKeyBit;
    return k;
}

// In the last phase every removal counts towards the same bonuses, so taking a removable card
// off at once is never worse than leaving it, unless it may be needed to take off a lower card
// of its suit later: the cards that allow it stay on top, or give way to higher ones, until an
// ace goes by the question (once the deck is out), and nothing covers them; so any line that
// leaves the card does as well without it, and can only add its removal. Safe when nothing
// lower of its suit is left, or its ace is gone or cannot go. Then that removal is the one
// action to weigh; -1 when there is none.
inline int Deal::safeRemovalInLastPhase(const Board &board) const
{
    if (!lastPhase(board))
        return -1;
    const RanksBySuit ranks = ranksOnBoard(board);
    const auto tops = board.tops();
    for (int c = 0; c < columns; ++c) {
        const std::uint8_t t = board.top(c);
        const unsigned left = ranks[suitOf(t)];
        const bool neededLater =
            board.exhausted() && (left & ((1u << rankOf(t)) - 1)) && (left >> Card::Ace & 1);
        if (t && !neededLater && rules::beatenElsewhere(tops, c))
            return c;
    }
    return -1;
}

inline bool Deal::lastPhase(const Board &board) const
{
    return board.exhausted() || (m_stayingAtLastDeal && board.dealt == lastDealFrom);
}

inline int Deal::ranksLeft(const Board &board)
{
    int sum = 0;
    for (std::uint64_t left = board.onBoard; left; left &= left - 1)
        sum += rankOf(static_cast<std::uint8_t>(std::countr_zero(left) + 1));
    return sum;
}

inline int Deal::nonAcesLeft(const Board &board) const
{
    return std::popcount(board.onBoard & nonAceBits) + m_nonAcesUndealt[board.dealt];
}

inline Deal::Staying Deal::stayingForGood(const Board &board) const
{
    Staying staying;
    if (!board.exhausted())
        return staying;
    for (const unsigned present : ranksOnBoard(board)) {
        if (present && !(present >> Card::Ace & 1)) {
            ++staying.cards;
            staying.ranks += std::bit_width(present) - 1;
        }
    }
    return staying;
}

inline int Deal::mostWith(const Board &board, Staying staying) const
{
    const int removals = mostForRemovals(nonAcesLeft(board) - staying.cards, board.turnclears);
    return staying.cards ? removals - staying.ranks : removals + scoring::winPoints;
}

inline int Deal::ceiling(const Board &board) const
{
    if (m_stayingAtLastDeal)
        return mostWith(board, *m_stayingAtLastDeal);
    Staying staying = stayingForGood(board);
    if (m_noWin) {
        // A game that is not won leaves one non-ace or more, the cards that stay for good and
        // one of the lowest rank left or higher among them: it takes off no more than the
        // others, and deducts no less than the larger of their ranks and that rank.
        staying.cards = std::max(staying.cards, 1);
        staying.ranks = std::max(staying.ranks, m_lowestLeft);
    }
    return mostWith(board, staying);
}

} // namespace solver
