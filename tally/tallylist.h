#pragma once

#include "tally/gamerecord.h"
#include "tally/tallyrecord.h"

#include "widgets/secondarywindow.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <functional>

class Dialogs;
class QLabel;
class TFlatPanel;
class TLbBackground;
class TSelButton;

// What the tally window takes from its surroundings.
struct TallySetup {
    QString folder; // where the tally file lives
    std::function<QDate()> today = [] { return QDate::currentDate(); };
    Dialogs *dialogs = nullptr;                // not owned
    const TLbBackground *background = nullptr; // lends the main window's picture
};

// The tally list window: games started and cleared, the win percentage and the ten best
// scores. It reads the record from the tally file when created and writes it back after
// every finished game and when it is destroyed.
class Ttallylist : public SecondaryWindow, public GameRecord {
    Q_OBJECT
public:
    explicit Ttallylist(TallySetup setup, QWidget *parent = nullptr);
    ~Ttallylist() override;

    void addtomineincrease(int column) override;
    bool checkscore(int score, const QString &name) override;
    void loadtally();

    const TallyRecord &record() const { return m_record; }
    QString tallyFileName() const;

    void button_doneClick(QObject *Sender);
    void button_resetClick(QObject *Sender);

    TFlatPanel *FlatPanel1 = nullptr;
    QLabel *label_myname = nullptr, *Label9 = nullptr, *Label2 = nullptr, *Label3 = nullptr,
           *Label1 = nullptr;
    QLabel *mylabel_1 = nullptr, *mylabel_2 = nullptr, *mylabel_3 = nullptr;
    std::array<QLabel *, TallyRecord::ranks + 1> label_num{}, label_date{}, label_name{},
        label_high{}; // ranks 1–10
    TSelButton *button_reset = nullptr, *button_done = nullptr;

private:
    void FormCreate();
    void FormDestroy();
    void build();
    void save();
    void showCounters();
    void showRanks();
    void paintRank(int rank, const QColor &color, bool bold);
    QLabel *counterLabel(int column) const;

    TallySetup m_setup;
    TallyRecord m_record;
    // The unreadable file found at start, kept aside before the first save replaces it.
    bool m_keepDamagedFile = false;
};
