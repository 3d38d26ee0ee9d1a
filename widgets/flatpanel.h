#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// A container with a one-pixel two-colour edge, an optional one-line caption and a face
// that is either its colour or see-through to whatever its parent draws behind it.
// Face and caption colours live in the palette, so until set they are the parent's and
// children take the panel's.
class TFlatPanel : public QWidget {
    Q_OBJECT
public:
    explicit TFlatPanel(const QString &name = {}, QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // The face; until set, the parent's colour.
    QColor Color() const;
    void setColor(const QColor &color);
    // Left and top edge.
    void setColorHighLight(const QColor &color);
    // Right and bottom edge.
    void setColorShadow(const QColor &color);
    // No face of its own: what lies behind shows through.
    void setTransparent(bool transparent);
    // The caption colour while enabled; until set, the parent's text colour.
    QColor FontColor() const;
    void setFontColor(const QColor &color);
    // Horizontal placement of the caption; it is always centred vertically.
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment);
    int Tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    // Shows the panel and raises it above its siblings.
    void showInFront();

protected:
    void paintEvent(QPaintEvent *event) override;
    // A box on a hidden panel keeps no keyboard focus: keys typed afterwards would go into
    // it unseen, and no shortcut of the window would see them. The focus goes to the nearest
    // widget beneath that takes it, if any.
    void hideEvent(QHideEvent *event) override;

private:
    void setPaletteColor(QPalette::ColorRole role, const QColor &color);
    void paintEdge(QPainter &painter) const;
    void paintCaption(QPainter &painter) const;

    QString m_caption;
    QColor m_colorHighLight;
    QColor m_colorShadow;
    bool m_transparent = false;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    int m_tag = 0;
};
