#pragma once

#include "quellanconfig.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

// The program's message boxes, behind a seam so that windows can be tested without a
// person to close them. All of them are captioned with the application title.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain message with one OK button ("Posting Failed.").
    virtual void information(QWidget *parent, const QString &text) = 0;
    // An error report with an error icon.
    virtual void error(QWidget *parent, const QString &text) = 0;
    // A Yes/No question; true only for Yes.
    virtual bool confirm(QWidget *parent, const QString &text) = 0;
};

class MessageBoxDialogs : public Dialogs {
public:
    void information(QWidget *parent, const QString &text) override
    {
        QMessageBox::information(parent, caption(), text);
    }
    void error(QWidget *parent, const QString &text) override
    {
        QMessageBox::critical(parent, caption(), text);
    }
    bool confirm(QWidget *parent, const QString &text) override
    {
        return QMessageBox::question(parent, caption(), text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }

private:
    static QString caption() { return QString::fromUtf8(quellan::displayName); }
};
