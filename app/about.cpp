#include "app/about.h"

#include "resources/pictures/pictures.h"
#include "widgets/formkit.h"
#include "widgets/image.h"
#include "widgets/lbbackground.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>

using form::label;
using palette::cream;

namespace {

// The credits' face: a serif 10 pt bold, sized in pixels so the desktop's font size leaves
// it alone.
QFont creditFont()
{
    QFont font = fonts::serifPt(10, true);
    font.setPixelSize(13);
    return font;
}

} // namespace

QString yearText(const Clock &clock)
{
    return QString::number(clock().toLocalTime().date().year());
}

// ---------------------------------------------------------------- Tabout

Tabout::Tabout(const TLbBackground *mainBackground, Clock clock, DesktopOpener *opener,
               QWidget *parent)
    : SecondaryWindow("about", QString::fromUtf8(quellan::displayName) + " - About",
                      Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint, mainBackground, 11, parent)
{
    setFixedSize(304, 193);
    Image1 = new TImage("Image1", this);
    Image1->setGeometry(48, 10, 206, 58);
    Image1->setPicture([](qreal ratio) { return logoPicture({206, 58}, ratio); });
    buildLink(opener);
    buildCredits(clock);
    buildVersion();
    button_done =
        form::button(this, "button_done", "Done", {202, 164, 95, 20}, palette::silver, 13);
    connect(button_done, &TSelButton::OnClick, this, &Tabout::button_doneClick);
}

void Tabout::buildLink(DesktopOpener *opener)
{
    URL1 = new TURL(this);
    URL1->setObjectName("URL1");
    URL1->setURL(QString::fromUtf8(quellan::webSite));
    URL1->setOpener(opener);
    Label7 = label(this, "Label7", URL1->URL(), {8, 72, 289, 20}, fonts::sansPx(16, true, true),
                   cream, Qt::AlignHCenter | Qt::AlignTop);
    Label7->setCursor(Qt::PointingHandCursor);
    Label7->installEventFilter(this);
}

void Tabout::buildCredits(const Clock &clock)
{
    const QFont font = creditFont();
    const QString name = QString::fromUtf8(quellan::displayName);
    Label2 = label(this, "Label2", name + ", a patience card game", {4, 122, 0, 0}, font, cream);
    Label3 = label(this, "Label3", "Copyright \u00a9", {4, 138, 0, 0}, font, cream);
    label_year = label(this, "label_year", yearText(clock), {108, 138, 0, 0}, font, cream);
    Label4 = label(this, "Label4", "The " + name + " developers", {146, 138, 0, 0}, font, cream);
    Label5 = label(this, "Label5", "Free to play and to share.", {4, 154, 0, 0}, font, cream);
}

void Tabout::buildVersion()
{
    const QFont font = creditFont();
    Label1 = label(this, "Label1", "Version", {48, 171, 0, 0}, font, cream);
    version = label(this, "version", QString::fromUtf8(quellan::versionText), {96, 171, 0, 0}, font,
                    Qt::white);
    Label9 = label(this, "Label9", ".0", {123, 171, 0, 0}, font, Qt::white);
}

void Tabout::Label7Click(QObject *)
{
    URL1->OpenURL();
}

void Tabout::button_doneClick(QObject *)
{
    hide();
}

bool Tabout::eventFilter(QObject *watched, QEvent *event)
{
    // The release reaches the link only when the press did too: that is a click, if the
    // pointer is still over it.
    if (watched == Label7 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label7->rect().contains(mouse->position().toPoint()))
            Label7Click(Label7);
        return true;
    }
    return false;
}
