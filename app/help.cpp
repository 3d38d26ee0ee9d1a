#include "app/help.h"

#include "app/licence.h"
#include "widgets/formkit.h"

#include "quellanconfig.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QTextEdit>

using form::label;
using palette::cream;
using palette::grey;

namespace {

const QStringList overviewLines = {
    "Overview",
    "",
    "Solitaire games are always a great way to pass the time. This game is a ",
    "simple game, yet difficult to win. I've increased the chances of a win by ",
    "adding a new rule. After all the cards are dealt, you are able to remove the ",
    "Aces from the board. ",
    "",
    "Good Luck!",
    " ",
};

const QStringList gamePlayLines = {
    "Game Play",
    "",
    "The object is to put all the cards in the discard pile.",
    "",
    "Cards are dealt four at a time. One on each column.",
    "",
    "The top card of a column can be removed if there is another card of the ",
    "same suit with a higher rank on the top of another column. Aces are the ",
    "highest card so they can remove anything. Remove cards by clicking on ",
    "them.",
    "",
    "If a space opens up, you can move any top card to the empty space by ",
    "clicking on it.",
    "",
    "After all 52 cards have been dealt out, you can remove an ACE from the ",
    "board if you need to. ",
    "",
    "The game ends when there are no cards on the board or not plays left.",
};

const QStringList scoringLines = {
    "Scoring",
    "",
    "You receive 2 points for each card you clear. ",
    "",
    "Every fourth card you clear since the last deal gives you 32 points instead ",
    "of 2.",
    "",
    "If nothing but Aces is left on the board after the last deal, you win and ",
    "receive 100 bonus points.",
    "",
    "If no play is left, the cards still on the board are taken from your score: ",
    "2 to 10 as marked, Jacks 11, Queens 12, Kings 13 and Aces 14.",
};

const QStringList documentationLines = {
    "History", "", "Version " + QString::fromUtf8(quellan::versionText) + ".0", "", " "};

// A page of the help: read-only, frameless, cream, with its lines kept exactly as written.
QTextEdit *page(QWidget *parent, const QString &name, const QStringList &lines)
{
    auto *memo = new QTextEdit(parent);
    memo->setObjectName(name);
    memo->setReadOnly(true);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setFocusPolicy(Qt::ClickFocus);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette pal = memo->palette();
    pal.setColor(QPalette::Base, cream);
    pal.setColor(QPalette::Text, Qt::black);
    memo->setPalette(pal);
    memo->setFont(fonts::sansPx(11));
    memo->document()->setDocumentMargin(5);
    memo->setPlainText(lines.join('\n'));
    return memo;
}

} // namespace

Thelp::Thelp(const TLbBackground *mainBackground, Clock clock, Tabout *about, QWidget *parent)
    : SecondaryWindow("help", QString::fromUtf8(quellan::displayName) + " - Help File", Qt::Window,
                      mainBackground, 11, parent),
      m_about(about)
{
    buildSide(clock);
    buildPages();
    // The topic column keeps its width; the page area takes whatever the window grows by.
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins({});
    columns->setSpacing(0);
    columns->addWidget(panel_side);
    columns->addWidget(panel_main, 1);
    resize(523, 431);
    memo1->raise();
}

TSelButton *Thelp::topicButton(const QString &name, int tag, const QString &caption, int top)
{
    TSelButton *button = form::button(panel_side, name, caption, {7, top, 122, 20}, grey, 13);
    button->setAlignment(TSelButton::Align::Left);
    button->setTag(tag);
    return button;
}

void Thelp::buildSide(const Clock &clock)
{
    panel_side = form::panel(this, "panel_side", {0, 0, 137, 431}, Qt::black, true);
    panel_side->setFixedWidth(137);
    SelButton1 = topicButton("SelButton1", 1, "Overview", 8);
    SelButton3 = topicButton("SelButton3", 3, "Game Play", 32);
    SelButton4 = topicButton("SelButton4", 4, "Scoring", 56);
    SelButton5 = topicButton("SelButton5", 5, "Documentation", 80);
    SelButton6 = topicButton("SelButton6", 6, "License", 104);
    for (TSelButton *topic : {SelButton1, SelButton3, SelButton4, SelButton5, SelButton6})
        connect(topic, &TSelButton::OnClick, this, &Thelp::SelButton1Click);
    button_about = topicButton("button_about", 10, "About", 152);
    connect(button_about, &TSelButton::OnClick, this, &Thelp::button_aboutClick);

    const QFont font = fonts::sansPx(11);
    const QString name = QString::fromUtf8(quellan::displayName);
    Label1 = label(panel_side, "Label1", name, {12, 336, 0, 0}, font, cream);
    Label2 =
        label(panel_side, "Label2", "The " + name + " developers", {12, 352, 0, 0}, font, cream);
    Label3 = label(panel_side, "Label3", "Copyright \u00a9", {12, 368, 0, 0}, font, cream);
    label_year = label(panel_side, "label_year", yearText(clock), {100, 368, 0, 0}, font, cream);
    Label4 = label(panel_side, "Label4", "Free to play and share.", {12, 384, 0, 0}, font, cream);

    button_done = form::button(panel_side, "button_done", "Done", {18, 404, 95, 20}, grey, 13);
    connect(button_done, &TSelButton::OnClick, this, &Thelp::button_doneClick);
}

void Thelp::buildPages()
{
    panel_main = form::panel(this, "panel_main", {137, 0, 523 - 137, 431}, Qt::black, true);
    label_caption = label(panel_main, "label_caption", "Overview", {1, 1, 523 - 137 - 2, 20},
                          fonts::sansPx(16, true), cream, Qt::AlignHCenter | Qt::AlignTop);
    memo1 = page(panel_main, "memo1", overviewLines);
    memo3 = page(panel_main, "memo3", gamePlayLines);
    memo4 = page(panel_main, "memo4", scoringLines);
    memo5 = page(panel_main, "memo5", documentationLines);
    memo6 = page(panel_main, "memo6", licenceLines());

    // Inside the one-pixel edge: the heading on top, the pages stacked in the one place below.
    auto *area = new QGridLayout(panel_main);
    area->setContentsMargins(1, 1, 1, 1);
    area->setSpacing(0);
    label_caption->setFixedHeight(20);
    area->addWidget(label_caption, 0, 0);
    for (QTextEdit *memo : {memo1, memo3, memo4, memo5, memo6})
        area->addWidget(memo, 1, 0);
}

void Thelp::SelButton1Click(QObject *Sender)
{
    const auto *topic = qobject_cast<TSelButton *>(Sender);
    QWidget *memo =
        topic ? findChild<QWidget *>(QStringLiteral("memo%1").arg(topic->Tag())) : nullptr;
    // A tag without a page changes nothing.
    if (!memo)
        return;
    memo->raise();
    label_caption->setText(topic->Caption());
}

void Thelp::button_aboutClick(QObject *)
{
    if (m_about)
        m_about->showCentredOver(parentWidget());
}

void Thelp::button_doneClick(QObject *)
{
    hide();
}
