#include "game/solver.h"

#include "game/scoring.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cassert>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

namespace {

constexpr int columns = rules::columnCount;
constexpr int slots = rules::dealCount;
constexpr std::int16_t none = std::numeric_limits<std::int16_t>::min();
constexpr std::int16_t max = std::numeric_limits<std::int16_t>::max();

// What the rest of a game can still add to the score at most.
struct Value {
    std::int16_t best = none;
    bool weighed = false; // the bound from stuck cards is in already
    bool exact = false;   // `best` is what the board adds at best, found by the endgame search
    bool won = false;     // where exact: the best line, a win preferred at a tie, is a win
};

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

// The board in compact form. A card keeps its home (the column it lies in at the start, or is
// dealt to) unless it is moved, and a moved card always lies at the bottom of its column and
// never moves again; so the cards on the board, how far the deck was dealt and the card at the
// bottom of each column that was moved there fix the board exactly, and make its key.
struct Board {
    std::array<std::array<std::uint8_t, slots + 1>, columns> cards{}; // bottom first
    std::array<std::uint8_t, columns> count{};
    int dealt = 0;
    int turnclears = 0;
    // The cards on the board, a bit each (card 1 the lowest): kept along with the columns, as
    // the key, the end tests and the bounds all ask which cards are left.
    std::uint64_t onBoard = 0;

    std::uint8_t top(int c) const { return count[c] ? cards[c][count[c] - 1] : 0; }

    void put(int c, std::uint8_t card)
    {
        cards[c][count[c]++] = card;
        onBoard |= bit(card);
    }
    // Takes the top card off column `c`; returns it.
    std::uint8_t take(int c)
    {
        const std::uint8_t card = cards[c][--count[c]];
        cards[c][count[c]] = 0;
        onBoard &= ~bit(card);
        return card;
    }

    static std::uint64_t bit(std::uint8_t card) { return std::uint64_t{1} << (card - 1); }
};

// Every card but the aces, a bit each as on the board.
constexpr std::uint64_t nonAceBits = [] {
    std::uint64_t bits = 0;
    for (int n = 1; n <= Card::deckSize; ++n) {
        if (!Card(n).isAce())
            bits |= std::uint64_t{1} << (n - 1);
    }
    return bits;
}();

// The ranks of the suit among `cards` (a bit each, as on the board), as `1u << rank`.
unsigned ranksOfSuit(std::uint64_t cards, int suit)
{
    constexpr unsigned suitBits = (1u << Card::ranksPerSuit) - 1;
    const unsigned field =
        static_cast<unsigned>(cards >> ((suit - 1) * Card::ranksPerSuit)) & suitBits;
    // Within a suit's block the ace comes first, then the two.
    return (field & ~1u) << 1 | (field & 1u) << Card::Ace;
}

struct Key {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Key &) const = default;
};

std::uint64_t hashOf(const Key &key)
{
    std::uint64_t h = key.low * 0x9E3779B97F4A7C15ull ^ (key.high + 0x632BE59BD9B4E019ull);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ h >> 32;
}

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

    // The entry of the key, made with no bound when there is none. Valid until the next
    // entry is made.
    Value &at(const Key &key)
    {
        if (Value *known = find(key))
            return *known;
        if (m_size == m_maxEntries)
            throw TooLarge();
        if (2 * (m_size + 1) > m_entries.size())
            grow();
        place(key, Value{max});
        ++m_size;
        return *find(key);
    }

    // Keeps the smaller of the known bound and `bound`.
    void lower(const Key &key, int bound)
    {
        Value &known = at(key);
        known.best = static_cast<std::int16_t>(std::min<int>(known.best, bound));
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
        return static_cast<std::size_t>(hashOf(key)) & (m_entries.size() - 1);
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
    std::array<std::array<std::uint8_t, Card::Ace + 1>, Card::suitCount + 1> number{};

    constexpr CardFacts()
    {
        for (int n = 1; n <= Card::deckSize; ++n) {
            suit[n] = static_cast<std::uint8_t>(Card(n).suit());
            rank[n] = static_cast<std::uint8_t>(Card(n).rank());
            number[suit[n]][rank[n]] = static_cast<std::uint8_t>(n);
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

// The most `removals` more removals can score: every fourth since the last deal a bonus.
int mostForRemovals(int removals, int turnclears)
{
    return scoring::removalPoints * removals +
           (scoring::bonusPoints - scoring::removalPoints) *
               ((turnclears % scoring::bonusEvery + removals) / scoring::bonusEvery);
}

// The deals from `first` to `last` as bits.
unsigned dealsBetween(int first, int last)
{
    return ((2u << last) - 1) >> first << first;
}

// Each column seen as a stack: its cards, then the cards still to be dealt to it in order, each
// with the deal that brings it (from now, 0 for the cards out now).
struct Stacks {
    struct Place {
        std::uint8_t stack = 0;
        std::uint8_t height = 0; // 0 at the bottom
    };

    Stacks(const Board &board, const std::array<std::uint8_t, Card::deckSize> &deck)
        : lastDeal((Card::deckSize - board.dealt) / columns)
    {
        for (int c = 0; c < columns; ++c) {
            for (int s = 0; s < board.count[c]; ++s)
                add(board.cards[c][s], c, 0);
        }
        for (int i = board.dealt; i < Card::deckSize; ++i)
            add(deck[i], i % columns, (i - board.dealt) / columns + 1);
    }

    // What the rest of the game can add at most when only the cards for which `mightGo` holds
    // can ever leave the board: every non-ace of them removed, the ranks of the others deducted.
    template <typename MightGo> int lostAtMost(int turnclears, MightGo mightGo) const
    {
        int removable = 0;
        int deduction = 0;
        for (int c = 0; c < columns; ++c) {
            for (int h = 0; h < top[c]; ++h) {
                const std::uint8_t card = cards[c][h];
                if (mightGo(card))
                    removable += rankOf(card) != Card::Ace;
                else
                    deduction += rankOf(card);
            }
        }
        return mostForRemovals(removable, turnclears) - deduction;
    }

    // Whether a card other than an ace can never leave the board, so that no line wins.
    template <typename MightGo> bool someCardStays(MightGo mightGo) const
    {
        for (int c = 0; c < columns; ++c) {
            for (int h = 0; h < top[c]; ++h) {
                if (rankOf(cards[c][h]) != Card::Ace && !mightGo(cards[c][h]))
                    return true;
            }
        }
        return false;
    }

    std::array<std::array<std::uint8_t, slots>, columns> cards{}; // bottom first
    std::array<std::array<std::uint8_t, slots>, columns> arrival{};
    std::array<int, columns> top{};
    std::array<int, columns> outNow{}; // the cards of each stack on the board now
    std::array<Place, Card::deckSize + 1> place{};
    std::array<std::uint16_t, Card::suitCount + 1> ranks{}; // the ranks present of each suit
    int lastDeal = 0;

private:
    void add(std::uint8_t card, int stack, int deal)
    {
        const int height = top[stack]++;
        cards[stack][height] = card;
        arrival[stack][height] = static_cast<std::uint8_t>(deal);
        place[card] = {static_cast<std::uint8_t>(stack), static_cast<std::uint8_t>(height)};
        outNow[stack] += deal == 0;
        ranks[suitOf(card)] |= static_cast<std::uint16_t>(1u << rankOf(card));
    }
};

// What a board can still add at most, knowing which cards can never leave it. Each card of the
// stacks gets the earliest deal by which it might go: a non-ace once it and a higher card of
// its suit in another column can both be on top after that deal, an ace (by the question) once
// it can be on top after the last deal. A card can be on top after a deal when every card above
// it that has arrived by then might have left by then. Worked out from "never" downwards until
// nothing changes, so each earliest deal rests on cards that go before.
//
// A card leaves its stack by going, or by a move into an empty column. A column could be empty
// after a deal when all its cards arrived by then might have left by then; after such a deal,
// any card on top but the lowest of its stack might be moved. It then lies at the bottom of the
// column it was moved to, under the cards dealt there later, so it can be on top again only
// after a deal after which that column, but for it, could be empty too: after any such deal, as
// the column is not known. There it lies apart from the cards of its own stack.
//
// When only won games count (`Ends::wonOnly`), an ace may go only once every other card of its
// suit might have gone: an ace goes by the question, with the deck out, and after that nothing
// can take the highest card of its suit left off. The aces then keep many more cards covered
// for good.
class StuckCards {
public:
    enum class Ends { any, wonOnly };

    StuckCards(Stacks &&, Ends) = delete; // it keeps a reference
    StuckCards(const Stacks &stacks, Ends ends) : m_stacks(stacks), m_ends(ends)
    {
        for (int c = 0; c < columns; ++c) {
            for (int h = 0; h < stacks.top[c]; ++h) {
                const std::uint8_t card = stacks.cards[c][h];
                m_leftAt[c][h] = never;
                m_out[card] = static_cast<std::uint16_t>(from(stacks.arrival[c][h]));
                m_gone[card] = never;
                m_moved[card] = never;
                m_notGoing[suitOf(card)] += rankOf(card) != Card::Ace;
            }
        }
        settle();
    }

    // A card other than an ace can never leave the board, so no line wins.
    bool someCardStays() const
    {
        return std::any_of(m_notGoing.begin(), m_notGoing.end(),
                           [](int cards) { return cards > 0; });
    }

    // What the rest of the game can add at most, when some card stays (and not only wins
    // count).
    int lostAtMost(int turnclears) const
    {
        assert(m_ends == Ends::any); // with wins only, aces would go too late for lost lines
        return m_stacks.lostAtMost(turnclears,
                                   [this](std::uint8_t card) { return m_gone[card] != never; });
    }

private:
    static constexpr std::int8_t never = std::numeric_limits<std::int8_t>::max();

    // The deals from `deal` to the last as bits; none from never.
    unsigned from(int deal) const
    {
        return deal > m_stacks.lastDeal ? 0 : dealsBetween(deal, m_stacks.lastDeal);
    }

    // The card at the height has left its stack by `deal` at the earliest.
    void leaves(int stack, int height, int deal)
    {
        m_leftAt[stack][height] =
            static_cast<std::int8_t>(std::min<int>(m_leftAt[stack][height], deal));
    }

    // For every card of the stack from `height` down, the deals after which it can be on top
    // of the stack: those it has arrived by and no card above it that has arrived by then might
    // not have left. The cards above `height` cover what they did before.
    void findInStack(int stack, int height)
    {
        unsigned covered = m_coveredAt[stack][height];
        for (int h = height; h >= 0; --h) {
            const std::uint8_t card = m_stacks.cards[stack][h];
            m_coveredAt[stack][h] = static_cast<std::uint16_t>(covered);
            m_inStack[card] = static_cast<std::uint16_t>(m_out[card] & ~covered);
            findOnTop(card);
            covered |= from(m_stacks.arrival[stack][h]) & ~from(m_leftAt[stack][h]);
        }
    }

    unsigned inStack(std::uint8_t card) const { return m_inStack[card]; }

    // The deals after which the card, moved, can be on top apart from its stack.
    unsigned apart(std::uint8_t card) const { return m_emptyAfter & from(m_moved[card]); }

    unsigned onTop(std::uint8_t card) const { return m_onTop[card]; }

    void findOnTop(std::uint8_t card)
    {
        m_onTop[card] = static_cast<std::uint16_t>(inStack(card) | apart(card));
    }

    // The earliest deal by which the card might go, as things stand.
    int earliest(std::uint8_t card) const
    {
        const Stacks::Place &at = m_stacks.place[card];
        const int suit = suitOf(card);
        const int rank = rankOf(card);
        const unsigned open = onTop(card);
        if (open == 0)
            return never;
        const int last = m_stacks.lastDeal;
        if (rank == Card::Ace)
            return (open >> last & 1) && !(m_ends == Ends::wonOnly && m_notGoing[suit]) ? last
                                                                                        : never;
        int first = never;
        const int soonest = std::countr_zero(open);
        for (unsigned higher = m_stacks.ranks[suit] & ~((2u << rank) - 1); higher;
             higher &= higher - 1) {
            const std::uint8_t other = facts.number[suit][std::countr_zero(higher)];
            const Stacks::Place &otherAt = m_stacks.place[other];
            unsigned both = open & onTop(other);
            if (otherAt.stack == at.stack) {
                // Apart once the upper has been moved off. A lower one moved off before the
                // upper arrived lies on top only after deals after which a column could be
                // empty, and then the upper might have been moved off too.
                both &= apart(otherAt.height > at.height ? other : card);
            }
            if (both)
                first = std::min(first, std::countr_zero(both));
            if (first == soonest)
                break;
        }
        return first;
    }

    // The deals after which the stack could be empty: those after which every card arrived by
    // then might have left by then. More of them put the moved cards on top more often.
    void findEmpty(int stack)
    {
        const unsigned before = m_emptyAfter;
        // The cards out now first, then one a deal.
        const auto &left = m_leftAt[stack];
        const auto &arrival = m_stacks.arrival[stack];
        int latest = 0; // the deal by which all cards arrived so far might have left
        int h = 0;
        for (; h < m_stacks.outNow[stack]; ++h)
            latest = std::max<int>(latest, left[h]);
        m_emptyAfter |= latest == 0 ? 1u : 0u;
        for (; h < m_stacks.top[stack]; ++h) {
            latest = std::max<int>(latest, left[h]);
            if (latest <= arrival[h])
                m_emptyAfter |= 1u << arrival[h];
        }
        if (m_emptyAfter != before) {
            for (std::uint64_t moved = m_movedCards; moved; moved &= moved - 1)
                findOnTop(static_cast<std::uint8_t>(std::countr_zero(moved)));
        }
    }

    // The earliest deal after which the card might be moved: it is on top of its stack, some
    // column could be empty, and the card is not the lowest of its column, as a card at the
    // bottom of a stack dealt to an empty column might not be.
    bool findMoved(std::uint8_t card)
    {
        const Stacks::Place &at = m_stacks.place[card];
        const bool lowest = at.height == 0 && m_stacks.arrival[at.stack][0] == 0;
        const unsigned when = lowest ? 0 : inStack(card) & m_emptyAfter;
        if (when == 0 || std::countr_zero(when) >= m_moved[card])
            return false;
        m_moved[card] = static_cast<std::int8_t>(std::countr_zero(when));
        m_movedCards |= std::uint64_t{1} << card;
        leaves(at.stack, at.height, m_moved[card]);
        findOnTop(card);
        return true;
    }

    // Lowers the earliest deals by which cards might go or be moved until nothing changes,
    // upper cards first as they uncover those beneath; or until every card but the aces might
    // go, when there is nothing more to learn.
    void settle()
    {
        const auto &top = m_stacks.top;
        for (int c = 0; c < columns; ++c) {
            if (top[c])
                findInStack(c, top[c] - 1);
            findEmpty(c);
        }
        const int highest = *std::max_element(top.begin(), top.end());
        for (bool changed = true; changed && someCardStays();) {
            changed = false;
            for (int h = highest - 1; h >= 0; --h) {
                for (int c = 0; c < columns; ++c) {
                    if (h >= top[c])
                        continue;
                    const std::uint8_t card = m_stacks.cards[c][h];
                    bool lowered = findMoved(card);
                    if (m_gone[card] != m_stacks.arrival[c][h]) {
                        if (const int deal = earliest(card); deal < m_gone[card]) {
                            m_notGoing[suitOf(card)] -=
                                m_gone[card] == never && rankOf(card) != Card::Ace;
                            m_gone[card] = static_cast<std::int8_t>(deal);
                            leaves(c, h, deal);
                            lowered = true;
                        }
                    }
                    if (lowered) {
                        findInStack(c, h);
                        findEmpty(c);
                        changed = true;
                    }
                }
            }
        }
    }

    const Stacks &m_stacks;
    // By stack and height, as the fixed point reads them most: the earliest deal by which the
    // card might have left, and the deals the cards above cover it.
    std::array<std::array<std::int8_t, slots>, columns> m_leftAt{};
    std::array<std::array<std::uint16_t, slots>, columns> m_coveredAt{};
    std::array<std::int8_t, Card::deckSize + 1> m_gone{};      // the earliest deal, or never
    std::array<std::int8_t, Card::deckSize + 1> m_moved{};     // the earliest deal, or never
    std::array<std::uint16_t, Card::deckSize + 1> m_out{};     // deals since its arrival, as bits
    std::array<std::uint16_t, Card::deckSize + 1> m_inStack{}; // deals, as bits
    std::array<std::uint16_t, Card::deckSize + 1> m_onTop{};   // in its stack or apart
    std::array<int, Card::suitCount + 1> m_notGoing{}; // of each suit, non-aces still at never
    unsigned m_emptyAfter = 0;      // the deals after which some column could be empty, as bits
    std::uint64_t m_movedCards = 0; // the cards that might be moved, a bit each
    Ends m_ends = Ends::any;
};

// Which cards can ever go while no card is ever moved, knowing for each card and each deal
// after which it might go the cards that must have gone before it, whatever the line: a higher
// card that would have to be gone before the card is uncovered, or before the card itself is,
// cannot be the one that lets it go. Worked out upwards from "no card goes" until nothing
// changes. It holds only while no column can ever be emptied, so that no move is ever open,
// and it tells whether that is so: then, by induction over the removals of any line, each card
// goes only after a deal it was found to go after, with every card found needed for that gone
// before it.
class RemovalOrder {
public:
    explicit RemovalOrder(Stacks &&) = delete; // it keeps a reference
    explicit RemovalOrder(const Stacks &stacks) : m_stacks(stacks)
    {
        if (std::find(stacks.outNow.begin(), stacks.outNow.end(), 0) != stacks.outNow.end())
            return; // a move may be open now
        settle();
        m_someCardStays =
            holds() && stacks.someCardStays([this](std::uint8_t card) { return mightGo(card); });
    }

    bool holds() const { return !m_emptied; }

    // Where it holds, a card other than an ace can never leave the board, so no line wins.
    bool someCardStays() const { return m_someCardStays; }

    int lostAtMost(int turnclears) const
    {
        return m_stacks.lostAtMost(turnclears, [this](std::uint8_t card) { return mightGo(card); });
    }

private:
    static constexpr int deals = Card::deckSize / columns + 1;
    // No card has number 0, so its bit marks what cannot be on top, or cannot go.
    static constexpr std::uint64_t covered = 1;

    static std::uint64_t bit(std::uint8_t card) { return std::uint64_t{1} << card; }

    bool mightGo(std::uint8_t card) const { return m_goesAt[card] != 0; }

    // What must have gone for the card, arrived after `arrival`, to have gone by `deal`:
    // itself, and what must go before it whenever it goes; `covered` when it cannot have.
    std::uint64_t gone(std::uint8_t card, int arrival, int deal) const
    {
        const unsigned when = m_goesAt[card] & dealsBetween(arrival, deal);
        if (when == 0)
            return covered;
        std::uint64_t must = ~std::uint64_t{0};
        for (unsigned w = when; w; w &= w - 1)
            must &= m_need[card][std::countr_zero(w)];
        return bit(card) | must;
    }

    // What must have gone before the card at the height can go after `deal`; `covered` when
    // it cannot go then. Reads what its stack above it must have lost by then.
    std::uint64_t goes(int stack, int height, int deal) const
    {
        const std::uint8_t card = m_stacks.cards[stack][height];
        const std::uint64_t mine = m_uncovered[stack][height][deal];
        if (mine & covered)
            return covered;
        const int suit = suitOf(card);
        const int rank = rankOf(card);
        if (rank == Card::Ace)
            return deal == m_stacks.lastDeal ? mine : covered;
        std::uint64_t must = ~std::uint64_t{0};
        for (unsigned higher = m_stacks.ranks[suit] & ~((2u << rank) - 1); higher;
             higher &= higher - 1) {
            const std::uint8_t other = facts.number[suit][std::countr_zero(higher)];
            const Stacks::Place &at = m_stacks.place[other];
            if (at.stack == stack || m_stacks.arrival[at.stack][at.height] > deal)
                continue;
            const std::uint64_t both = mine | m_uncovered[at.stack][at.height][deal];
            if (!(both & (covered | bit(card) | bit(other))))
                must &= both;
        }
        return must == ~std::uint64_t{0} ? covered : must;
    }

    // Adds the deals after which cards might go and lowers what must go first, until nothing
    // changes or some column could be emptied, when nothing holds. First what must have gone
    // for each card to be on top while no card goes, as the other stacks are read from the
    // start; then a stack from the top, so what a card learns reaches the cards under it in
    // the same round.
    void settle()
    {
        for (int c = 0; c < columns; ++c)
            workOutStack<false>(c);
        m_emptied = false;
        for (bool changed = true; changed && !m_emptied;) {
            changed = false;
            for (int c = 0; c < columns; ++c)
                changed |= workOutStack<true>(c);
            m_emptied = someColumnEmptied();
        }
    }

    // What must have gone for each card of the stack to be on top after each deal, as things
    // stand; and when `learning`, what each card learns from it. True when some card learnt.
    template <bool learning> bool workOutStack(int c)
    {
        bool learnt = false;
        std::array<std::uint64_t, deals> above{};
        for (int h = m_stacks.top[c] - 1; h >= 0; --h) {
            const std::uint8_t card = m_stacks.cards[c][h];
            const int arrival = m_stacks.arrival[c][h];
            for (int deal = 0; deal < arrival; ++deal)
                m_uncovered[c][h][deal] = above[deal];
            for (int deal = arrival; deal <= m_stacks.lastDeal; ++deal) {
                m_uncovered[c][h][deal] = above[deal];
                if constexpr (learning)
                    learnt |= learn(card, deal, goes(c, h, deal));
                above[deal] |= gone(card, arrival, deal);
            }
        }
        return learnt;
    }

    // Keeps that the card might go after the deal, with `must` gone before; true when that is
    // more than was known.
    bool learn(std::uint8_t card, int deal, std::uint64_t must)
    {
        if (must & covered)
            return false;
        std::uint64_t &known = m_need[card][deal];
        if (!(m_goesAt[card] >> deal & 1)) {
            m_goesAt[card] |= static_cast<std::uint16_t>(1u << deal);
            known = must;
            return true;
        }
        if ((known & must) == known)
            return false;
        known &= must;
        return true;
    }

    // Whether, after some deal, every card arrived in some column by then might have gone.
    bool someColumnEmptied() const
    {
        for (int c = 0; c < columns; ++c) {
            for (int deal = 0; deal <= m_stacks.lastDeal; ++deal) {
                bool empty = true;
                for (int h = 0; h < m_stacks.top[c] && m_stacks.arrival[c][h] <= deal && empty; ++h)
                    empty = !(gone(m_stacks.cards[c][h], m_stacks.arrival[c][h], deal) & covered);
                if (empty)
                    return true;
            }
        }
        return false;
    }

    const Stacks &m_stacks;
    std::array<std::uint16_t, Card::deckSize + 1> m_goesAt{}; // the deals after which, as bits
    // Read only where set (`learn` sets the one, `workOutStack` all of the other): left unset,
    // as clearing them would add about a tenth to the work.
    std::array<std::array<std::uint64_t, deals>, Card::deckSize + 1> m_need;
    std::array<std::array<std::array<std::uint64_t, deals>, slots>, columns> m_uncovered;
    bool m_emptied = true; // some column could be emptied: nothing holds
    bool m_someCardStays = false;
};

// Tries of something costly at each stage of the game (by the number of cards dealt), and the
// amount they came to: what is left out where it has seldom paid is judged by them.
class StageTallies {
protected:
    struct Tally {
        std::size_t tries = 0;
        std::size_t amount = 0;
    };
    // Too few tries to judge by.
    static constexpr std::size_t enoughTries = 256;

    const Tally &at(int dealt) const
    {
        return m_tallies[static_cast<std::size_t>(dealt / columns)];
    }
    void add(int dealt, std::size_t amount)
    {
        Tally &tally = m_tallies[static_cast<std::size_t>(dealt / columns)];
        ++tally.tries;
        tally.amount += amount;
    }

private:
    std::array<Tally, Card::deckSize / columns + 1> m_tallies{};
};

// How often a bound from the cards that stay was of use, by the number of cards dealt: working
// one out costs more than the rest of a position's work, and for some deals it is seldom of
// use at some stage of the game, so once it has failed there often enough it is left out there.
class CutRecord : StageTallies {
public:
    bool worthTrying(int dealt) const
    {
        const Tally &tally = at(dealt);
        return tally.tries < enoughTries || tally.amount * hopelessShare >= tally.tries;
    }
    void tried(int dealt, bool useful) { add(dealt, useful ? 1 : 0); }

private:
    static constexpr std::size_t hopelessShare = 64; // cut once in 64 tries or less
};

// How many boards the endgame search has weighed a call, by the number of cards dealt: where
// it takes many, the search that calls it weighs the boards itself, as before that stage.
class EndgameRecord : StageTallies {
public:
    bool worthTrying(int dealt) const
    {
        const Tally &tally = at(dealt);
        return tally.tries < enoughTries || tally.amount <= mostBoardsACall * tally.tries;
    }
    void spent(int dealt, std::size_t boards) { add(dealt, boards); }

private:
    static constexpr std::size_t mostBoardsACall = 64;
};

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

// What the endgame search found of boards near the end of a game: what a board adds at best
// (encoded), or a bound on it; or, under a board's key in the search for a win, whether some
// line wins (1 or 0). True wherever the board was reached from, so kept across searches. A
// board takes the place of the one before it in its slot, so some are weighed again.
class ExactCache {
public:
    struct Entry {
        Key key;
        int value = 0;
        bool exact = false; // else a bound on the value
        bool used = false;
    };

    const Entry *find(const Key &key) const
    {
        const Entry &entry = m_entries[slotOf(key)];
        return entry.used && entry.key == key ? &entry : nullptr;
    }
    void store(const Key &key, int value, bool exact)
    {
        m_entries[slotOf(key)] = {key, value, exact, true};
    }

private:
    // Small enough to stay in the processor's cache: a larger one is slower for all it keeps.
    static constexpr std::size_t slots = std::size_t{1} << 14;

    static std::size_t slotOf(const Key &key)
    {
        return static_cast<std::size_t>(hashOf(key)) & (slots - 1);
    }

    std::vector<Entry> m_entries = std::vector<Entry>(slots);
};

// Thrown out of the search when it was asked to stop.
struct Stopped {};

// Thrown out of the endgame search when it has weighed as many boards as it may.
struct EndgameTooLarge {};

class Solver {
public:
    Solver(const Position &position, std::size_t maxPositions, const std::atomic<bool> *stop,
           std::size_t stuckCardsAfter)
        : m_memo(maxPositions), m_stuckCardsAfter(stuckCardsAfter), m_stop(stop)
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
                if (!card.isCard())
                    continue; // a slot the end of a game has swept
                m_start.put(c, static_cast<std::uint8_t>(card.number()));
                m_home[card.number()] = static_cast<std::uint8_t>(c);
            }
        }
        m_start.dealt = position.dealt;
        m_start.turnclears = position.turnclears;
        if (position.dealt <= lastDealFrom && lastDealEndsGame())
            m_stayingAtLastDeal = stayingAtLastDeal();
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
    // The best line by lowering a target from the highest conceivable: each pass cuts every
    // line that cannot reach its target, and the bounds it learns carry over to the next. When
    // the first falls short, whether any win is left is settled apart: it is often quickly
    // known, and with no win the ceiling of every board drops by more than the win's points.
    void solveInto(Solution &solution, int score)
    {
        if (!hasStep(m_start))
            return; // the game is over already
        std::optional<bool> canWin;
        if (m_stayingAtLastDeal) {
            canWin = false;
            m_noWin = true;
        }
        for (int target = ceiling(m_start);; target -= 30) {
            m_bestTotal = target - 1;
            search(m_start, 0);
            if (m_bestTotal >= target)
                break;
            if (!canWin) {
                canWin = winnable(m_start, 0);
                m_noWin = !*canWin;
                if (m_noWin) // the next pass from the lower ceiling, 30 being taken off first
                    target = std::min(target, ceiling(m_start) + 30);
            }
        }
        solution.solved = true;
        if (m_bestEnd)
            m_bestLine += endgameBestLine(*m_bestEnd);
        solution.best = {score + m_bestTotal, m_bestWon, m_bestLine};
        if (m_bestWon) {
            solution.win = solution.best;
            return;
        }
        // Not asked yet only when the first pass found a lost line: the ceiling knew of a card
        // that stays for good, so the answer is quick.
        if (!canWin)
            canWin = winnable(m_start, 0);
        if (*canWin)
            solution.win = SolvedLine{score + m_win.finalScore, true, m_win.actions};
    }

    bool hasStep(const Board &board) const
    {
        bool any = false;
        forEachStep(board, [&](const Step &, const Board &) { any = true; });
        return any;
    }

    bool exhausted(const Board &board) const { return board.dealt == Card::deckSize; }

    // Where in the deck the last deal starts.
    static constexpr int lastDealFrom = Card::deckSize - columns;

    // The last deal brings no ace and no two cards of a suit: with the deck out, nothing
    // on top can be taken off, and no column is empty, so the game ends with it.
    bool lastDealEndsGame() const
    {
        unsigned suits = 0;
        for (int i = lastDealFrom; i < Card::deckSize; ++i) {
            const unsigned suit = 1u << suitOf(m_deck[i]);
            if (rankOf(m_deck[i]) == Card::Ace || (suits & suit))
                return false;
            suits |= suit;
        }
        return true;
    }

    // The phase in which every removal still to come falls, so that all count towards the
    // same bonuses: once the deck is out, or before the last deal when the game ends with it.
    bool lastPhase(const Board &board) const
    {
        return exhausted(board) || (m_stayingAtLastDeal && board.dealt == lastDealFrom);
    }

    static bool onlyAces(const Board &board) { return (board.onBoard & nonAceBits) == 0; }

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

    static int ranksLeft(const Board &board)
    {
        int sum = 0;
        for (std::uint64_t left = board.onBoard; left; left &= left - 1)
            sum += rankOf(static_cast<std::uint8_t>(std::countr_zero(left) + 1));
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

    Key key(const Board &board) const
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

    // The key of a board in the win search: points play no part there, so neither do the
    // removals since the deal.
    Key winKey(const Board &board) const
    {
        Key k = key(board);
        k.low &= ~turnclearsMask;
        k.high |= std::uint64_t{1} << winKeyBit;
        return k;
    }

    // The end tests after a click on the board.
    void endAfterClick(const Board &board, Step &step) const
    {
        if (exhausted(board) && onlyAces(board))
            step.end(true, 0);
        else if (over(board))
            step.end(false, ranksLeft(board));
    }

    // The ranks of each suit on the board, as bits.
    using RanksBySuit = std::array<unsigned, Card::suitCount + 1>;
    static RanksBySuit ranksOnBoard(const Board &board)
    {
        RanksBySuit ranks{};
        for (int suit = Card::Clubs; suit <= Card::Spades; ++suit)
            ranks[suit] = ranksOfSuit(board.onBoard, suit);
        return ranks;
    }

    // In the last phase every removal counts towards the same bonuses, so taking a removable
    // card off at once is never worse than leaving it, unless it may be needed to take off a
    // lower card of its suit later: the cards that allow it stay on top, or give way to higher
    // ones, until an ace goes by the question (once the deck is out), and nothing covers them;
    // so any line that leaves the card does as well without it, and can only add its removal.
    // Safe when nothing lower of its suit is left, or its ace is gone or cannot go. Then that
    // removal is the one action to weigh; -1 when there is none.
    int safeRemovalInLastPhase(const Board &board) const
    {
        if (!lastPhase(board))
            return -1;
        const RanksBySuit ranks = ranksOnBoard(board);
        for (int c = 0; c < columns; ++c) {
            const std::uint8_t t = board.top(c);
            const unsigned left = ranks[suitOf(t)];
            const bool neededLater =
                exhausted(board) && (left & ((1u << rankOf(t)) - 1)) && (left >> Card::Ace & 1);
            if (t && !neededLater && beatenElsewhere(board, c))
                return c;
        }
        return -1;
    }

    // The actions a player has in order: the four columns, then the deal. Calls use(step,
    // next) for each; `next` is the board after it.
    template <typename Use> void forEachStep(const Board &board, Use use) const
    {
        const bool acesOnly = exhausted(board) && onlyAces(board);
        const int removal = acesOnly ? -1 : safeRemovalInLastPhase(board);
        for (int c = 0; c < columns; ++c) {
            if (board.count[c] == 0 || (removal >= 0 && c != removal))
                continue;
            Step step;
            step.action[0] = static_cast<char>('1' + c);
            Board next = board;
            const std::uint8_t t = board.top(c);
            if (acesOnly) {
                // After the last deal brought only aces: the first click ends the game won.
                step.end(true, 0);
            } else if (beatenElsewhere(board, c)) {
                next.take(c);
                ++next.turnclears;
                step.points = next.turnclears % scoring::bonusEvery == 0 ? scoring::bonusPoints
                                                                         : scoring::removalPoints;
                endAfterClick(next, step);
            } else if (const int empty = board.count[c] > 1 ? firstEmpty(board, c) : -1;
                       empty >= 0) {
                next.put(empty, next.take(c));
                endAfterClick(next, step);
            } else if (rankOf(t) == Card::Ace && exhausted(board)) {
                step.action[1] = 'y';
                next.take(c);
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
                next.put(c, m_deck[next.dealt++]);
            next.turnclears = 0;
            if (over(next))
                step.end(false, ranksLeft(next));
            use(step, next);
        }
    }

    int nonAcesLeft(const Board &board) const
    {
        return std::popcount(board.onBoard & nonAceBits) + m_nonAcesUndealt[board.dealt];
    }

    // Once the deck is out, a suit whose ace has gone by the question keeps its highest card
    // left for good: nothing higher can ever take it off. Those cards and their ranks.
    struct Staying {
        int cards = 0;
        int ranks = 0;
    };
    Staying stayingForGood(const Board &board) const
    {
        Staying staying;
        if (!exhausted(board))
            return staying;
        for (const unsigned present : ranksOnBoard(board)) {
            if (present && !(present >> Card::Ace & 1)) {
                ++staying.cards;
                staying.ranks += std::bit_width(present) - 1;
            }
        }
        return staying;
    }

    // At least one non-ace, of the lowest rank: what a game that is not won leaves.
    static constexpr Staying oneLowCard{1, 2};

    // The most the rest of the game could add with `staying` left on the board: every other
    // non-ace still to go removed, every fourth removal from here on a bonus, and the win when
    // nothing stays.
    int mostWith(const Board &board, Staying staying) const
    {
        const int removals = mostForRemovals(nonAcesLeft(board) - staying.cards, board.turnclears);
        return staying.cards ? removals - staying.ranks : removals + scoring::winPoints;
    }

    // When the game ends with the last deal, its cards and the aces stay.
    Staying stayingAtLastDeal() const
    {
        Staying staying{columns, Card::suitCount * Card::Ace};
        for (int i = lastDealFrom; i < Card::deckSize; ++i)
            staying.ranks += rankOf(m_deck[i]);
        return staying;
    }

    int ceiling(const Board &board) const
    {
        if (m_stayingAtLastDeal)
            return mostWith(board, *m_stayingAtLastDeal);
        const Staying staying = stayingForGood(board);
        return mostWith(board, staying.cards == 0 && m_noWin ? oneLowCard : staying);
    }

    // The bound from the cards that can never leave the board: those that stay, when some must;
    // else, when no win is left, the ceiling without one.
    int stuckBound(const Board &board)
    {
        const Stacks stacks(board, m_deck);
        if (const int lost = lostBound(board, stacks); lost != max)
            return lost;
        if (!m_noWin && StuckCards(stacks, StuckCards::Ends::wonOnly).someCardStays())
            return mostWith(board, oneLowCard);
        return max;
    }

    // What the rest of the game can add at most when some card must stay, however it ends;
    // `max` when none must. The removal order is the sharper where it holds. Its record counts
    // it of use when it finds a card that stays; both are reached only where the stuck cards'
    // record lets the search weigh the board.
    int lostBound(const Board &board, const Stacks &stacks)
    {
        if (removalOrderWorthTrying(board, m_removalOrder)) {
            const RemovalOrder order(stacks);
            m_removalOrder.tried(board.dealt, order.someCardStays());
            if (order.holds())
                return order.someCardStays() ? order.lostAtMost(board.turnclears) : max;
        }
        const StuckCards anyEnd(stacks, StuckCards::Ends::any);
        return anyEnd.someCardStays() ? anyEnd.lostAtMost(board.turnclears) : max;
    }

    // The removal order is worked out only from the phase before the last deal on, as earlier
    // columns can be emptied too often for it to hold, and only where it has not proved
    // hopeless.
    static bool removalOrderWorthTrying(const Board &board, const CutRecord &record)
    {
        return board.dealt >= lastDealFrom && record.worthTrying(board.dealt);
    }

    // Depth-first branch and bound: what the board can add at most (exact when nothing below
    // it was cut off), keeping every line that beats the best so far.
    int search(const Board &board, int gained)
    {
        checkStop();
        const Key k = key(board);
        const Value *known = m_memo.find(k);
        if (known && known->exact) {
            reached(gained + known->best, known->won, &board);
            return known->best;
        }
        int most = ceiling(board);
        if (known)
            most = std::min<int>(most, known->best);
        if (gained + most <= m_bestTotal)
            return most;
        const int floor = encoded(m_bestTotal - gained, m_bestWon);
        if (const std::optional<int> value =
                endgameAnswer(board, m_endgameRecord, [&] { return endgame(board, floor); })) {
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
        if (!(known && known->weighed) && m_memo.size() >= m_stuckCardsAfter &&
            m_stuckCards.worthTrying(board.dealt)) {
            // Worked out once a board: the memo keeps it for the later passes.
            Value &entry = m_memo.at(k);
            entry.weighed = true;
            most = std::min(most, stuckBound(board));
            entry.best = static_cast<std::int16_t>(std::min<int>(entry.best, most));
            const bool cut = gained + most <= m_bestTotal;
            m_stuckCards.tried(board.dealt, cut);
            if (cut)
                return most;
        }
        int result = none;
        forEachStep(board, [&](const Step &step, const Board &next) {
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

    // Keeps the line so far as the best when it beats it; a win as good as the best loss found
    // is the better line to show. `end` is the board the line goes on from, the endgame
    // search's answer, or null when the line has ended.
    void reached(int total, bool won, const Board *end)
    {
        if (total > m_bestTotal || (total == m_bestTotal && won && !m_bestWon)) {
            m_bestTotal = total;
            m_bestLine = m_path;
            m_bestWon = won;
            m_bestEnd = end ? std::optional<Board>(*end) : std::nullopt;
        }
    }

    // Near the end of a game few boards are left to weigh from a board, and the bounds seldom
    // rule a board out there, so lines from it are weighed at once, in a cache of their own.
    // What `search` answers for the board, or none: before that phase, where such a search has
    // taken many boards by its record, or where this one would pass its limit.
    template <typename Search>
    auto endgameAnswer(const Board &board, EndgameRecord &record, Search search)
        -> std::optional<decltype(search())>
    {
        if (board.dealt < endgameFrom || !record.worthTrying(board.dealt))
            return std::nullopt;
        m_endgameBoardsLeft = endgameLimit;
        std::optional<decltype(search())> answer;
        try {
            answer = search();
        } catch (const EndgameTooLarge &) {
        }
        record.spent(board.dealt, answer ? endgameLimit - m_endgameBoardsLeft : endgameLimit);
        return answer;
    }

    // The endgame search starts two deals before the deck is out: earlier it has seldom paid.
    static constexpr int endgameFrom = lastDealFrom - columns;
    // The boards an endgame search may weigh.
    static constexpr std::size_t endgameLimit = 400;
    // Below every value, with room for the points of a line taken off.
    static constexpr int noFloor = 2 * none;

    // What the board adds at best, encoded as ExactCache keeps it, where that beats `floor`;
    // else a bound on it no higher than `floor`. Throws EndgameTooLarge past its limit.
    int endgame(const Board &board, int floor)
    {
        const Key k = key(board);
        if (const ExactCache::Entry *known = m_exact.find(k);
            known && (known->exact || known->value <= floor))
            return known->value;
        weighOneMore();
        int best = std::numeric_limits<int>::min();
        forEachStep(board, [&](const Step &step, const Board &next) {
            best = std::max(best, endgameWorth(step, next, std::max(best, floor)));
        });
        m_exact.store(k, best, best > floor);
        return best;
    }

    // What the step adds at best, as endgame() answers for a board: a step that cannot beat
    // `floor` by its ceiling is bounded by it and no more.
    int endgameWorth(const Step &step, const Board &next, int floor)
    {
        if (step.ended)
            return encoded(step.points + step.ending, step.won);
        const int most = encoded(step.points + ceiling(next), true);
        const int points = encoded(step.points, false);
        return most <= floor ? most : points + endgame(next, floor - points);
    }

    // The endgame search counts the boards it weighs. Throws EndgameTooLarge past its limit.
    void weighOneMore()
    {
        checkStop();
        if (m_endgameBoardsLeft-- == 0)
            throw EndgameTooLarge();
    }

    // Whether some line from the board wins, as the endgame search finds it, with no regard to
    // points. Throws EndgameTooLarge past its limit.
    bool endgameWins(const Board &board)
    {
        const Key k = winKey(board);
        if (const ExactCache::Entry *known = m_exact.find(k))
            return known->value != 0;
        weighOneMore();
        bool wins = false;
        if (stayingForGood(board).cards == 0) {
            forEachStep(board, [&](const Step &step, const Board &next) {
                wins = wins || (step.ended ? step.won : endgameWins(next));
            });
        }
        m_exact.store(k, wins, true);
        return wins;
    }

    // The best line from a board the endgame search has answered: at each board a step that
    // adds its value, found without weighing the others exactly.
    std::string endgameBestLine(const Board &board)
    {
        return endgameLine(board,
                           [this](const Board &from) {
                               const int value = endgame(from, noFloor);
                               return [this, value](const Step &step, const Board &next) {
                                   return endgameWorth(step, next, value - 1) == value;
                               };
                           })
            .actions;
    }

    // A winning line from a board the endgame search has found one from.
    SolvedLine endgameWinningLine(const Board &board)
    {
        return endgameLine(board, [this](const Board &) {
            return [this](const Step &step, const Board &next) {
                return step.ended ? step.won : endgameWins(next);
            };
        });
    }

    // The line from the board that takes at each board the first step accepted by the test
    // `chooser(board)` makes, and what it adds. Unsolved (by EndgameTooLarge) rather than a
    // wrong line, should it accept none.
    template <typename Chooser> SolvedLine endgameLine(Board board, Chooser chooser)
    {
        // The board was answered within the limit, but some of what that took may have given
        // way in the cache since, so some boards are weighed again.
        m_endgameBoardsLeft = std::numeric_limits<std::size_t>::max();
        SolvedLine line;
        for (bool ended = false; !ended;) {
            const auto accepts = chooser(board);
            Board chosen;
            bool found = false;
            forEachStep(board, [&](const Step &step, const Board &next) {
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

    // Whether some line from the board wins, found with no regard to points: so a board is
    // known by its cards alone, not by the removals since the deal, and one that cannot be won
    // is remembered as such. Keeps the first win found in m_win.
    bool winnable(const Board &board, int gained)
    {
        checkStop();
        const Key k = winKey(board);
        if (m_memo.find(k))
            return false;
        if (const std::optional<bool> wins =
                endgameAnswer(board, m_winEndgameRecord, [&] { return endgameWins(board); })) {
            if (*wins) {
                const SolvedLine rest = endgameWinningLine(board);
                m_win = {gained + rest.finalScore, true, m_path + rest.actions};
                return true;
            }
        } else if (mightWin(board)) {
            bool found = false;
            forEachStep(board, [&](const Step &step, const Board &next) {
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

    // A win takes off every non-ace left, two points each at least, and adds the win's points:
    // a board the search has found to add less is lost, as is one where some card never goes
    // (where looking for such cards has not proved hopeless).
    bool mightWin(const Board &board)
    {
        const int leastWin = scoring::removalPoints * nonAcesLeft(board) + scoring::winPoints;
        if (const Value *known = m_memo.find(key(board)); known && known->best < leastWin)
            return false;
        if (stayingForGood(board).cards)
            return false;
        const bool order = removalOrderWorthTrying(board, m_winRemovalOrder);
        const bool stuckCards = m_winStuckCards.worthTrying(board.dealt);
        if (!order && !stuckCards)
            return true;
        const Stacks stacks(board, m_deck);
        if (order) {
            const bool stays = RemovalOrder(stacks).someCardStays();
            m_winRemovalOrder.tried(board.dealt, stays);
            if (stays)
                return false;
        }
        if (!stuckCards)
            return true;
        const bool stays = StuckCards(stacks, StuckCards::Ends::wonOnly).someCardStays();
        m_winStuckCards.tried(board.dealt, stays);
        return !stays;
    }

    void checkStop()
    {
        if (m_stop && (++m_visits & 0xFFF) == 0 && m_stop->load(std::memory_order_relaxed))
            throw Stopped();
    }

    std::array<std::uint8_t, Card::deckSize> m_deck{};
    std::array<std::uint8_t, Card::deckSize + 1> m_home{};
    std::array<int, Card::deckSize + 1> m_nonAcesUndealt{}; // from each deck place on
    Board m_start;
    Memo m_memo;                       // upper bounds of what each board can add
    CutRecord m_stuckCards;            // of the stuck cards, in the search for the best score
    CutRecord m_winStuckCards;         // of the stuck cards, in the search for a win
    CutRecord m_removalOrder;          // of the removal order, in the search for the best score
    CutRecord m_winRemovalOrder;       // of the removal order, in the search for a win
    std::size_t m_stuckCardsAfter = 0; // positions weighed before it is brought in
    std::string m_path;
    const std::atomic<bool> *m_stop = nullptr;
    std::uint32_t m_visits = 0;
    int m_bestTotal = none;
    std::string m_bestLine;
    bool m_bestWon = false;
    std::optional<Board> m_bestEnd; // where the best line goes on as the endgame search found
    ExactCache m_exact;
    std::size_t m_endgameBoardsLeft = 0;
    EndgameRecord m_endgameRecord;    // in the search for the best score
    EndgameRecord m_winEndgameRecord; // in the search for a win
    bool m_noWin = false;             // no line from the start wins
    // What stays when the game is sure to end with the last deal, still to come.
    std::optional<Staying> m_stayingAtLastDeal;
    SolvedLine m_win; // a winning line from the start, its score what it adds
};

} // namespace

Solution solve(const Position &position, std::size_t maxPositions, const std::atomic<bool> *stop,
               std::size_t boundAfter)
{
    return std::make_unique<Solver>(position, maxPositions, stop, boundAfter)->run(position.score);
}
