#pragma once

#include "protocol/postedscore.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

// Posts a finished game's score and waits for the server's answer, with a waiting message
// whose dots move once a second. A post that gets no answer in 40 seconds has failed.
class ScorePoster : public QObject {
    Q_OBJECT
public:
    // Hands the post's query (the text after "?") to the server; an error it throws counts as
    // no answer.
    using Send = std::function<void(const QString &query)>;

    ScorePoster(Send send, QObject *parent);

    // "Posting Score, Please Wait" and `dots` full stops.
    static QString waitingCaption(int dots);

    void post(const protocol::PostedScore &score);
    // The server has stored the score.
    void answered();
    // The post failed before its time ran out: the failure shows at once.
    void refused();

signals:
    // The waiting message, with its dots.
    void waiting(const QString &text);
    void failed();

private:
    void Timer1Timer();

    Send m_send;
    QTimer *Timer1;
    // Ticks left before the post counts as failed, and the dots behind the waiting message.
    int m_countdown = 0;
    int m_dots = 0;
};
