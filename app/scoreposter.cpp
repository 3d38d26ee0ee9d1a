#include "app/scoreposter.h"

#include "protocol/scorequery.h"

#include <QTimer>

#include <exception>

namespace {

// Seconds the server has to answer a post.
constexpr int postTicks = 40;
constexpr int maxDots = 5;

} // namespace

ScorePoster::ScorePoster(Send send, QObject *parent)
    : QObject(parent), m_send(std::move(send)), Timer1(new QTimer(this))
{
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &ScorePoster::Timer1Timer);
}

QString ScorePoster::waitingCaption(int dots)
{
    return QStringLiteral("Posting Score, Please Wait") + QString(dots, '.');
}

void ScorePoster::post(const protocol::PostedScore &score)
{
    try {
        m_send(QString::fromStdString(protocol::encodeScoreQuery(score)));
    } catch (const std::exception &) {
        // A post that cannot be made fails as an unanswered one does: by its time-out.
    }
    m_countdown = postTicks;
    m_dots = 0;
    Timer1->start();
}

void ScorePoster::answered()
{
    Timer1->stop();
}

void ScorePoster::refused()
{
    // After a time-out the failure has been shown already.
    if (!Timer1->isActive())
        return;
    Timer1->stop();
    emit failed();
}

void ScorePoster::Timer1Timer()
{
    --m_countdown;
    if (++m_dots > maxDots)
        m_dots = 1;
    emit waiting(waitingCaption(m_dots));
    if (m_countdown != 0)
        return;
    // Ticks while the failure is being shown only advance the dots: the count is below zero.
    emit failed();
    Timer1->stop();
}
