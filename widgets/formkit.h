#pragma once

#include "widgets/flatpanel.h"
#include "widgets/fonts.h"
#include "widgets/image.h"
#include "widgets/palette.h"
#include "widgets/selbutton.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>

// Builders for the controls the windows are made of, so each window's layout reads as a
// list of names, places and looks. A label given an empty size sizes itself to its text when
// it first shows.
namespace form {

// Sizes a label to its text when it first shows: measuring needs the font loaded, which a
// window that stays hidden then never pays for.
class SizeToTextOnShow : public QObject {
public:
    explicit SizeToTextOnShow(QLabel *label) : QObject(label) { label->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            static_cast<QLabel *>(watched)->adjustSize();
            deleteLater();
        }
        return false;
    }
};

inline QLabel *label(QWidget *parent, const QString &name, const QString &text, QRect geometry,
                     const QFont &font, const QColor &color,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop, bool wordWrap = false)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFont(font);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
    label->setAlignment(alignment);
    label->setWordWrap(wordWrap);
    label->setAttribute(Qt::WA_TranslucentBackground);
    if (geometry.size().isEmpty()) {
        label->move(geometry.topLeft());
        new SizeToTextOnShow(label);
    } else {
        label->setGeometry(geometry);
    }
    return label;
}

inline TSelButton *button(QWidget *parent, const QString &name, const QString &caption,
                          QRect geometry, const QColor &captionColor, int pixelSize = 16)
{
    auto *button = new TSelButton(name, parent);
    applyGameLook(button, captionColor, pixelSize);
    button->setCaption(caption);
    button->setTag(10);
    button->setGeometry(geometry);
    return button;
}

inline TImage *image(QWidget *parent, const QString &name, QRect geometry)
{
    auto *image = new TImage(name, parent);
    image->setGeometry(geometry);
    return image;
}

// Gives a panel its place, the colour of both its edges, and a face of its own or none.
inline void setPanelLook(TFlatPanel *panel, QRect geometry, const QColor &edges, bool transparent)
{
    panel->setColorHighLight(edges);
    panel->setColorShadow(edges);
    panel->setTransparent(transparent);
    panel->setGeometry(geometry);
}

inline TFlatPanel *panel(QWidget *parent, const QString &name, QRect geometry, const QColor &edges,
                         bool transparent)
{
    auto *panel = new TFlatPanel(name, parent);
    setPanelLook(panel, geometry, edges, transparent);
    return panel;
}

// Limits what a player types to a number of characters; a longer text that the program put
// into the box stays whole and may be shortened, not lengthened.
class TypingLimit : public QObject {
public:
    TypingLimit(QLineEdit *edit, int limit) : QObject(edit)
    {
        // Only the player's edits raise textEdited, and they raise it before textChanged,
        // so m_last still holds the text from before the edit.
        connect(edit, &QLineEdit::textEdited, this, [this, edit, limit](const QString &text) {
            if (text.size() > limit && text.size() > m_last.size()) {
                const int cursor = edit->cursorPosition() - int(text.size() - m_last.size());
                edit->setText(m_last);
                edit->setCursorPosition(cursor);
            }
        });
        // After a refused edit the change's own textChanged still follows, with the refused
        // text: read the box instead.
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { m_last = edit->text(); });
    }

private:
    QString m_last;
};

// A cream edit box in which the player types at most `typedLimit` characters.
inline QLineEdit *edit(QWidget *parent, const QString &name, QRect geometry, int pixelSize,
                       int typedLimit)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    new TypingLimit(edit, typedLimit);
    edit->setFont(fonts::sansPx(pixelSize));
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, palette::cream);
    pal.setColor(QPalette::Text, Qt::black);
    edit->setPalette(pal);
    edit->setGeometry(geometry);
    return edit;
}

} // namespace form
