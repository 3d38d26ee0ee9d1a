#pragma once

#include "game/cards.h"
#include "game/random.h"

#include <array>
#include <string>
#include <vector>

// One of the four board stacks. Slot 1 is the bottom card, slot `count` the top card;
// every slot above `count` holds 0, and so does every slot a card has left.
struct Column {
    static constexpr int slotCount = 13;
    int count = 0;
    std::array<int, slotCount + 1> cards{}; // index 0 unused, so slots read as 1–13

    int top() const { return count > 0 ? cards[count] : 0; }
};

// What a click on a column did, in the order the rules try them.
enum class Play { Ignored, Removed, Moved, AceQuestion, Invalid };

// How the end tests found the game.
enum class Ending { None, Won, Lost };

struct ClickResult {
    Play play = Play::Ignored;
    Ending ending = Ending::None;
};

struct DealResult {
    bool dealt = false;
    Ending ending = Ending::None;
};

// The card table: deck, columns, score and the rules of play. The main window drives it
// and draws what it holds; nothing here knows about widgets, sounds or the tally list.
class GameTable {
public:
    static constexpr int columnCount = 4;
    static constexpr int cardBack = 0;
    static constexpr int emptyMark = 53;

    explicit GameTable(std::uint32_t seed = 0) : m_random(seed) {}

    // Starts a game: active, score 0, a fresh board, a shuffle and the first deal.
    void start();
    // The deal pile's click: deals if cards remain, then the game-over test.
    DealResult dealClick();
    // The click on column 1–4.
    ClickResult clickColumn(int column);
    // YES on the ace question: removes the remembered ace if it is still the top card of
    // its column in a running game; the question closes either way.
    Ending removeAce();
    // NO on the ace question.
    void keepAce() { m_aceQuestion = false; }

    int getcard() { return m_deck[++m_deckpos]; }
    void shufflecards();
    // Deals one card onto each column unless the deck is exhausted; returns whether it dealt.
    bool dealcards();
    Ending checkforwin();
    Ending checkforover();

    bool gameactive() const { return m_gameactive; }
    int deckpos() const { return m_deckpos; }
    int cardsLeft() const { return cards::deckSize - m_deckpos; }
    // All 52 cards are out: no deal is left, and the game can end.
    bool deckExhausted() const { return m_deckpos > 50; }
    int deckCard(int position) const { return m_deck[position]; }
    const Column &column(int column) const { return m_columns[column]; }
    int turnclears() const { return m_turnclears; }
    int score() const { return m_score; }
    // Points of the last scoring event: "+2", "+32", "+100", "-" and the deduction, or empty.
    const std::string &thisturn() const { return m_thisturn; }
    // Picture on the discard pile and on the deal pile (a card number, 0 or 53).
    int played() const { return m_played; }
    int dealPile() const { return m_dealPile; }
    bool aceQuestionOpen() const { return m_aceQuestion; }
    int acecolumn() const { return m_acecolumn; }
    int aceslot() const { return m_aceslot; }
    // "Are you sure you want to remove the ACE of <suit>?" for the open question.
    const std::string &aceQuestion() const { return m_aceText; }
    Random &random() { return m_random; }

    // Puts a board in place, for tests: the columns bottom to top (at most 13 cards each)
    // and the number of cards already dealt (0–52). The game becomes active. Throws
    // std::invalid_argument for a board no game can reach.
    void setBoard(const std::array<std::vector<int>, columnCount> &columns, int deckpos);

private:
    void startround();
    void removeTop(int column);
    void addScore(int points, std::string label);
    bool topBeatenElsewhere(int column) const;
    int firstEmptyColumn(int except) const;
    bool boardHoldsOnlyAces() const;
    int sumOfRanksLeft() const;
    void sweep();
    bool validColumn(int column) const { return column >= 1 && column <= columnCount; }

    Random m_random;
    std::array<int, 53> m_deck{}; // positions 1–52
    int m_deckpos = 0;
    std::array<Column, columnCount + 1> m_columns{}; // columns 1–4
    bool m_gameactive = false;
    int m_turnclears = 0;
    int m_score = 0;
    std::string m_thisturn;
    int m_played = emptyMark;
    int m_dealPile = emptyMark;
    bool m_aceQuestion = false;
    int m_acecolumn = 0;
    int m_aceslot = 0;
    int m_acecard = 0;
    std::string m_aceText;
};
