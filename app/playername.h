#pragma once

#include <QString>

// The player's name as the game's boxes take it: typed, it is at most this many characters.
constexpr int typedNameLength = 10;

// The name of a player who gave none.
inline QString guestName()
{
    return QStringLiteral("Guest");
}
