#include "widgets/selbutton.h"

#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPointer>

namespace {

const QColor defaultBorder = palette::grey;
const QColor defaultOver{132, 185, 164};
const QColor defaultFontColor = palette::grey;

void frameRect(QPainter &painter, const QRect &r, const QColor &color)
{
    painter.fillRect(r.left(), r.top(), r.width(), 1, color);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, color);
    painter.fillRect(r.left(), r.top(), 1, r.height(), color);
    painter.fillRect(r.right(), r.top(), 1, r.height(), color);
}

// What assistive tools see of a caption button: a button named by its caption unless it was
// given a name of its own, with the press action.
class SelButtonAccessible : public QAccessibleWidget {
public:
    explicit SelButtonAccessible(TSelButton *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return button()->Caption();
        return QAccessibleWidget::text(kind);
    }
    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << pressAction();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction())
            button()->press();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    TSelButton *button() const { return static_cast<TSelButton *>(widget()); }
};

QAccessibleInterface *selButtonAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String(TSelButton::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new SelButtonAccessible(static_cast<TSelButton *>(object));
    return nullptr;
}

} // namespace

TSelButton::TSelButton(const QString &name, QWidget *parent)
    : QWidget(nullptr), m_caption(name), m_color(QApplication::palette().color(QPalette::Button)),
      m_colorBorder(defaultBorder), m_colorOver(defaultOver), m_colorDown(defaultOver),
      m_colorOverCaption(Qt::black), m_fontColor(defaultFontColor),
      m_lastCaptionColor(defaultFontColor)
{
    setObjectName(name);
    static const bool accessible = (QAccessible::installFactory(selButtonAccessible), true);
    Q_UNUSED(accessible);
    setFont(fonts::sansPt(8));
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    resize(105, 20);
    if (parent)
        setParent(parent);
}

void TSelButton::setCaption(const QString &caption)
{
    m_caption = caption;
    drawLook(Look::Normal);
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

void TSelButton::setColor(const QColor &color)
{
    m_color = color;
    drawLook(Look::Normal);
}

void TSelButton::setColorBorder(const QColor &color)
{
    m_colorBorder = color;
    drawLook(Look::Normal);
}

void TSelButton::setFontColor(const QColor &color)
{
    m_fontColor = color;
    update();
}

void TSelButton::setAlignment(Align alignment)
{
    m_alignment = alignment;
    drawLook(Look::Normal);
}

bool TSelButton::event(QEvent *event)
{
    // The windows' layouts give a button its parent before its caption, so a button left
    // without a caption shows its name.
    if (event->type() == QEvent::ParentChange && parentWidget())
        setCaption(objectName());
    return QWidget::event(event);
}

void TSelButton::drawLook(Look look)
{
    m_pending = look;
    repaint();
    m_pending = Look::Normal;
}

void TSelButton::paintEvent(QPaintEvent *)
{
    const Look look = m_pending;
    QColor face = m_color;
    QColor caption = m_fontColor;
    if (look == Look::Hover) {
        face = m_colorOver;
        caption = m_colorOverCaption;
    } else if (look == Look::Pressed) {
        face = m_colorDown;
        caption = m_lastCaptionColor;
    }

    QPainter painter(this);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), face);

    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(face);
    painter.setPen(caption);
    painter.setFont(font());
    painter.drawText(captionPosition(look) + QPoint(0, QFontMetrics(font()).ascent()), m_caption);

    frameRect(painter, rect(), m_colorBorder);
    if (hasFocus()) {
        painter.setPen(QPen(caption, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(3, 3, -4, -4));
    }

    m_look = look;
    m_lastCaptionColor = caption;
}

QPoint TSelButton::captionPosition(Look look) const
{
    const QFontMetrics metrics(font());
    const int tw = metrics.horizontalAdvance(m_caption);
    const int th = metrics.height();
    const int y = height() / 2 - th / 2;
    const int shift = look == Look::Pressed ? 1 : 0;
    switch (m_alignment) {
    case Align::Left:
        return {5 + shift, y + shift};
    case Align::Right:
        return {width() - tw - 6 - shift, y + shift};
    case Align::Center:
        break;
    }
    return {width() / 2 - tw / 2 + shift, y + shift};
}

void TSelButton::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_leftDown = true;
    const QPointer<TSelButton> alive(this);
    const QPoint pos = event->position().toPoint();
    emit OnMouseDown(this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (alive)
        drawLook(Look::Pressed);
}

void TSelButton::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint pos = event->position().toPoint();
    // The pointer stays where it was released while the handlers run.
    const QPoint windowPos = mapTo(window(), pos);
    const QPointer<TSelButton> alive(this);
    const bool clicked = m_leftDown && rect().contains(pos);
    m_leftDown = false;
    if (clicked)
        click();
    if (!alive)
        return;
    emit OnMouseUp(this, event->button(), event->modifiers(), pos.x(), pos.y());
    if (alive && isTopmostAt(windowPos))
        drawLook(Look::Hover);
}

void TSelButton::click()
{
    drawLook(Look::Normal);
    emit OnClick(this);
}

void TSelButton::press()
{
    drawLook(Look::Pressed);
    click();
}

void TSelButton::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (event->modifiers() & ~Qt::KeypadModifier ||
        (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter)) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // A key held down presses once.
    if (!event->isAutoRepeat())
        press();
}

void TSelButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    drawLook(Look::Normal);
}

void TSelButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    drawLook(Look::Normal);
}

bool TSelButton::isTopmostAt(QPoint windowPos) const
{
    return isVisible() && window()->childAt(windowPos) == this;
}

void TSelButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    emit OnMouseMove(this, event->modifiers(), pos.x(), pos.y());
    // While the button holds the pointer Qt reports no crossing, so track it here.
    const bool dragging = m_leftDown && event->buttons().testFlag(Qt::LeftButton);
    if (dragging && rect().contains(pos) != m_pointerInside) {
        if (m_pointerInside)
            pointerLeft();
        else
            pointerEntered();
    }
}

void TSelButton::enterEvent(QEnterEvent *)
{
    pointerEntered();
}

void TSelButton::leaveEvent(QEvent *)
{
    pointerLeft();
}

void TSelButton::pointerEntered()
{
    m_pointerInside = true;
    drawLook(Look::Hover);
}

void TSelButton::pointerLeft()
{
    m_pointerInside = false;
    drawLook(Look::Normal);
}

void applyGameLook(TSelButton *button, const QColor &captionColor, int pixelSize)
{
    button->setColor(palette::cream);
    button->setColorOver(palette::cream);
    button->setColorDown(palette::cream);
    button->setColorBorder(Qt::black);
    button->setColorOverCaption(Qt::black);
    button->setFont(fonts::sansPx(pixelSize, true));
    button->setFontColor(captionColor);
    button->setAlignment(TSelButton::Align::Center);
}
