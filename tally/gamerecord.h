#pragma once

#include <QString>

// What the game table reports about finished and started games: the tally list listens.
class GameRecord {
public:
    virtual ~GameRecord() = default;
    // One more in counter `column` of the record: 1 games started, 2 games cleared.
    virtual void addtomineincrease(int column) = 0;
    // Offers a finished game's score to the ten best; true when it entered them.
    virtual bool checkscore(int score, const QString &name) = 0;
};

// Where games are reported until there is a tally list: nowhere.
class NoGameRecord : public GameRecord {
public:
    void addtomineincrease(int) override {}
    bool checkscore(int, const QString &) override { return false; }
};
