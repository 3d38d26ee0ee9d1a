#include "app/scoreposter.h"

#include <QSignalSpy>
#include <QStringList>
#include <QTimer>
#include <QUrl>
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
    ScorePoster poster([&](const QString &query) { sent << query; }, &owner);
    QSignalSpy waiting(&poster, &ScorePoster::waiting);
    QSignalSpy failed(&poster, &ScorePoster::failed);
    poster.post({"Ann", "3/7/05", -12, 7u, "d1y"});
    EXPECT_EQ(sent, QStringList{"name=Ann&date=3/7/05&score=-12&deal=7&moves=d1y"});
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
    ScorePoster poster([](const QString &) { throw std::runtime_error("busy"); }, &owner);
    QSignalSpy failed(&poster, &ScorePoster::failed);
    poster.post({"Ann", "3/7/05", 10});
    auto *timer = poster.findChild<QTimer *>("Timer1");
    EXPECT_TRUE(timer->isActive());
    poster.answered();
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(failed.count(), 0);
}

TEST(ScorePoster, ARefusalFailsAtOnceAndOneAfterTheTimeOutAddsNoSecondFailure)
{
    QObject owner;
    ScorePoster poster([](const QString &) {}, &owner);
    QSignalSpy failed(&poster, &ScorePoster::failed);
    poster.post({"Ann", "3/7/05", 10});
    poster.refused();
    EXPECT_EQ(failed.count(), 1);
    EXPECT_FALSE(poster.findChild<QTimer *>("Timer1")->isActive());

    poster.post({"Ann", "3/7/05", 10});
    tick(poster, 40);
    EXPECT_EQ(failed.count(), 2);
    poster.refused();
    EXPECT_EQ(failed.count(), 2);
}

TEST(ScorePoster, SendsTheQueryQUrlBuiltForAnyName)
{
    QString sent;
    QObject owner;
    ScorePoster poster([&](const QString &query) { sent = query; }, &owner);
    // Lone surrogates, as a text field may hold them, go as "?" either way.
    const QString lone = QString("a") + QChar(0xD800) + "b" + QChar(0xDC00);
    for (const QString &name : {QString("Zoë & #=1 +%~/"), QString("שלום"), QString("😀🂡"), lone}) {
        poster.post({name.toStdString(), "12-25-09", 556, 7u, "d1y"});
        EXPECT_EQ(sent, "name=" + QUrl::toPercentEncoding(name, "/") +
                            "&date=12-25-09&score=556&deal=7&moves=d1y")
            << name.toStdString();
    }
}
