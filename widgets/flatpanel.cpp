#include "widgets/flatpanel.h"

#include <QApplication>

#include <QPainter>
#include <QPixmap>

namespace {

const QColor defaultEdge{160, 150, 131};

} // namespace

TFlatPanel::TFlatPanel(const QString &name, QWidget *parent)
    : QWidget(parent), m_colorHighLight(defaultEdge), m_colorShadow(defaultEdge)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(185, 41);
}

void TFlatPanel::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

QColor TFlatPanel::Color() const
{
    return palette().color(QPalette::Window);
}

void TFlatPanel::setColor(const QColor &color)
{
    setPaletteColor(QPalette::Window, color);
}

void TFlatPanel::setColorHighLight(const QColor &color)
{
    m_colorHighLight = color;
    update();
}

void TFlatPanel::setColorShadow(const QColor &color)
{
    m_colorShadow = color;
    update();
}

void TFlatPanel::setTransparent(bool transparent)
{
    m_transparent = transparent;
    // An opaque panel covers every pixel itself; a see-through one needs its parent beneath.
    setAttribute(Qt::WA_OpaquePaintEvent, !transparent);
    update();
}

QColor TFlatPanel::FontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TFlatPanel::setFontColor(const QColor &color)
{
    setPaletteColor(QPalette::WindowText, color);
}

void TFlatPanel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment & Qt::AlignHorizontal_Mask;
    update();
}

void TFlatPanel::hideEvent(QHideEvent *event)
{
    // A window being minimised hides its panels too; those keep what they had. Otherwise the
    // keyboard goes back to what the panel lies on, when that takes it (the card table).
    QWidget *focused = QApplication::focusWidget();
    if (!event->spontaneous() && focused && isAncestorOf(focused)) {
        QWidget *under = parentWidget();
        while (under && !(under->focusPolicy() & Qt::ClickFocus))
            under = under->parentWidget();
        if (under && under->isVisible())
            under->setFocus();
        else
            focused->clearFocus();
    }
    QWidget::hideEvent(event);
}

void TFlatPanel::showInFront()
{
    show();
    raise();
}

void TFlatPanel::setPaletteColor(QPalette::ColorRole role, const QColor &color)
{
    QPalette changed = palette();
    changed.setColor(role, color);
    setPalette(changed);
}

void TFlatPanel::paintEvent(QPaintEvent *)
{
    // Drawn off-screen and copied in one step, so a panel full of children does not flicker.
    const qreal ratio = devicePixelRatioF();
    QPixmap canvas(size() * ratio);
    canvas.setDevicePixelRatio(ratio);
    // A see-through face leaves the canvas clear; Qt has already drawn the parent beneath.
    canvas.fill(m_transparent ? QColor(Qt::transparent) : Color());
    {
        QPainter painter(&canvas);
        paintEdge(painter);
        paintCaption(painter);
    }
    QPainter(this).drawPixmap(0, 0, canvas);
}

void TFlatPanel::paintEdge(QPainter &painter) const
{
    const QRect r = rect();
    painter.fillRect(r.left(), r.top(), r.width() - 1, 1, m_colorHighLight);
    painter.fillRect(r.left(), r.top(), 1, r.height() - 1, m_colorHighLight);
    painter.fillRect(r.right(), r.top(), 1, r.height(), m_colorShadow);
    painter.fillRect(r.left(), r.bottom(), r.width(), 1, m_colorShadow);
}

void TFlatPanel::paintCaption(QPainter &painter) const
{
    const QRect r = rect().adjusted(1, 1, -1, -1);
    const int flags = int(m_alignment) | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.setFont(font());
    if (isEnabled()) {
        painter.setPen(FontColor());
    } else {
        // Engraved: a highlight one pixel down and right, the shadow over it.
        painter.setPen(palette().color(QPalette::Light));
        painter.drawText(r.translated(1, 1), flags, m_caption);
        painter.setPen(palette().color(QPalette::Dark));
    }
    painter.drawText(r, flags, m_caption);
}
