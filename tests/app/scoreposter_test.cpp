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
    QStringList captions;
    for (const QList<QVariant> &caption : waiting)
        captions << caption.at(0).toString();
    EXPECT_EQ(captions,
              (QStringList{"Posting Score, Please Wait.", "Posting Score, Please Wait..",
                           "Posting Score, Please Wait...", "Posting Score, Please Wait....",
                           "Posting Score, Please Wait.....", "Posting Score, Please Wait."}));
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

TEST(ScorePoster, SendsTheQueryTheGameAlwaysHasForAnyName)
{
    // Lone surrogates, as a text field may hold them, are sent as "?" either way.
    const QString lone = QString("a") + QChar(0xD800) + "b" + QChar(0xDC00);
    for (const QString &name :
         {QString("Zoë & #=1 +%~/"), QString("שלום"), QString("😀🂡"), lone, QString()}) {
        for (const std::string &line : {std::string("d1y"), std::string()}) {
            QString sent;
            QObject owner;
            ScorePoster poster([&](const QString &query) { sent = query; }, &owner);
            poster.post({name.toStdString(), "12-25-09", 556, 4294967295u, line});
            // As the high-score window built it from QUrl before the protocol had a library.
            QString expected = "name=" + QUrl::toPercentEncoding(name, "/") +
                               "&date=" + QUrl::toPercentEncoding("12-25-09", "/") + "&score=556";
            if (!line.empty())
                expected += "&deal=4294967295&moves=d1y";
            EXPECT_EQ(sent, expected) << name.toStdString();
        }
    }
}
