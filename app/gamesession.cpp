#include "app/gamesession.h"

#include "tally/gamerecord.h"

#include <QTimer>

#include <chrono>

namespace {

// A hint shows at once; only a solve that takes longer than this is told of.
constexpr std::chrono::milliseconds hintPatience{150};

} // namespace

GameSession::GameSession(QObject *parent)
    : QObject(parent), m_solver(new SolverWorker(this)), m_hintWait(new QTimer(this))
{
    m_hintWait->setSingleShot(true);
    m_hintWait->setInterval(hintPatience);
    connect(m_hintWait, &QTimer::timeout, this,
            [this] { emit hintWorking("Working out a hint\u2026"); });
}

void GameSession::start()
{
    dealGame(std::nullopt);
}

void GameSession::startDeal(std::uint32_t deal)
{
    dealGame(deal);
}

void GameSession::dealGame(std::optional<std::uint32_t> deal)
{
    if (m_record)
        m_record->addtomineincrease(1);
    if (deal)
        m_table.startDeal(*deal);
    else
        m_table.start();
    stopSolve(m_bestSolve);
    m_startPosition = m_table.position();
    emit started(m_table.dealNumber());
    emit aceClosed();
    emit cue("startgame");
    tableChanged();
    emit cue("deal");
}

void GameSession::playColumn(int column)
{
    const ClickResult result = m_table.clickColumn(column);
    if (result.play == Play::Ignored)
        return;
    tableChanged();
    if (result.play == Play::AceQuestion)
        reportAceQuestion();
    if (result.play == Play::Removed || result.play == Play::AceQuestion)
        emit cue("click");
    finishGame(result.ending);
    if (result.play == Play::Invalid)
        emit cue("invalid");
}

void GameSession::deal()
{
    if (!m_table.gameactive())
        return;
    const DealResult result = m_table.dealClick();
    tableChanged();
    if (result.dealt)
        emit cue("deal");
    finishGame(result.ending);
}

void GameSession::answerAce(bool yes)
{
    if (!m_table.aceQuestionOpen() || !m_table.gameactive())
        return;
    Ending ending = Ending::None;
    if (yes)
        ending = m_table.removeAce();
    else
        m_table.keepAce();
    emit aceClosed();
    tableChanged();
    finishGame(ending);
}

void GameSession::undo()
{
    if (!m_table.undo())
        return;
    tableChanged();
    reportAceQuestion();
}

void GameSession::redo()
{
    if (!m_table.redo())
        return;
    tableChanged();
    reportAceQuestion();
}

void GameSession::resume(const GameTable &table)
{
    // The table's own sequence of deals goes on as seeded for this run.
    const Random sequence = m_table.random();
    m_table = table;
    m_table.random() = sequence;
    stopSolve(m_bestSolve);
    GameTable start;
    start.startDeal(table.dealNumber());
    m_startPosition = start.position();
    emit started(m_table.dealNumber());
    tableChanged();
    reportAceQuestion();
}

void GameSession::hint()
{
    if (!m_table.gameactive()) {
        emit hintMissing("No move left");
        return;
    }
    m_table.markAssisted();
    // Asking again while the answer for this very table is being worked out adds nothing.
    if (m_hintSolve)
        return;
    m_hinted.reset();
    m_hintWait->start();
    m_hintSolve = m_solver->solve(
        m_table.position(), SolveBudget(), [this](const SolveNews &news) { hintNews(news); },
        [this](const std::optional<SolveNews> &last) { hintFinished(last); });
}

// The first line found is hinted; a later one only when it scores more.
void GameSession::hintNews(const SolveNews &news)
{
    if (news.best.actions.empty() || (m_hinted && news.best.finalScore <= *m_hinted))
        return;
    m_hintWait->stop();
    m_hinted = news.best.finalScore;
    emit hinted(news.best.actions.front());
}

void GameSession::hintFinished(const std::optional<SolveNews> &last)
{
    m_hintSolve.reset();
    m_hintWait->stop();
    if (!last)
        emit hintMissing("No hint");
}

void GameSession::tableChanged()
{
    // A hint worked out for the table before no longer applies.
    stopSolve(m_hintSolve);
    m_hintWait->stop();
    emit changed(m_table);
    emit undoAvailable(m_table.canUndo());
    emit redoAvailable(m_table.canRedo());
}

void GameSession::reportAceQuestion()
{
    if (m_table.aceQuestionOpen())
        emit aceAsked(m_table.questionedAce());
    else
        emit aceClosed();
}

void GameSession::finishGame(Ending ending)
{
    if (ending == Ending::None)
        return;
    const int score = m_table.score();
    const bool assisted = m_table.assisted();
    if (m_record && ending == Ending::Won)
        m_record->addtomineincrease(2);
    // A game with help is counted, but its score is not ranked and cannot be posted.
    if (m_record && !assisted)
        m_record->checkscore(score, m_playerName);
    emit aceClosed(); // a question left open has no game to act on
    emit ended(ending, score, assisted);
    solveBestPossible();
    emit cue(ending == Ending::Won ? "winner" : "gameover");
}

void GameSession::solveBestPossible()
{
    stopSolve(m_bestSolve);
    m_bestSolve = m_solver->solve(
        m_startPosition, SolveBudget(),
        [this](const SolveNews &news) { emit bestPossible(bestPossibleText(news)); },
        [this](const std::optional<SolveNews> &) { m_bestSolve.reset(); });
}
