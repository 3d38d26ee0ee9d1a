#include "app/scoreposter.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTimer>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void tick(ScorePoster &poster, int count)
{
    for (int i = 0; i < count; ++i)
        QMetaObject::invokeMethod(poster.findChild<QTimer *>("Timer1"), "timeout");
}

} // namespace

TEST(ScorePoster, AnUnansweredPostFailsAfterFortyTicksWithMovingDots)
{
    QStringList sent;
    QObject owner;
    ScorePoster poster(
        [&](const PostedScore &post) {
            sent << post.name + "|" + post.date + "|" + post.score + "|" +
                        QString::number(post.deal) + "|" + post.moves;
        },
        &owner);
    QSignalSpy waiting(&poster, &ScorePoster::waiting);
    QSignalSpy failed(&poster, &ScorePoster::failed);
    poster.post({"Ann", "3/7/05", "-12", 7, "d1y"});
    EXPECT_EQ(sent, QStringList{"Ann|3/7/05|-12|7|d1y"});
    tick(poster, 6);
    QStringList dots;
    for (const QList<QVariant> &caption : waiting)
        dots << caption.at(0).toString().section("Wait", 1);
    EXPECT_EQ(dots, (QStringList{".", "..", "...", "....", ".....", "."}));
    tick(poster, 33);
    EXPECT_EQ(failed.count(), 0);
    tick(poster, 1);
    EXPECT_EQ(failed.count(), 1);
    EXPECT_FALSE(poster.findChild<QTimer *>("Timer1")->isActive());
}

TEST(ScorePoster, AnAnswerStopsTheWaitAndAFailedSendWaitsLikeAnUnansweredOne)
{
    QObject owner;
    ScorePoster poster([](const PostedScore &) { throw std::runtime_error("busy"); }, &owner);
    QSignalSpy failed(&poster, &ScorePoster::failed);
    poster.post({"Ann", "3/7/05", "10", 0, {}});
    auto *timer = poster.findChild<QTimer *>("Timer1");
    EXPECT_TRUE(timer->isActive());
    poster.answered();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(failed.count(), 0);
}
