#pragma once

#include <QDateTime>
#include <QWidget>

#include <functional>

class DesktopOpener;
class QLabel;
class TImage;
class TLbBackground;
class TSelButton;
class TURL;

// What the help and About windows share: a top-level window on the game's dark red with
// cream texts, sized in pixels whatever the desktop's font size, carrying the main window's
// background picture, and shown centred over the main window.
class SecondaryWindow : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    // Centres the window over `main` (over the screen when null) unless it is already up,
    // then shows it in front and gives it the focus.
    void showCentredOver(QWidget *main);

    TLbBackground *LbBackground1 = nullptr;

protected:
    SecondaryWindow(const QString &name, const QString &caption, Qt::WindowFlags flags,
                    const TLbBackground *mainBackground, QWidget *parent);

    // Today's year in decimal, read once when the window is made.
    static QString yearText(const Clock &clock);
};

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
