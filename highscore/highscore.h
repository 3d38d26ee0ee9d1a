#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QWidget>

#include "widgets/secondarywindow.h"

class DesktopOpener;
class QLabel;
class TFlatPanel;
class THTTPGet;
class THtmlView;
class TImage;
class TLbBackground;
class TSelButton;
class TURL;

// The separator of the locale's short dates: the first character of its short date format
// that is neither a letter, a digit nor an invisible formatting mark (such as the right-to-left
// mark); "/" where that is a blank or there is none.
QString dateSeparator(const QLocale &locale);
// A posted score's date: month and day without leading zeros and the year's last two digits,
// joined by the locale's date separator ("3/7/05").
QString postingDateText(const QDate &date, const QLocale &locale = QLocale::system());

// The online high-score window: shows the server's high-score page and owns the fetcher that
// posts scores. Created hidden; only shown and hidden afterwards.
class Thighscore : public SecondaryWindow {
    Q_OBJECT
public:
    // `mainBackground` lends its picture (may be null); `serverUrl` is the web server's base
    // address, ending with "/"; `opener` opens clicked links (null: the desktop's own).
    // `parent` is the main window, which then owns this one.
    Thighscore(const TLbBackground *mainBackground, const QString &serverUrl,
               DesktopOpener *opener = nullptr, QWidget *parent = nullptr);

    // The high-score page's address on the server.
    QString pageAddress() const;

    // Starts fetching the high-score page; dropped while an earlier fetch runs.
    void loadit();
    // Posts a score with its query (the text after "?"); dropped while an earlier post runs.
    void sendscore(const QString &query);
    // Shows the window in front, centred on the desktop unless it is already up.
    void showCentred();

    void getitDoneString(QObject *Sender, const QString &Result);
    void senditDoneString(QObject *Sender, const QString &Result);
    void displayhtmlHotSpotClick(QObject *Sender, const QString &SRC, bool &Handled);
    void button_doneClick(QObject *Sender);

    TImage *Image1 = nullptr;
    TFlatPanel *panel_main = nullptr;
    THtmlView *displayhtml = nullptr;
    TSelButton *button_done = nullptr;
    QLabel *Label1 = nullptr;
    TURL *URL1 = nullptr;
    THTTPGet *getit = nullptr;
    THTTPGet *sendit = nullptr;

signals:
    // The server has stored a posted score; the main window closes its game-over panel.
    void scorePosted();
    // The server refused the post, or it could not be made.
    void postFailed();

private:
    void buildFetchers();
    QString serverAddress(const QString &path) const;
    QString linkTarget(const QString &src) const;

    const QString m_serverUrl;
};
