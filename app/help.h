#pragma once

#include "app/about.h"

class QLabel;
class QTextEdit;
class TFlatPanel;
class TLbBackground;
class TSelButton;

// The help window: a column of topic buttons beside the page of the chosen topic.
class Thelp : public SecondaryWindow {
    Q_OBJECT
public:
    // `mainBackground` lends its picture (may be null); `clock` gives today's date for the
    // year label; `about` is the window the "About" button brings up (may be null). `parent`
    // is the main window, which then owns this one and is what the About window centres over.
    Thelp(const TLbBackground *mainBackground, Clock clock, Tabout *about,
          QWidget *parent = nullptr);

    // The topic column.
    TFlatPanel *panel_side = nullptr;
    TSelButton *SelButton1 = nullptr, *SelButton3 = nullptr, *SelButton4 = nullptr,
               *SelButton5 = nullptr, *SelButton6 = nullptr;
    TSelButton *button_about = nullptr;
    QLabel *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLabel *label_year = nullptr;
    TSelButton *button_done = nullptr;

    // The page area.
    TFlatPanel *panel_main = nullptr;
    QLabel *label_caption = nullptr;
    QTextEdit *memo1 = nullptr, *memo3 = nullptr, *memo4 = nullptr, *memo5 = nullptr,
              *memo6 = nullptr;

    // Every topic button's click: brings the page named "memo" + the button's tag to the front.
    void SelButton1Click(QObject *Sender);
    void button_aboutClick(QObject *Sender);
    void button_doneClick(QObject *Sender);

private:
    void buildSide(const Clock &clock);
    void buildPages();
    TSelButton *topicButton(const QString &name, int tag, const QString &caption, int top);

    Tabout *m_about;
};
