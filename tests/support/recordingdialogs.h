#pragma once

#include "widgets/dialogs.h"

#include <QStringList>

// Message boxes that nobody has to close: each records its text, and a question gets the
// answer the test chose.
class RecordingDialogs : public Dialogs {
public:
    void information(QWidget *, const QString &text) override { informations << text; }
    void error(QWidget *, const QString &text) override { errors << text; }
    bool confirm(QWidget *, const QString &text) override
    {
        questions << text;
        return answer;
    }

    QStringList informations, errors, questions;
    bool answer = true;
};
