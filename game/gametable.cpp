#include "game/gametable.h"

#include "game/scoring.h"

#include <stdexcept>
#include <utility>

void GameTable::start()
{
    m_gameactive = true;
    m_assisted = false;
    startround(m_random);
}

void GameTable::startDeal(std::uint32_t number)
{
    Random chosen(number);
    m_gameactive = true;
    m_assisted = true;
    startround(chosen);
}

Position GameTable::position() const
{
    Position position;
    for (int c = 1; c <= columnCount; ++c) {
        const Column &column = m_round.columns[c];
        position.columns[c - 1].assign(column.cards.begin() + 1,
                                       column.cards.begin() + 1 + column.count);
    }
    position.deck = m_deck;
    position.dealt = m_round.dealt;
    position.turnclears = m_round.turnclears;
    position.score = m_round.score;
    return position;
}

void GameTable::startround(Random &random)
{
    // A fresh round: score 0, no question left open by the last game.
    m_undo.clear();
    m_redo.clear();
    m_round = Round();
    m_round.deckOnPile = true;
    shufflecards(random);
    dealcards();
}

void GameTable::shufflecards(Random &random)
{
    m_dealNumber = random.state();
    m_deck.fill(Card());
    for (int number = 1; number <= Card::deckSize; ++number) {
        int position;
        do {
            position = static_cast<int>(random.next(Card::deckSize));
        } while (m_deck[position].isCard());
        m_deck[position] = Card(number);
    }
    m_round.dealt = 0;
}

bool GameTable::dealcards()
{
    m_round.lastPoints = std::nullopt;
    if (deckExhausted())
        return false;
    m_round.turnclears = 0;
    for (int c = 1; c <= columnCount; ++c) {
        Column &column = m_round.columns[c];
        ++column.count;
        column.cards[column.count] = getcard();
    }
    if (deckExhausted())
        m_round.deckOnPile = false;
    return true;
}

DealResult GameTable::dealClick()
{
    if (!m_gameactive)
        return {};
    Round before = m_round;
    DealResult result;
    result.dealt = dealcards();
    if (result.dealt) {
        remember(std::move(before));
        m_round.line += rules::moves::deal;
    } else if (m_round.lastPoints != before.lastPoints) {
        // No deal, but the turn's points were cleared: a step back shows them again.
        remember(std::move(before));
    }
    result.ending = checkforover();
    return result;
}

ClickResult GameTable::clickColumn(int c)
{
    if (!m_gameactive || !validColumn(c))
        return {};
    const Play play = rules::playOf(tops(), c - 1, deckExhausted());
    if (play == Play::Ignored)
        return {};
    const Column &clicked = m_round.columns[c];
    const int n = clicked.count;
    const Card t = clicked.top();
    Round before = m_round;
    ClickResult result{play};

    if (play == Play::Removed) {
        m_round.played = t;
        removeTop(c);
        addScore(rules::removalPoints(++m_round.turnclears));
    } else if (play == Play::Moved) {
        const int empty = rules::emptyColumnBesides(tops(), c - 1) + 1;
        m_round.columns[empty].count = 1;
        m_round.columns[empty].cards[1] = t;
        removeTop(c);
    } else if (play == Play::AceQuestion) {
        // Asking again about the ace already asked about changes nothing to take back.
        if (m_round.aceQuestion && m_round.acecolumn == c && m_round.aceslot == n &&
            m_round.acecard == t) {
            result.ending = checkEnding();
            return result;
        }
        m_round.acecolumn = c;
        m_round.aceslot = n;
        m_round.acecard = t;
        m_round.aceQuestion = true;
    }
    if (play != Play::Invalid) {
        remember(std::move(before));
        m_round.line += rules::moves::click(c - 1);
    }
    result.ending = checkEnding();
    return result;
}

bool GameTable::play(char move)
{
    const std::size_t before = m_round.line.size();
    if (move == rules::moves::deal)
        return dealClick().dealt;
    if (move == rules::moves::yes) {
        removeAce();
        return m_round.line.size() > before;
    }
    if (!rules::moves::isClick(move))
        return false;
    // A NO leaves no mark in the line, so a click that asks again about the ace asked about
    // before it plays as well as one that changed the board.
    const Play play = clickColumn(rules::moves::clicked(move) + 1).play;
    return play != Play::Ignored && play != Play::Invalid;
}

Ending GameTable::removeAce()
{
    Round before = m_round;
    const bool wasOpen = m_round.aceQuestion;
    m_round.aceQuestion = false;
    // The question is not modal: by now the ace may have moved, or its game may be over.
    const bool stillThere =
        wasOpen && m_gameactive && deckExhausted() && validColumn(m_round.acecolumn) &&
        m_round.aceslot >= 1 && m_round.columns[m_round.acecolumn].count == m_round.aceslot &&
        m_round.columns[m_round.acecolumn].cards[m_round.aceslot] == m_round.acecard &&
        m_round.acecard.isAce();
    if (wasOpen)
        remember(std::move(before));
    if (!stillThere)
        return Ending::None;
    removeTop(m_round.acecolumn);
    m_round.line += rules::moves::yes;
    return checkEnding();
}

void GameTable::keepAce()
{
    if (!m_round.aceQuestion)
        return;
    remember(m_round);
    m_round.aceQuestion = false;
}

bool GameTable::undo()
{
    if (!canUndo())
        return false;
    stepTo(m_undo, m_redo);
    m_assisted = true;
    return true;
}

bool GameTable::redo()
{
    if (!canRedo())
        return false;
    stepTo(m_redo, m_undo);
    return true;
}

void GameTable::stepTo(std::vector<Round> &from, std::vector<Round> &back)
{
    back.push_back(std::move(m_round));
    m_round = std::move(from.back());
    from.pop_back();
}

Ending GameTable::checkEnding()
{
    const Ending ending = checkforwin();
    return ending != Ending::None ? ending : checkforover();
}

Ending GameTable::checkforwin()
{
    if (!rules::won(deckExhausted(), boardHoldsOnlyAces()))
        return Ending::None;
    addScore(scoring::winPoints);
    sweep();
    m_gameactive = false;
    return Ending::Won;
}

Ending GameTable::checkforover()
{
    if (!rules::over(tops(), deckExhausted()))
        return Ending::None;
    const int deduction = sumOfRanksLeft();
    m_round.score -= deduction;
    m_round.lastPoints = -deduction;
    sweep();
    m_gameactive = false;
    return Ending::Lost;
}

void GameTable::setBoard(const std::array<std::vector<Card>, columnCount> &columns, int dealt)
{
    if (dealt < 0 || dealt > Card::deckSize || dealt % columnCount != 0)
        throw std::invalid_argument("no number of cards a deal leaves dealt");
    const auto dealsLeft = static_cast<std::size_t>((Card::deckSize - dealt) / columnCount);
    std::array<bool, Card::deckSize + 1> seen{};
    for (int i = dealt; i < Card::deckSize; ++i)
        seen[m_deck[i].number()] = true;
    for (const auto &stack : columns) {
        if (stack.size() + dealsLeft > Column::slotCount)
            throw std::invalid_argument("no room in a column for the deals still to come");
        for (const Card card : stack) {
            if (!card.isCard())
                throw std::invalid_argument("a column holds no card");
            if (std::exchange(seen[card.number()], true))
                throw std::invalid_argument("a card twice, on the board or still in the deck");
        }
    }
    m_undo.clear();
    m_redo.clear();
    m_round = Round();
    for (int c = 1; c <= columnCount; ++c) {
        const auto &stack = columns[c - 1];
        m_round.columns[c].count = static_cast<int>(stack.size());
        for (int slot = 1; slot <= m_round.columns[c].count; ++slot)
            m_round.columns[c].cards[slot] = stack[slot - 1];
    }
    m_round.dealt = dealt;
    m_gameactive = true;
    m_round.deckOnPile = !deckExhausted();
}

void GameTable::removeTop(int c)
{
    Column &column = m_round.columns[c];
    column.cards[column.count] = Card();
    --column.count;
}

void GameTable::addScore(int points)
{
    m_round.score += points;
    m_round.lastPoints = points;
}

rules::Tops GameTable::tops() const
{
    rules::Tops tops;
    for (int c = 1; c <= columnCount; ++c) {
        tops.card[c - 1] = m_round.columns[c].top();
        tops.count[c - 1] = m_round.columns[c].count;
    }
    return tops;
}

bool GameTable::boardHoldsOnlyAces() const
{
    for (int c = 1; c <= columnCount; ++c) {
        for (int slot = 1; slot <= Column::slotCount; ++slot) {
            const Card card = m_round.columns[c].cards[slot];
            if (card.isCard() && !card.isAce())
                return false;
        }
    }
    return true;
}

int GameTable::sumOfRanksLeft() const
{
    int sum = 0;
    for (int c = 1; c <= columnCount; ++c) {
        for (int slot = 1; slot <= Column::slotCount; ++slot) {
            sum += m_round.columns[c].cards[slot].rank();
        }
    }
    return sum;
}

void GameTable::sweep()
{
    for (int c = 1; c <= columnCount; ++c) {
        for (int slot = Column::slotCount; slot >= 1; --slot) {
            Card &card = m_round.columns[c].cards[slot];
            if (card.isCard()) {
                m_round.played = card;
                card = Card();
            }
        }
    }
}
