#pragma once

#include "app/main.h"
#include "game/gametable.h"
#include "tests/support/recordingdialogs.h"
#include "tests/support/recordinggamerecord.h"
#include "tests/support/recordingopener.h"
#include "tests/support/recordingsoundplayer.h"
#include "widgets/flatpanel.h"
#include "widgets/image.h"
#include "widgets/selbutton.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

// A main window over a settings file in a folder of its own, with recording stand-ins for
// the sound player, the message boxes, the desktop and the tally list.
class MainWindowTest : public ::testing::Test {
protected:
    // A window over a settings file holding `ini` (no file when empty), shown on screen.
    Tmain &open(const QByteArray &ini = {})
    {
        if (!ini.isEmpty()) {
            QFile file(folder.filePath("quellan.ini"));
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(ini);
        }
        MainSetup setup;
        setup.programFolder = folder.path();
        setup.settingsFolder = folder.path();
        setup.dataFolder = folder.path();
        setup.programFile = folder.filePath("quellan");
        setup.clock = [this] { return now; };
        setup.serverUrl = serverUrl;
        setup.sounds = &sounds;
        setup.dialogs = &dialogs;
        setup.opener = &opener;
        if (adjustSetup)
            adjustSetup(setup);
        window = std::make_unique<Tmain>(setup);
        window->setGameRecord(&record);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }

    // The window's component of that name; the test fails when there is none.
    template <class T = QWidget> T *child(const QString &name) const
    {
        T *found = window->findChild<T *>(name);
        EXPECT_NE(found, nullptr) << "no component " << name.toStdString();
        return found;
    }

    QAction *action(const QString &name) const { return child<QAction>(name); }

    // The main window's client area: the part below the menu bar.
    QSize clientSize() const { return window->centralWidget()->size(); }

    QString iniText() const
    {
        QFile file(folder.filePath("quellan.ini"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static void click(QWidget *widget, QPoint at = {})
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.isNull() ? widget->rect().center() : at);
    }

    // Clicks the top card of a column.
    void clickColumn(int c)
    {
        QWidget *image = window->findChild<TImage *>(QString("image_col%1").arg(c));
        click(image, {35, image->height() - 20});
    }

    // Plays the running game to its end: every column in turn, YES to every ace, and a deal
    // whenever a round of clicks changed nothing.
    void playToTheEnd()
    {
        Tmain &main = *window;
        for (int guard = 0; guard < 2000 && main.table().gameactive(); ++guard) {
            const int before = main.table().cardsLeft() * 1000 + main.table().score();
            int cardsBefore = 0;
            for (int c = 1; c <= 4; ++c)
                cardsBefore += main.table().column(c).count;
            for (int c = 1; c <= 4 && main.table().gameactive(); ++c) {
                if (main.table().column(c).count > 0)
                    clickColumn(c);
                if (child<TFlatPanel>("panel_removeace")->isVisible())
                    click(child<TSelButton>("button_removeyes"));
            }
            int cardsAfter = 0;
            for (int c = 1; c <= 4; ++c)
                cardsAfter += main.table().column(c).count;
            const int after = main.table().cardsLeft() * 1000 + main.table().score();
            if (before == after && cardsBefore == cardsAfter && main.table().gameactive())
                click(child<TImage>("image_deal"));
        }
    }

    // What the window's clock reads; it also seeds the deal.
    QDateTime now{QDate(2026, 12, 7), QTime(10, 11, 12, 13), Qt::UTC};
    // The web server's base address the window is given.
    QString serverUrl;
    // Changes the window's surroundings further before open() makes it.
    std::function<void(MainSetup &)> adjustSetup;
    QTemporaryDir folder;
    RecordingSoundPlayer sounds;
    RecordingDialogs dialogs;
    RecordingOpener opener;
    RecordingGameRecord record;
    std::unique_ptr<Tmain> window;
};
