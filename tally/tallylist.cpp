#include "tally/tallylist.h"

#include "tally/tallyfile.h"
#include "widgets/dialogs.h"
#include "widgets/formkit.h"
#include "widgets/lbbackground.h"
#include "widgets/placement.h"

#include "quellanconfig.h"

#include <QDir>
#include <QFile>
#include <QLocale>

using form::label;
using palette::cream;

Ttallylist::Ttallylist(TallySetup setup, QWidget *parent)
    : SecondaryWindow("tallylist", QString::fromUtf8(quellan::displayName) + " - Tally List",
                      Qt::Tool | Qt::MSWindowsFixedSizeDialogHint, setup.background, 13, parent),
      m_setup(std::move(setup))
{
    setFixedSize(342, 425);
    build();
    FormCreate();
}

Ttallylist::~Ttallylist()
{
    FormDestroy();
}

void Ttallylist::build()
{
    FlatPanel1 = form::panel(this, "FlatPanel1", {6, 6, 331, 413}, cream, true);
    const auto right = Qt::AlignRight | Qt::AlignTop;
    const auto centred = Qt::AlignHCenter | Qt::AlignTop;
    const QFont heading = fonts::sansPx(19, true, true);
    const QFont bold = fonts::sansPx(13, true);
    label_myname = label(FlatPanel1, "label_myname", "YOUR TALLY LIST", {1, 5, 328, 24}, heading,
                         cream, centred);
    Label9 = label(FlatPanel1, "Label9", "Total Games:", {88, 42, 101, 16}, bold, cream, right);
    mylabel_1 = label(FlatPanel1, "mylabel_1", "0", {194, 42, 59, 16}, bold, cream, centred);
    Label2 = label(FlatPanel1, "Label2", "Games Cleared:", {69, 59, 120, 16}, bold, cream, right);
    mylabel_2 = label(FlatPanel1, "mylabel_2", "0", {194, 59, 59, 16}, bold, cream, centred);
    Label3 = label(FlatPanel1, "Label3", "Win Percentage:", {69, 77, 120, 16}, bold, cream, right);
    mylabel_3 = label(FlatPanel1, "mylabel_3", "0", {194, 77, 59, 16}, bold, cream, centred);
    Label1 = label(FlatPanel1, "Label1", "HIGH SCORES", {1, 96, 328, 24}, heading, cream, centred);
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank) {
        const int top = 126 + 24 * (rank - 1);
        const QString n = QString::number(rank);
        label_num[rank] =
            label(FlatPanel1, "label_num" + n, n + ".", {5, top, 24, 16}, bold, Qt::black, right);
        label_date[rank] =
            label(FlatPanel1, "label_date" + n, "", {32, top, 101, 16}, bold, Qt::black);
        label_name[rank] =
            label(FlatPanel1, "label_name" + n, "", {136, top, 132, 16}, bold, Qt::black);
        label_high[rank] =
            label(FlatPanel1, "label_high" + n, "", {286, top, 0, 16}, bold, Qt::black);
    }
    button_reset = form::button(FlatPanel1, "button_reset", "RESET TALLY", {80, 377, 137, 26},
                                palette::darkGrey);
    button_done =
        form::button(FlatPanel1, "button_done", "DONE", {226, 377, 95, 26}, palette::darkGrey);
    connect(button_reset, &TSelButton::OnClick, this, &Ttallylist::button_resetClick);
    connect(button_done, &TSelButton::OnClick, this, &Ttallylist::button_doneClick);
}

QString Ttallylist::tallyFileName() const
{
    return QDir(m_setup.folder).filePath(QString(quellan::shortName) + "tally.tld");
}

void Ttallylist::FormCreate()
{
    showRanks();
    const QString file = tallyFileName();
    if (!QFile::exists(file))
        return;
    try {
        tallyfile::load(file, m_record);
    } catch (const std::exception &error) {
        // The record starts empty; the unreadable file is kept aside before the next save.
        m_record = TallyRecord();
        m_keepDamagedFile = true;
        if (m_setup.dialogs)
            m_setup.dialogs->error(this, QString::fromUtf8(error.what()));
        return;
    }
    loadtally();
}

void Ttallylist::FormDestroy()
{
    save();
}

void Ttallylist::save()
{
    try {
        const QString file = tallyFileName();
        if (m_keepDamagedFile) {
            const QString aside = file + ".damaged";
            QFile::remove(aside);
            if (QFile::exists(file) && !QFile::rename(file, aside))
                return; // never overwrite the only copy of what the player had
            m_keepDamagedFile = false;
        }
        tallyfile::save(file, m_record);
    } catch (const std::exception &) {
        // The previous file stays as it was; the record is offered again at the next save.
    }
}

void Ttallylist::loadtally()
{
    m_record.loadtally();
    showCounters();
    showRanks();
}

QLabel *Ttallylist::counterLabel(int column) const
{
    switch (column) {
    case 1:
        return mylabel_1;
    case 2:
        return mylabel_2;
    case 3:
        return mylabel_3;
    default:
        return nullptr;
    }
}

void Ttallylist::showCounters()
{
    for (int column = 1; column <= 3; ++column)
        counterLabel(column)->setText(m_record.cell(column, 0));
}

void Ttallylist::showRanks()
{
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank) {
        label_date[rank]->setText(m_record.date(rank));
        label_name[rank]->setText(m_record.name(rank));
        label_high[rank]->setText(m_record.scoreCaption(rank));
        label_high[rank]->adjustSize();
        label_high[rank]->resize(label_high[rank]->width(), 16);
    }
}

void Ttallylist::paintRank(int rank, const QColor &color, bool bold)
{
    for (QLabel *label : {label_high[rank], label_date[rank], label_name[rank], label_num[rank]}) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, color);
        label->setPalette(pal);
        QFont font = label->font();
        font.setBold(bold);
        label->setFont(font);
    }
}

void Ttallylist::addtomineincrease(int column)
{
    m_record.addtomineincrease(column);
    showCounters();
}

bool Ttallylist::checkscore(int score, const QString &name)
{
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank)
        paintRank(rank, cream, false);
    const QString today = QLocale::system().toString(m_setup.today(), QLocale::ShortFormat);
    const int rank = m_record.checkscore(score, name, today);
    if (rank != 0) {
        showRanks();
        paintRank(rank, palette::white, true);
    }
    // A finished game is on disk at once: a crash later in the run must not lose it.
    save();
    return rank != 0;
}

void Ttallylist::button_resetClick(QObject *)
{
    if (!m_setup.dialogs ||
        !m_setup.dialogs->confirm(this, "Are you sure you want to reset the Tally?"))
        return;
    m_record.reset();
    for (int column = 1; column <= 3; ++column)
        counterLabel(column)->setText("0");
    showRanks();
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank)
        paintRank(rank, cream, false);
}

void Ttallylist::button_doneClick(QObject *)
{
    hide();
}
