#include "highscore/highscore.h"

#include "htmlview/htmlview.h"
#include "net/httpaddress.h"
#include "net/httpget.h"
#include "resources/pictures/pictures.h"
#include "widgets/formkit.h"
#include "widgets/image.h"
#include "widgets/lbbackground.h"
#include "widgets/placement.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QUrl>

// ---------------------------------------------------------------- dates

QString dateSeparator(const QLocale &locale)
{
    for (const QChar c : locale.dateFormat(QLocale::ShortFormat)) {
        // Marks that only steer the text's direction are no separator.
        if (c.isLetterOrNumber() || c.category() == QChar::Other_Format)
            continue;
        return c.isSpace() ? QStringLiteral("/") : QString(c);
    }
    return QStringLiteral("/");
}

QString postingDateText(const QDate &date, const QLocale &locale)
{
    const QString separator = dateSeparator(locale);
    return QString::number(date.month()) + separator + QString::number(date.day()) + separator +
           QString::number(date.year() % 100).rightJustified(2, '0');
}

// ---------------------------------------------------------------- the window

Thighscore::Thighscore(const TLbBackground *mainBackground, const QString &serverUrl,
                       DesktopOpener *opener, QWidget *parent)
    : SecondaryWindow("highscore", QString::fromUtf8(quellan::displayName) + " - High Scores",
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint, mainBackground, 11, parent),
      m_serverUrl(serverUrl)
{
    setFixedSize(603, 561);

    Image1 = new TImage("Image1", this);
    Image1->setGeometry(21, 8, 74, 74);
    Image1->setPicture([](qreal ratio) { return logoPicture({74, 74}, ratio); });

    panel_main = form::panel(this, "panel_main", {112, 8, 481, 507}, palette::white, false);
    panel_main->setColor(palette::highScoreFace);
    displayhtml = new THtmlView("displayhtml", panel_main);
    displayhtml->setGeometry(1, 1, 479, 505);
    connect(displayhtml, &THtmlView::OnHotSpotClick, this, &Thighscore::displayhtmlHotSpotClick);

    button_done = form::button(this, "button_done", "DONE", {498, 521, 95, 32}, palette::darkGrey);
    connect(button_done, &TSelButton::OnClick, this, &Thighscore::button_doneClick);
    Label1 = form::label(this, "Label1", QString::fromUtf8(quellan::displayName), {8, 544, 83, 13},
                         fonts::sansPx(11), palette::cream);

    URL1 = new TURL(this);
    URL1->setObjectName("URL1");
    URL1->setURLType(TURL::utnone);
    URL1->setOpener(opener);
    buildFetchers();
}

void Thighscore::buildFetchers()
{
    getit = new THTTPGet(this);
    getit->setObjectName("getit");
    connect(getit, &THTTPGet::OnDoneString, this, &Thighscore::getitDoneString);
    sendit = new THTTPGet(this);
    sendit->setObjectName("sendit");
    // Only a 2xx answer means the score was stored; any other answer, like none, is a failure.
    connect(sendit, &THTTPGet::OnDone, this,
            [this](QObject *sender, int status, const QByteArray &body) {
                if (status >= 200 && status < 300)
                    senditDoneString(sender, QString::fromUtf8(body));
                else
                    emit postFailed();
            });
    connect(sendit, &THTTPGet::OnError, this, &Thighscore::postFailed);
}

void Thighscore::showCentred()
{
    showCentredOver(nullptr);
}

void Thighscore::button_doneClick(QObject *)
{
    close();
}

// ---------------------------------------------------------------- the server

QString Thighscore::serverAddress(const QString &path) const
{
    return http::joinAddress(m_serverUrl, path);
}

QString Thighscore::pageAddress() const
{
    return serverAddress(QString::fromUtf8(quellan::pagePath));
}

void Thighscore::loadit()
{
    getit->setURL(pageAddress());
    getit->Fetch();
}

void Thighscore::getitDoneString(QObject *, const QString &Result)
{
    displayhtml->LoadHtmlText(Result);
}

void Thighscore::sendscore(const QString &query)
{
    sendit->setURL(serverAddress(QString::fromUtf8(quellan::postPath)) + "?" + query);
    sendit->Fetch();
}

void Thighscore::senditDoneString(QObject *, const QString &)
{
    emit scorePosted();
    loadit();
    showCentred();
}

// ---------------------------------------------------------------- links

// What a link in the page may hand to the desktop: web and mail addresses only, a relative
// one taken from the page's own address. A link into the page itself stays in the view.
QString Thighscore::linkTarget(const QString &src) const
{
    const QUrl link(src);
    if (src.startsWith('#') || !link.isValid())
        return {};
    const QUrl resolved = QUrl(pageAddress()).resolved(link);
    static const QStringList openable{"http", "https", "mailto"};
    if (!openable.contains(resolved.scheme()))
        return {};
    return link.isRelative() ? resolved.toString() : src;
}

void Thighscore::displayhtmlHotSpotClick(QObject *, const QString &SRC, bool &)
{
    const QString target = linkTarget(SRC);
    if (target.isEmpty())
        return;
    URL1->setURL(target);
    URL1->OpenURL();
}
