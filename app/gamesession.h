#pragma once

#include "app/solverworker.h"
#include "game/gametable.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <optional>

class GameRecord;
class QTimer;

// The player's games: owns the game table and the solver that finds hints and a finished
// game's best possible score, reports started and finished games to the record, and tells
// what each action changed. Knows no widgets: the main window shows what it reports.
class GameSession : public QObject {
    Q_OBJECT
public:
    explicit GameSession(QObject *parent = nullptr);

    const GameTable &table() const { return m_table; }
    // Seeds the table's own sequence of deals.
    void seed(std::uint32_t seed) { m_table.random().seed(seed); }
    // Where started and finished games are reported; null: nowhere. Not owned.
    void setRecord(GameRecord *record) { m_record = record; }
    // The name a finished game's score is ranked under.
    void setPlayerName(const QString &name) { m_playerName = name; }

    // A game of the table's next deal (START GAME).
    void start();
    // A game of the deal of that number: an assisted game.
    void startDeal(std::uint32_t deal);
    // The running game's deal again from its start.
    void restart() { startDeal(m_table.dealNumber()); }
    // A click on column 1–4.
    void playColumn(int column);
    // A click on the deal pile.
    void deal();
    // YES or NO to the ace question; nothing while none is open.
    void answerAce(bool yes);
    void undo();
    // Puts back what Undo took back.
    void redo();
    // Goes on with a game kept from an earlier run: not counted again, assisted only if it was.
    void resume(const GameTable &table);
    // Works out where a best way on starts from the table as it is; the game is assisted.
    // The first line found is hinted at once, and a better one when the solve proves it.
    void hint();

signals:
    // A game was dealt.
    void started(std::uint32_t deal);
    // The table changed: a hint asked for or shown before no longer applies.
    void changed(const GameTable &table);
    // The ace question opened (again) about this ace.
    void aceAsked(Card ace);
    // The ace question closed, or has no game to act on any more.
    void aceClosed();
    // The game ended; a score reached with help is counted but not ranked.
    void ended(Ending ending, int score, bool assisted);
    // What the best line of a finished game's deal scores: "Best possible: at least 412",
    // then "Best possible: 436 (won)" once proven.
    void bestPossible(const QString &text);
    // Where a best way on starts: a move of the line alphabet, a column or the deal.
    void hinted(char move);
    // A hint takes a moment to work out: "Working out a hint…".
    void hintWorking(const QString &text);
    // No hint to give: "No move left" or "No hint".
    void hintMissing(const QString &text);
    void undoAvailable(bool available);
    void redoAvailable(bool available);
    // A sound cue by its name.
    void cue(const QString &name);

private:
    void dealGame(std::optional<std::uint32_t> deal);
    void hintNews(const SolveNews &news);
    void hintFinished(const std::optional<SolveNews> &last);
    void solveBestPossible();
    void tableChanged();
    void finishGame(Ending ending);
    // Reports the ace question as the table has it.
    void reportAceQuestion();

    GameTable m_table;
    SolverWorker *m_solver;
    GameRecord *m_record = nullptr;
    QString m_playerName;
    Position m_startPosition;    // the running game's first deal, for its best possible line
    SolveStop m_hintSolve;       // the hint being worked out for the table as it is
    std::optional<int> m_hinted; // the score of the line the shown hint starts
    QTimer *m_hintWait;          // how long a hint may take before the player is told
    SolveStop m_bestSolve;       // the finished game's best possible line
};
