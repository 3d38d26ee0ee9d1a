#include "app/tabletexts.h"

#include "game/gametable.h"

#include <QStringList>

namespace tabletexts {

QString points(std::optional<int> points)
{
    if (!points)
        return {};
    return *points < 0 ? QString::number(*points) : "+" + QString::number(*points);
}

QString aceQuestion(Card ace)
{
    static const char *const suits[] = {"CLUBS", "DIAMONDS", "HEARTS", "SPADES"};
    return QString("Are you sure you want to remove the ACE of %1?")
        .arg(ace.isCard() ? suits[ace.suit() - Card::Clubs] : "");
}

QString spokenName(Card card)
{
    static const char *const faces[] = {"jack", "queen", "king", "ace"};
    static const char *const suits[] = {"clubs", "diamonds", "hearts", "spades"};
    if (!card.isCard())
        return {};
    const int rank = card.rank();
    const QString face = rank >= Card::Jack ? faces[rank - Card::Jack] : QString::number(rank);
    return face + " of " + suits[card.suit() - Card::Clubs];
}

QString columnName(int number, const Column &column)
{
    if (column.count == 0)
        return QString("Column %1: empty").arg(number);
    return QString("Column %1: %2, %3 %4")
        .arg(number)
        .arg(spokenName(column.top()))
        .arg(column.count)
        .arg(column.count == 1 ? "card" : "cards");
}

QString columnDescription(const Column &column)
{
    if (column.count == 0)
        return "No cards";
    QStringList cards;
    for (int slot = column.count; slot >= 1; --slot)
        cards << spokenName(column.cards[slot]);
    return "From the top: " + cards.join(", ");
}

} // namespace tabletexts
