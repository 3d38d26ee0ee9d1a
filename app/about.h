#pragma once

#include "widgets/secondarywindow.h"
#include <QDateTime>

#include <QWidget>

#include <functional>

class DesktopOpener;
class QLabel;
class TImage;
class TLbBackground;
class TSelButton;
class TURL;

// The help and About windows read today's year once, when they are made.
using Clock = std::function<QDateTime()>;
QString yearText(const Clock &clock);

// The About window: the logo, the web-site link, the makers' credit and the version.
class Tabout : public SecondaryWindow {
    Q_OBJECT
public:
    // `mainBackground` lends its picture (may be null); `clock` gives today's date for the
    // year label; `opener` opens the web site (null: the desktop's own). `parent` is the main
    // window, which then owns this one.
    Tabout(const TLbBackground *mainBackground, Clock clock, DesktopOpener *opener = nullptr,
           QWidget *parent = nullptr);

    TImage *Image1 = nullptr;
    QLabel *Label7 = nullptr;
    TURL *URL1 = nullptr;
    QLabel *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr;
    QLabel *label_year = nullptr;
    QLabel *Label1 = nullptr, *version = nullptr, *Label9 = nullptr;
    TSelButton *button_done = nullptr;

    void Label7Click(QObject *Sender);
    void button_doneClick(QObject *Sender);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLink(DesktopOpener *opener);
    void buildCredits(const Clock &clock);
    void buildVersion();
};
