#pragma once

#include "widgets/dialogs.h"

#include <QStringList>

#include <functional>

// Message boxes that nobody has to close: each records its text, and a question gets the
// answer the test chose. What a plain message's `whileShown` does stands for what happens
// while a real one waits for its OK.
class RecordingDialogs : public Dialogs {
public:
    void information(QWidget *, const QString &text) override
    {
        informations << text;
        if (whileShown)
            whileShown();
    }
    void error(QWidget *, const QString &text) override { errors << text; }
    bool confirm(QWidget *, const QString &text) override
    {
        questions << text;
        return answer;
    }

    QStringList informations, errors, questions;
    bool answer = true;
    std::function<void()> whileShown;
};
