#include "app/gamesession.h"

#include "app/solverworker.h"
#include "tally/gamerecord.h"

GameSession::GameSession(QObject *parent) : QObject(parent), m_solver(new SolverWorker(this)) {}

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
    ++m_games;
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

void GameSession::hint()
{
    if (!m_table.gameactive()) {
        emit hintMissing("No move left");
        return;
    }
    m_table.markAssisted();
    // Asking again while the answer for this very table is being worked out adds nothing.
    if (m_hintAsked == m_moves)
        return;
    m_hintAsked = m_moves;
    m_solver->solve(m_table.position(), [this, asked = m_moves](const Solution &solution) {
        if (asked != m_moves)
            return; // the player has moved on since asking
        m_hintAsked.reset();
        if (!solution.solved || solution.best.actions.empty())
            emit hintMissing("No hint"); // too many ways to weigh from here
        else
            emit hinted(solution.best.actions.front());
    });
}

void GameSession::tableChanged()
{
    ++m_moves;
    emit changed(m_table);
    emit undoAvailable(m_table.canUndo());
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
    m_solver->solve(m_startPosition, [this, game = m_games](const Solution &solution) {
        if (game == m_games)
            emit bestPossible(bestPossibleText(solution));
    });
    emit cue(ending == Ending::Won ? "winner" : "gameover");
}
