#pragma once

#include "game/card.h"
#include "game/scoring.h"

#include <array>
#include <string_view>

// The rules of play, written once: the table plays by them, and the solver and the server's
// replay call the same functions. Columns are indexed 0–3 here; players number them 1–4.
namespace rules {

constexpr int columnCount = 4;
// Every deal puts one card onto each column until the deck is out, so a column holds at most
// one card of each deal.
constexpr int dealCount = Card::deckSize / columnCount;
static_assert(dealCount * columnCount == Card::deckSize);

// What a click on a column does, in the order the rules try them.
enum class Play { Ignored, Removed, Moved, AceQuestion, Invalid };

// How the end tests find the game.
enum class Ending { None, Won, Lost };

// The rules read a card by isCard(), isAce(), suit() and rank(): the table's `Card`, or the
// solver's own, which looks its suit and rank up rather than working them out.

// A top card goes when another column shows a higher card of its suit on top (aces high).
template <typename C> constexpr bool beats(C upper, C lower)
{
    return upper.isCard() && lower.isCard() && upper.suit() == lower.suit() &&
           upper.rank() > lower.rank();
}

// The points of a removal, given the removals since the last deal counting this one: every
// fourth scores the bonus.
constexpr int removalPoints(int removalsSinceDeal)
{
    return removalsSinceDeal % scoring::bonusEvery == 0 ? scoring::bonusPoints
                                                        : scoring::removalPoints;
}

// The columns as a click sees them: the top card of each (no card on an empty one) and how
// many cards each holds.
template <typename C> struct BasicTops {
    std::array<C, columnCount> card{};
    std::array<int, columnCount> count{};
};
using Tops = BasicTops<Card>;

// Another column's top card beats the top card of column `index`.
template <typename C> constexpr bool beatenElsewhere(const BasicTops<C> &tops, int index)
{
    for (int other = 0; other < columnCount; ++other) {
        if (other != index && beats(tops.card[other], tops.card[index]))
            return true;
    }
    return false;
}

// The leftmost empty column other than `except`; -1 when there is none.
template <typename C> constexpr int emptyColumnBesides(const BasicTops<C> &tops, int except)
{
    for (int other = 0; other < columnCount; ++other) {
        if (other != except && tops.count[other] == 0)
            return other;
    }
    return -1;
}

// What a click on column `index` does to its top card: removed when another column beats it,
// else moved into an empty column when it lies on other cards, else, once the deck is out,
// an ace is asked about; otherwise the click is invalid. A click on an empty column does
// nothing at all.
template <typename C> constexpr Play playOf(const BasicTops<C> &tops, int index, bool deckOut)
{
    if (tops.count[index] == 0)
        return Play::Ignored;
    if (beatenElsewhere(tops, index))
        return Play::Removed;
    if (tops.count[index] > 1 && emptyColumnBesides(tops, index) >= 0)
        return Play::Moved;
    if (tops.card[index].isAce() && deckOut)
        return Play::AceQuestion;
    return Play::Invalid;
}

// The game is won when nothing but aces is left once the deck is out.
constexpr bool won(bool deckOut, bool onlyAcesLeft)
{
    return deckOut && onlyAcesLeft;
}

// The game is over when the deck is out and no click could change the board.
template <typename C> constexpr bool over(const BasicTops<C> &tops, bool deckOut)
{
    if (!deckOut)
        return false;
    for (int index = 0; index < columnCount; ++index) {
        const Play play = playOf(tops, index, deckOut);
        if (play != Play::Ignored && play != Play::Invalid)
            return false;
    }
    return true;
}

// A game's line, one character an action that changed the table: '1'–'4' a click on that
// column, 'd' a deal, 'y' a yes to the ace question that took the ace off. Played again from
// the deal's number, a line leads to the very table it was written on.
namespace moves {

constexpr char deal = 'd';
constexpr char yes = 'y';
constexpr std::string_view alphabet = "1234dy";

constexpr char click(int index)
{
    return static_cast<char>('1' + index);
}
constexpr bool isClick(char move)
{
    return move >= '1' && move < '1' + columnCount;
}
// The column index a click names.
constexpr int clicked(char move)
{
    return move - '1';
}

static_assert(alphabet.size() == columnCount + 2 && alphabet.front() == click(0) &&
              alphabet[columnCount - 1] == click(columnCount - 1) &&
              alphabet[columnCount] == deal && alphabet.back() == yes);

} // namespace moves

} // namespace rules
