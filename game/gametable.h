#pragma once

#include "game/card.h"
#include "game/position.h"
#include "game/random.h"
#include "game/rules.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// One of the four board stacks. Slot 1 is the bottom card, slot `count` the top card;
// every slot above `count` holds no card, and so does every slot a card has left.
struct Column {
    // One card from each of the game's deals.
    static constexpr int slotCount = rules::dealCount;
    int count = 0;
    std::array<Card, slotCount + 1> cards{}; // index 0 unused, so slots read as 1–13

    Card top() const { return count > 0 ? cards[count] : Card(); }
};

using rules::Ending;
using rules::Play;

struct ClickResult {
    Play play = Play::Ignored;
    Ending ending = Ending::None;
};

struct DealResult {
    bool dealt = false;
    Ending ending = Ending::None;
};

// The card table: deck, columns and score, played by the rules. The game session drives it
// and the window shows what it holds; nothing here knows about widgets, texts, sounds or the
// tally list.
class GameTable {
public:
    static constexpr int columnCount = rules::columnCount;

    explicit GameTable(std::uint32_t seed = 0) : m_random(seed) {}

    // Starts a game: active, score 0, a fresh board, a shuffle and the first deal.
    void start();
    // Starts a game with the deal of that number; the table's own sequence of deals goes on
    // afterwards as if this game had not been. Such a game is assisted.
    void startDeal(std::uint32_t number);
    // The deal pile's click: deals if cards remain, then the game-over test.
    DealResult dealClick();
    // The click on column 1–4.
    ClickResult clickColumn(int column);
    // Plays one action of a game's line (see line()); true when it did what the line says:
    // dealt, took an ace off, or played the clicked card or asked about it.
    bool play(char move);
    // YES on the ace question: removes the remembered ace if it is still the top card of
    // its column in a running game; the question closes either way.
    Ending removeAce();
    // NO on the ace question.
    void keepAce();
    // Takes back the running game's last click, deal, YES or NO that changed the table,
    // whatever it changed, the ace question included; any number of times, back to the first
    // deal.
    // The game becomes assisted. False, and nothing changes, when there is nothing to take
    // back or the game is over.
    bool undo();
    bool canUndo() const { return m_gameactive && !m_undo.empty(); }
    // Puts back what undo() last took back, in order; any other action that changes the
    // table ends what can be put back. False, and nothing changes, when there is nothing.
    bool redo();
    bool canRedo() const { return m_gameactive && !m_redo.empty(); }
    // The line as it was before the undos that redo() can put back: the running line when
    // there are none.
    const std::string &lineAhead() const { return m_redo.empty() ? line() : m_redo.front().line; }

    bool gameactive() const { return m_gameactive; }
    const Column &column(int column) const { return m_round.columns[column]; }
    int score() const { return m_round.score; }
    int cardsLeft() const { return Card::deckSize - m_round.dealt; }
    // All 52 cards are out: no deal is left, and the game can end.
    bool deckExhausted() const { return cardsLeft() == 0; }
    // The points of the last scoring event: a removal's or the win's, or the deduction of a
    // lost game as a negative number; none since the last deal.
    std::optional<int> lastPoints() const { return m_round.lastPoints; }
    // The ace the last ace question asked about.
    Card questionedAce() const { return m_round.acecard; }
    // The ace question is waiting for YES or NO.
    bool aceQuestionOpen() const { return m_round.aceQuestion; }
    // The deck lies on the deal pile: a game has been dealt and cards remain to deal.
    bool deckOnPile() const { return m_round.deckOnPile; }
    // The card last played off the board, or no card.
    Card played() const { return m_round.played; }
    Random &random() { return m_random; }
    // The state of the random generator just before this game's shuffle: the deal's number.
    std::uint32_t dealNumber() const { return m_dealNumber; }
    // A game whose deal was chosen or in which the player had help; its score is not ranked.
    bool assisted() const { return m_assisted; }
    void markAssisted() { m_assisted = true; }
    // For a game kept across a restart, which is assisted only if it was.
    void setAssisted(bool assisted) { m_assisted = assisted; }
    // What the solver needs of the running game.
    Position position() const;
    // The game so far in the move alphabet of rules::moves, one character an action that
    // changed the table. Played again from the deal's number, it leads to this very table.
    const std::string &line() const { return m_round.line; }

    // Puts a board in place, for tests: the columns bottom to top and the number of cards
    // already dealt, a multiple of four from 0 to 52. The game becomes active; later deals
    // come from the last start()'s shuffle. Throws std::invalid_argument for a board no game
    // can reach: a gap in a column, too many cards to leave room for the deals to come, or a
    // card twice (on the board, or on it and still in the deck).
    void setBoard(const std::array<std::vector<Card>, columnCount> &columns, int dealt);

private:
    void startround(Random &random);
    Card getcard() { return m_deck[m_round.dealt++]; }
    void shufflecards(Random &random);
    // Deals one card onto each column unless the deck is exhausted; returns whether it dealt.
    bool dealcards();
    Ending checkforwin();
    Ending checkforover();
    // The end tests after a play on the board.
    Ending checkEnding();
    void removeTop(int column);
    // Adds the points and keeps them as the last scoring event's.
    void addScore(int points);
    // The columns' top cards and counts as the rules read them.
    rules::Tops tops() const;
    bool boardHoldsOnlyAces() const;
    int sumOfRanksLeft() const;
    void sweep();
    bool validColumn(int column) const { return column >= 1 && column <= columnCount; }

    // All that a click, a deal or YES can change while the game goes on: what Undo puts back.
    struct Round {
        int dealt = 0;
        std::array<Column, columnCount + 1> columns{}; // columns 1–4
        int turnclears = 0;
        int score = 0;
        std::optional<int> lastPoints;
        Card played;
        bool deckOnPile = false;
        bool aceQuestion = false;
        int acecolumn = 0;
        int aceslot = 0;
        Card acecard;
        std::string line;
    };

    // Makes the last round of `from` the table's, the table's own going to `back`: a step of
    // undo() or redo().
    void stepTo(std::vector<Round> &from, std::vector<Round> &back);
    // Remembers the round as it was before an action that changed it; what undo() took back
    // can no longer be put back.
    void remember(Round before)
    {
        m_undo.push_back(std::move(before));
        m_redo.clear();
    }

    Random m_random;
    std::uint32_t m_dealNumber = 0;
    bool m_assisted = false;
    std::array<Card, Card::deckSize> m_deck{}; // in dealing order
    bool m_gameactive = false;
    Round m_round;
    std::vector<Round> m_undo; // the rounds before each action of the running game, oldest first
    std::vector<Round> m_redo; // the rounds undo() took back, the furthest first
};
