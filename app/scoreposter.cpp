#include "app/scoreposter.h"

#include <QTimer>

#include <exception>

namespace {

// Seconds the server has to answer a post.
constexpr int postTicks = 40;
constexpr int maxDots = 5;

const QString waitingText = QStringLiteral("Posting Score, Please Wait");

} // namespace

ScorePoster::ScorePoster(Send send, QObject *parent)
    : QObject(parent), m_send(std::move(send)), Timer1(new QTimer(this))
{
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &ScorePoster::Timer1Timer);
}

void ScorePoster::post(const PostedScore &post)
{
    try {
        m_send(post);
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
    emit waiting(waitingText + QString(m_dots, '.'));
    if (m_countdown != 0)
        return;
    // Ticks while the failure is being shown only advance the dots: the count is below zero.
    emit failed();
    Timer1->stop();
}
