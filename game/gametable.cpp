#include "game/gametable.h"

#include <stdexcept>

using cards::getnum;
using cards::getsuit;

void GameTable::start()
{
    m_gameactive = true;
    m_score = 0;
    startround();
}

void GameTable::startround()
{
    m_dealPile = cardBack;
    m_columns = {};
    m_played = emptyMark;
    m_thisturn.clear();
    shufflecards();
    dealcards();
}

void GameTable::shufflecards()
{
    m_deck.fill(0);
    for (int card = 1; card <= cards::deckSize; ++card) {
        int position;
        do {
            position = static_cast<int>(m_random.next(cards::deckSize)) + 1;
        } while (m_deck[position] != 0);
        m_deck[position] = card;
    }
    m_deckpos = 0;
}

bool GameTable::dealcards()
{
    m_thisturn.clear();
    if (deckExhausted())
        return false;
    m_turnclears = 0;
    for (int c = 1; c <= columnCount; ++c) {
        Column &column = m_columns[c];
        ++column.count;
        column.cards[column.count] = getcard();
    }
    if (deckExhausted())
        m_dealPile = emptyMark;
    return true;
}

DealResult GameTable::dealClick()
{
    if (!m_gameactive)
        return {};
    DealResult result;
    result.dealt = dealcards();
    result.ending = checkforover();
    return result;
}

ClickResult GameTable::clickColumn(int c)
{
    if (!m_gameactive || !validColumn(c) || m_columns[c].count == 0)
        return {};
    const Column &clicked = m_columns[c];
    const int n = clicked.count;
    const int t = clicked.top();
    ClickResult result;

    if (topBeatenElsewhere(c)) {
        m_played = t;
        removeTop(c);
        ++m_turnclears;
        if (m_turnclears % 4 == 0)
            addScore(32, "+32");
        else
            addScore(2, "+2");
        result.play = Play::Removed;
    } else if (const int empty = n > 1 ? firstEmptyColumn(c) : 0; empty != 0) {
        m_columns[empty].count = 1;
        m_columns[empty].cards[1] = t;
        removeTop(c);
        result.play = Play::Moved;
    } else if (getnum(t) == 14 && deckExhausted()) {
        m_acecolumn = c;
        m_aceslot = n;
        m_acecard = t;
        m_aceText = std::string("Are you sure you want to remove the ACE of ") +
                    cards::suitName(getsuit(t)) + "?";
        m_aceQuestion = true;
        result.play = Play::AceQuestion;
    } else {
        result.play = Play::Invalid;
    }
    result.ending = checkforwin();
    if (result.ending == Ending::None)
        result.ending = checkforover();
    return result;
}

Ending GameTable::removeAce()
{
    const bool wasOpen = m_aceQuestion;
    m_aceQuestion = false;
    // The question is not modal: by now the ace may have moved, or its game may be over.
    const bool stillThere =
        wasOpen && m_gameactive && deckExhausted() && validColumn(m_acecolumn) && m_aceslot >= 1 &&
        m_columns[m_acecolumn].count == m_aceslot &&
        m_columns[m_acecolumn].cards[m_aceslot] == m_acecard && cards::isAce(m_acecard);
    if (!stillThere)
        return Ending::None;
    Column &column = m_columns[m_acecolumn];
    column.cards[m_aceslot] = 0;
    --column.count;
    --m_aceslot;
    const Ending ending = checkforwin();
    return ending != Ending::None ? ending : checkforover();
}

Ending GameTable::checkforwin()
{
    if (!deckExhausted() || !boardHoldsOnlyAces())
        return Ending::None;
    addScore(100, "+100");
    sweep();
    m_gameactive = false;
    return Ending::Won;
}

Ending GameTable::checkforover()
{
    if (!deckExhausted())
        return Ending::None;
    for (int c = 1; c <= columnCount; ++c) {
        if (cards::isAce(m_columns[c].top()))
            return Ending::None;
    }
    for (int c = 1; c <= columnCount; ++c) {
        if (m_columns[c].count == 0)
            continue;
        if (topBeatenElsewhere(c) || (m_columns[c].count > 1 && firstEmptyColumn(c) != 0))
            return Ending::None;
    }
    const int deduction = sumOfRanksLeft();
    m_score -= deduction;
    m_thisturn = "-" + std::to_string(deduction);
    sweep();
    m_gameactive = false;
    return Ending::Lost;
}

void GameTable::setBoard(const std::array<std::vector<int>, columnCount> &columns, int deckpos)
{
    if (deckpos < 0 || deckpos > cards::deckSize)
        throw std::invalid_argument("deck position out of range");
    for (const auto &stack : columns) {
        if (stack.size() > Column::slotCount)
            throw std::invalid_argument("more cards than a column holds");
    }
    m_columns = {};
    for (int c = 1; c <= columnCount; ++c) {
        const auto &stack = columns[c - 1];
        m_columns[c].count = static_cast<int>(stack.size());
        for (int slot = 1; slot <= m_columns[c].count; ++slot)
            m_columns[c].cards[slot] = stack[slot - 1];
    }
    m_deckpos = deckpos;
    m_gameactive = true;
    m_score = 0;
    m_turnclears = 0;
    m_thisturn.clear();
    m_played = emptyMark;
    m_dealPile = deckExhausted() ? emptyMark : cardBack;
}

void GameTable::removeTop(int c)
{
    Column &column = m_columns[c];
    column.cards[column.count] = 0;
    --column.count;
}

void GameTable::addScore(int points, std::string label)
{
    m_score += points;
    m_thisturn = std::move(label);
}

bool GameTable::topBeatenElsewhere(int c) const
{
    const int t = m_columns[c].top();
    for (int i = 1; i <= columnCount; ++i) {
        const int other = m_columns[i].top();
        if (i != c && other != 0 && getsuit(other) == getsuit(t) && getnum(other) > getnum(t))
            return true;
    }
    return false;
}

int GameTable::firstEmptyColumn(int except) const
{
    for (int j = 1; j <= columnCount; ++j) {
        if (j != except && m_columns[j].count == 0)
            return j;
    }
    return 0;
}

bool GameTable::boardHoldsOnlyAces() const
{
    for (int c = 1; c <= columnCount; ++c) {
        for (int slot = 1; slot <= Column::slotCount; ++slot) {
            const int card = m_columns[c].cards[slot];
            if (card != 0 && !cards::isAce(card))
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
            if (const int card = m_columns[c].cards[slot]; card != 0)
                sum += getnum(card);
        }
    }
    return sum;
}

void GameTable::sweep()
{
    for (int c = 1; c <= columnCount; ++c) {
        for (int slot = Column::slotCount; slot >= 1; --slot) {
            int &card = m_columns[c].cards[slot];
            if (card != 0) {
                m_played = card;
                card = 0;
            }
        }
    }
}
