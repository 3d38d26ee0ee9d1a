#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

class QEnterEvent;

// The push button of every window: a flat face, nested one-pixel frames and a one-line
// caption, drawn in one of three looks at the moment a mouse event happens. It takes the
// keyboard focus by Tab (not by a click), shows it by a dotted frame inside its own, and is
// pressed by Space or Enter as by a click. Assistive tools see a button named by its
// caption, which they can press.
class TSelButton : public QWidget {
    Q_OBJECT
public:
    enum class Align { Left, Right, Center };
    enum class Look { Normal, Hover, Pressed };

    // Sets objectName(name) before taking the parent, so the caption starts as the name.
    explicit TSelButton(const QString &name = {}, QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    // The one-pixel frame's colour.
    void setColorBorder(const QColor &color);
    // Face while the pointer is over the button, and while it is pressed.
    void setColorOver(const QColor &color) { m_colorOver = color; }
    void setColorDown(const QColor &color) { m_colorDown = color; }
    // Caption colour while the pointer is over the button.
    void setColorOverCaption(const QColor &color) { m_colorOverCaption = color; }
    // The caption font's colour: the caption colour of the normal look.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor &color);
    Align Alignment() const { return m_alignment; }
    void setAlignment(Align alignment);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // The look drawn last.
    Look look() const { return m_look; }
    // Presses the button as a click does.
    void press();

signals:
    void OnClick(QObject *Sender);
    void OnMouseDown(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                     int Y);
    void OnMouseUp(QObject *Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                   int Y);
    void OnMouseMove(QObject *Sender, Qt::KeyboardModifiers Shift, int X, int Y);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void drawLook(Look look);
    void pointerEntered();
    void pointerLeft();
    void click();
    QPoint captionPosition(Look look) const;
    bool isTopmostAt(QPoint windowPos) const;

    QString m_caption;
    QColor m_color;
    QColor m_colorBorder;
    QColor m_colorOver;
    QColor m_colorDown;
    QColor m_colorOverCaption;
    QColor m_fontColor;
    Align m_alignment = Align::Left;
    int m_tag = 0;

    // What the next paint draws; anything but a mouse event's own drawing paints the normal look.
    Look m_pending = Look::Normal;
    Look m_look = Look::Normal;
    QColor m_lastCaptionColor;
    bool m_leftDown = false;
    bool m_pointerInside = false;
};

// The look every window gives its buttons: cream face under every look, a black one-pixel
// frame, a bold caption of the given pixel size and colour, centred, turning black under the
// pointer.
void applyGameLook(TSelButton *button, const QColor &captionColor, int pixelSize);
