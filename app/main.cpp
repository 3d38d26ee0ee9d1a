#include "app/main.h"

#include "app/about.h"
#include "app/help.h"
#include "app/image.h"
#include "app/soundplayer.h"
#include "game/cards.h"
#include "highscore/highscore.h"
#include "resources/pictures/cardimages.h"
#include "tally/gamerecord.h"
#include "tally/tallylist.h"
#include "widgets/dialogs.h"
#include "widgets/flatpanel.h"
#include "widgets/fonts.h"
#include "widgets/lbbackground.h"
#include "widgets/palette.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QSystemSemaphore>
#include <QWindow>

#include <utility>

namespace {

// Until the tally list is there, started and finished games are reported to nobody.
class NoGameRecord : public GameRecord {
public:
    void addtomineincrease(int) override {}
    bool checkscore(int, const QString &) override { return false; }
};

// How long after the first showing the window manager may still report its frame.
constexpr int frameSettleMs = 2000;

} // namespace

Tmain::Tmain(MainSetup setup, QWidget *parent)
    : QMainWindow(parent), shortname(QString::fromUtf8(quellan::shortName)),
      setupfile(QString::fromUtf8(quellan::setupFile)), m_setup(std::move(setup)),
      m_noRecord(std::make_unique<NoGameRecord>())
{
    m_record = m_noRecord.get();
    setObjectName("main");
    setWindowTitle(QString::fromUtf8(quellan::displayName));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, palette::darkRed);
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(fonts::sansPt(8));
    imagelist_cards = std::make_unique<CardImages>(pixelRatio());

    buildMenus();
    buildBoard();
    buildNamePanel();
    buildAcePanel();
    buildUpdatePanel();
    buildClearedPanel();
    buildInstructions();
    LbBackground1 = new TLbBackground(this);
    LbBackground1->setEnabled(true);
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(1000);
    showPile(image_deal, GameTable::emptyMark);
    showPile(image_played, GameTable::emptyMark);

    auto bind = [this](auto *source, void (Tmain::*handler)(QObject *)) {
        using Source = std::remove_pointer_t<decltype(source)>;
        connect(source, &Source::OnClick, this,
                [this, handler](QObject *sender) { guarded([&] { (this->*handler)(sender); }); });
    };
    bind(button_start, &Tmain::button_startClick);
    bind(button_letsplay, &Tmain::button_startClick);
    bind(image_deal, &Tmain::image_dealClick);
    for (int c = 1; c <= GameTable::columnCount; ++c)
        bind(columnImage(c), &Tmain::image_col4Click);
    bind(button_removeyes, &Tmain::button_removeyesClick);
    bind(button_removeno, &Tmain::button_removenoClick);
    bind(button_done, &Tmain::button_cancelClick);
    bind(button_namedone, &Tmain::button_namedoneClick);
    bind(button_namecancel, &Tmain::button_namecancelClick);
    bind(image_logo, &Tmain::image_logoClick);
    bind(button_updateyes, &Tmain::button_updateyesClick);
    bind(button_updatecancel, &Tmain::button_updatecancelClick);
    buildUpdateTransfers();
    bind(button_sendscore, &Tmain::button_sendscoreClick);
    bind(button_highscore, &Tmain::button_highscoresClick);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(Timer1); }); });

    guarded([this] { FormCreate(); });
}

Tmain::~Tmain() = default;

void Tmain::FormCreate()
{
    // Held for the life of the process; nothing ever tests it.
    m_mutex = std::make_unique<QSystemSemaphore>(shortname, 1, QSystemSemaphore::Open);
    const QTime utc = m_setup.clock().toUTC().time();
    m_table.random().seed(Random::seedFromTime(utc.hour(), utc.minute(), utc.second(), utc.msec()));
    loadinifile();
    playsounds("entered");
    panel_name->showInFront();
}

void Tmain::createWindows()
{
    TallySetup tally;
    tally.programFolder = m_setup.programFolder;
    tally.today = [clock = m_setup.clock] { return clock().date(); };
    tally.dialogs = m_setup.dialogs;
    tally.background = LbBackground1;
    tallylist = new Ttallylist(tally, this);
    setGameRecord(tallylist);
    about = new Tabout(LbBackground1, m_setup.clock, m_setup.opener, this);
    setSiteLink(about->URL1);
    help = new Thelp(LbBackground1, m_setup.clock, about, this);
    highscore = new Thighscore(LbBackground1, m_setup.serverUrl, m_setup.opener, this);
    connect(highscore, &Thighscore::scorePosted, this, &Tmain::scorePosted);
}

void Tmain::setGameRecord(GameRecord *record)
{
    m_record = record ? record : m_noRecord.get();
}

void Tmain::setSiteLink(TURL *link)
{
    m_siteLink = link;
}

// ---------------------------------------------------------------- placement

QSize Tmain::clientSize() const
{
    return centralWidget()->size();
}

QRect Tmain::outerGeometry() const
{
    return frameGeometry();
}

void Tmain::setOuterGeometry(const QRect &outer)
{
    m_wantedOuter = outer;
    applyOuterGeometry();
}

void Tmain::applyOuterGeometry()
{
    m_appliedMargins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QMargins &m = m_appliedMargins;
    move(m_wantedOuter.topLeft());
    resize(m_wantedOuter.width() - m.left() - m.right(),
           m_wantedOuter.height() - m.top() - m.bottom());
}

bool Tmain::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::Show:
        if (!std::exchange(m_shown, true))
            guarded([this] { FormShow(); });
        QTimer::singleShot(frameSettleMs, this, [this] { m_placementSettled = true; });
        [[fallthrough]];
    case QEvent::Move:
    case QEvent::Resize:
        // The frame is only known once the window manager has framed the window: the
        // stored placement means the outer frame, so apply it again then.
        if (!m_placementSettled && windowHandle() &&
            windowHandle()->frameMargins() != m_appliedMargins) {
            m_placementSettled = true;
            applyOuterGeometry();
        }
        break;
    default:
        break;
    }
    return handled;
}

bool Tmain::eventFilter(QObject *watched, QEvent *event)
{
    // The table keeps its size; it stays centred in the client area as the window grows.
    if (watched == centralWidget() && event->type() == QEvent::Resize) {
        QRect board = panel_board->geometry();
        board.moveCenter(centralWidget()->rect().center());
        panel_board->move(board.topLeft());
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmain::ResetScreenLocation1Click(QObject *)
{
    setOuterGeometry({3, 3, defwidth, defheight});
}

// ---------------------------------------------------------------- closing

void Tmain::closeEvent(QCloseEvent *event)
{
    event->accept();
    guarded([this] { FormClose(); });
    emit closed();
}

void Tmain::FormClose()
{
    const QRect outer = outerGeometry();
    if (outer != QRect(lastleft, lasttop, lastwidth, lastheight)) {
        const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
        QRect placed = outer;
        if (placed.width() > work.width())
            placed.setWidth(placed.width() - 3);
        if (placed.height() > work.height())
            placed.setHeight(placed.height() - 3);
        if (placed != outer)
            setOuterGeometry(placed);
        lastleft = placed.left();
        lasttop = placed.top();
        lastwidth = placed.width();
        lastheight = placed.height();
    }
    saveinifile();
}

void Tmain::Exit1Click(QObject *)
{
    close();
}

// ---------------------------------------------------------------- errors and sounds

void Tmain::reportError(const QString &message)
{
    if (m_setup.dialogs)
        m_setup.dialogs->error(this, message);
}

void Tmain::guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &error) {
        reportError(QString::fromUtf8(error.what()));
    }
}

void Tmain::playsounds(const QString &name)
{
    if (PlaySounds1->isChecked() && m_setup.sounds)
        m_setup.sounds->play(name);
}

void Tmain::PlaySounds1Click(QObject *)
{
    // The action has already inverted its mark.
    saveinifile();
}

void Tmain::updatecheckClick(QObject *)
{
    saveinifile();
}

// ---------------------------------------------------------------- the table

qreal Tmain::pixelRatio() const
{
    return devicePixelRatioF();
}

TImage *Tmain::columnImage(int column) const
{
    TImage *const columns[] = {image_col1, image_col2, image_col3, image_col4};
    return columns[column - 1];
}

void Tmain::placecard(int c, int count)
{
    TImage *image = columnImage(c);
    if (count == 0) {
        image->resize(CardImages::Width, 0);
        image->setPicture({});
        return;
    }
    const int height = 72 + 24 * count;
    image->resize(CardImages::Width, height);
    const qreal dpr = pixelRatio();
    QPixmap picture(QSize(CardImages::Width, height) * dpr);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    const Column &column = m_table.column(c);
    for (int k = 1; k <= count; ++k) {
        // Slots the end-of-game sweep emptied show nothing.
        if (column.cards[k] != 0)
            imagelist_cards->draw(painter, 0, 24 * (k - 1), column.cards[k]);
    }
    painter.end();
    image->setPicture(picture);
}

void Tmain::showPile(TImage *pile, int index)
{
    pile->setPicture(imagelist_cards->image(index));
}

void Tmain::showTable()
{
    for (int c = 1; c <= GameTable::columnCount; ++c)
        placecard(c, m_table.column(c).count);
    showPile(image_deal, m_table.dealPile());
    showPile(image_played, m_table.played());
    label_score->setText(QString("Score: %1").arg(m_table.score()));
    label_cardsleft->setText(QString("Cards Left: %1").arg(m_table.cardsLeft()));
    label_cardsleft->adjustSize();
    label_thisturn->setText(QString::fromStdString(m_table.thisturn()));
}

void Tmain::button_startClick(QObject *)
{
    panel_instructions->hide();
    panel_wait->hide();
    panel_name->hide();
    panel_cleared->hide();
    m_record->addtomineincrease(1);
    m_table.start();
    playsounds("startgame");
    label_name->setText("Good Luck " + edit_name->text());
    label_name->adjustSize();
    showTable();
    playsounds("deal");
}

void Tmain::StartGame1Click(QObject *)
{
    button_startClick(this);
    panel_cleared->hide();
}

void Tmain::QuickInstructions1Click(QObject *)
{
    panel_instructions->showInFront();
}

void Tmain::image_dealClick(QObject *)
{
    if (!m_table.gameactive())
        return;
    const DealResult result = m_table.dealClick();
    showTable();
    if (result.dealt)
        playsounds("deal");
    finishGame(result.ending);
}

void Tmain::image_col4Click(QObject *Sender)
{
    const auto *image = qobject_cast<TImage *>(Sender);
    if (!image)
        return;
    const ClickResult result = m_table.clickColumn(image->Tag());
    if (result.play == Play::Ignored)
        return;
    showTable();
    if (result.play == Play::AceQuestion) {
        label_removeace->setText(QString::fromStdString(m_table.aceQuestion()));
        panel_removeace->showInFront();
    }
    if (result.play == Play::Removed || result.play == Play::AceQuestion)
        playsounds("click");
    finishGame(result.ending);
    if (result.play == Play::Invalid)
        playsounds("invalid");
}

void Tmain::button_removeyesClick(QObject *)
{
    const Ending ending = m_table.removeAce();
    panel_removeace->hide();
    showTable();
    finishGame(ending);
}

void Tmain::button_removenoClick(QObject *)
{
    m_table.keepAce();
    panel_removeace->hide();
}

void Tmain::finishGame(Ending ending)
{
    if (ending == Ending::None)
        return;
    const int score = m_table.score();
    const bool won = ending == Ending::Won;
    if (won)
        m_record->addtomineincrease(2);
    m_record->checkscore(score, edit_name->text());
    button_sendscore->setVisible(won || score > 0);
    label_score1->setText(QString("Your Score: %1").arg(score));
    label_cleared->setText(won ? "Game Won!" : "Game Over!");
    panel_cleared->showInFront();
    playsounds(won ? "winner" : "gameover");
}

void Tmain::button_cancelClick(QObject *)
{
    panel_cleared->hide();
}

// ---------------------------------------------------------------- name entry and logo

void Tmain::button_namedoneClick(QObject *)
{
    edit_name->setText(edit_aname->text());
    panel_name->hide();
}

void Tmain::button_namecancelClick(QObject *)
{
    panel_name->hide();
}

void Tmain::ChangeName1Click(QObject *)
{
    panel_name->showInFront();
}

void Tmain::image_logoClick(QObject *)
{
    if (m_siteLink)
        m_siteLink->OpenURL();
}

// ---------------------------------------------------------------- secondary windows

void Tmain::TallyList1Click(QObject *)
{
    if (tallylist)
        tallylist->showCentredOver(this);
}

void Tmain::Help2Click(QObject *)
{
    if (help)
        help->showCentredOver(this);
}

void Tmain::About1Click(QObject *)
{
    if (about)
        about->showCentredOver(this);
}
