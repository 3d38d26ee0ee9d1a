// The game session without a window: what it reports, records and cues as a game is played.

#include "app/gamesession.h"
#include "game/solver.h"
#include "game/solver/beam.h"
#include "tests/support/knowngames.h"
#include "tests/support/recordinggamerecord.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

class GameSessionTest : public ::testing::Test {
protected:
    GameSessionTest()
    {
        session.setRecord(&record);
        session.setPlayerName("Ann");
        QObject::connect(&session, &GameSession::cue, [this](const QString &cue) { cues << cue; });
    }

    // Plays actions of a line as a player makes them.
    void play(std::string_view line)
    {
        for (const char action : line) {
            if (action == 'd')
                session.deal();
            else if (action == 'y')
                session.answerAce(true);
            else
                session.playColumn(action - '0');
        }
    }

    GameSession session;
    RecordingGameRecord record;
    QStringList cues;
};

TEST_F(GameSessionTest, AGameOfTheTablesOwnDealsIsCountedRankedAndAnsweredWithItsBest)
{
    QSignalSpy started(&session, &GameSession::started);
    QSignalSpy ended(&session, &GameSession::ended);
    QSignalSpy best(&session, &GameSession::bestPossible);
    // The table's own sequence from state 2 deals deal 2 first.
    session.seed(2);
    session.start();
    ASSERT_EQ(started.count(), 1);
    EXPECT_EQ(started.at(0).at(0).toUInt(), 2u);
    EXPECT_EQ(cues, (QStringList{"startgame", "deal"}));
    EXPECT_EQ(record.calls, QStringList{"increase 1"});

    play(deal2Won);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(0).value<Ending>(), Ending::Won);
    EXPECT_EQ(ended.at(0).at(1).toInt(), 556);
    EXPECT_FALSE(ended.at(0).at(2).toBool());
    EXPECT_EQ(record.calls, (QStringList{"increase 1", "increase 2", "score 556 Ann"}));
    EXPECT_EQ(cues.last(), "winner");
    EXPECT_FALSE(cues.contains("invalid"));
    ASSERT_TRUE(best.wait(10000));
    EXPECT_EQ(best.at(0).at(0).toString(), "Best possible: 556 (won)");
}

TEST_F(GameSessionTest, TheAceQuestionIsAskedClosedByNoAndAskedAgain)
{
    QSignalSpy asked(&session, &GameSession::aceAsked);
    QSignalSpy closed(&session, &GameSession::aceClosed);
    QSignalSpy ended(&session, &GameSession::ended);
    session.startDeal(2);
    const std::string_view line = deal2Won;
    const auto yes = line.find('y');
    play(line.substr(0, yes));
    ASSERT_EQ(asked.count(), 1);
    EXPECT_TRUE(asked.at(0).at(0).value<Card>().isAce());
    const int closedBefore = static_cast<int>(closed.count());
    session.answerAce(false);
    EXPECT_EQ(closed.count(), closedBefore + 1);
    EXPECT_FALSE(session.table().aceQuestionOpen());
    // A second NO has no question to answer, and asking again brings the question back.
    session.answerAce(false);
    EXPECT_EQ(closed.count(), closedBefore + 1);
    play(line.substr(yes - 1, 1));
    EXPECT_EQ(asked.count(), 2);
    play(line.substr(yes));
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(1).toInt(), 556);
    EXPECT_TRUE(ended.at(0).at(2).toBool()); // a chosen deal: assisted
    EXPECT_EQ(record.calls, (QStringList{"increase 1", "increase 2"}));
}

TEST_F(GameSessionTest, AClickOnAnEmptyColumnIsNeitherAChangeNorAnError)
{
    session.startDeal(2);
    // Plays on until a column is empty.
    const std::string_view line = deal2Won;
    std::size_t at = 0;
    auto emptyColumn = [this] {
        for (int c = 1; c <= GameTable::columnCount; ++c) {
            if (session.table().column(c).count == 0)
                return c;
        }
        return 0;
    };
    while (emptyColumn() == 0 && at < line.size())
        play(line.substr(at++, 1));
    ASSERT_NE(emptyColumn(), 0);
    QSignalSpy changed(&session, &GameSession::changed);
    cues.clear();
    session.playColumn(emptyColumn());
    EXPECT_EQ(changed.count(), 0);
    EXPECT_TRUE(cues.isEmpty());
}

TEST_F(GameSessionTest, AHintNamesTheFirstMoveOfABestLineAndAssistsTheGame)
{
    QSignalSpy missing(&session, &GameSession::hintMissing);
    QSignalSpy hinted(&session, &GameSession::hinted);
    session.hint();
    ASSERT_EQ(missing.count(), 1);
    EXPECT_EQ(missing.at(0).at(0).toString(), "No move left");

    session.seed(2);
    session.start();
    session.hint();
    EXPECT_TRUE(session.table().assisted());
    ASSERT_TRUE(hinted.wait(10000));
    const Solution solution = solve(session.table().position());
    ASSERT_TRUE(solution.solved);
    EXPECT_EQ(hinted.at(0).at(0).value<char>(), solution.best.actions.front());
}

// Deal 4871's proof takes many seconds: its hint and best line come from the beams at once,
// and each proof stops when the table moves on, or the next hint would wait behind them.
TEST_F(GameSessionTest, OnASlowDealHintAndBestComeAtOnceAndTheirProofsStopWhenNoLongerAsked)
{
    QSignalSpy hinted(&session, &GameSession::hinted);
    QSignalSpy best(&session, &GameSession::bestPossible);
    session.startDeal(4871);
    session.hint();
    ASSERT_TRUE(hinted.wait(10000));

    solver::StopCheck never(nullptr);
    const auto line =
        solver::beamSearch(session.table().position(), 1, solver::BeamRank::Points, never);
    ASSERT_TRUE(line);
    play(line->actions);
    ASSERT_FALSE(session.table().gameactive());
    ASSERT_TRUE(best.wait(10000));
    EXPECT_TRUE(best.at(0).at(0).toString().startsWith("Best possible: at least "))
        << best.at(0).at(0).toString().toStdString();

    hinted.clear();
    session.startDeal(2);
    session.hint();
    ASSERT_TRUE(hinted.wait(10000));
    EXPECT_EQ(best.count(), 1);
}

} // namespace
