#pragma once

#include "tally/gamerecord.h"

#include <QStringList>

// Writes down what the game reports, in order: "increase 1", "score 42 Guest".
class RecordingGameRecord : public GameRecord {
public:
    void addtomineincrease(int column) override { calls << QString("increase %1").arg(column); }
    bool checkscore(int score, const QString &name) override
    {
        calls << QString("score %1 %2").arg(score).arg(name);
        return true;
    }
    QStringList calls;
};
