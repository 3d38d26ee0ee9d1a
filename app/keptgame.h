#pragma once

#include "game/gametable.h"

#include <QString>

#include <optional>
#include <stdexcept>
#include <string>

// The running game as it is kept between runs: its deal and its line are the game, played
// again through the table; the line ahead is what Redo can put back.
struct KeptGame {
    std::uint32_t deal = 0;
    std::string line;
    std::string ahead;
    bool assisted = false;
    bool aceQuestion = false;

    static KeptGame of(const GameTable &table);
    // The table as it was; throws std::runtime_error when the game does not play again so.
    GameTable replay() const;
};

// Keeps the running game in a file after every change, written whole or not at all, so that
// closing, a logout or a crash loses at most the action in flight.
class GameKeeper {
public:
    explicit GameKeeper(QString file) : m_file(std::move(file)) {}

    void keep(const GameTable &table);
    // A game that ended is not kept.
    void forget();
    // The kept game played again; none when there is none. A file that does not play again
    // (edited, damaged, from another version) is set aside beside it and std::runtime_error
    // says so.
    std::optional<GameTable> resume();

private:
    QString m_file;
};
