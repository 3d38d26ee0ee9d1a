#pragma once

#include <QColor>
#include <QSet>
#include <QString>
#include <QTextBrowser>

#include <vector>

// Shows an HTML page given as text and reports clicks on its links. It fetches nothing: no
// pictures, style sheets or other files the page names are loaded; and it follows no link
// itself, so it keeps no history. Vertical scroll bar only; a dotted edge shows while it has
// the keyboard focus.
class THtmlView : public QTextBrowser {
    Q_OBJECT
public:
    explicit THtmlView(const QString &name = {}, QWidget *parent = nullptr);

    // Replaces the page with `text`, without a base address, and shows it from the top. A
    // page over 1,000,000 bytes as UTF-8, with tables nested more than 8 deep, or expected
    // to take longer to lay out than the game can wait (see pagecost.h), is not shown: a line
    // saying so is.
    void LoadHtmlText(const QString &text);

signals:
    // A click on a link. SRC is the link's target exactly as the page writes it; Handled
    // comes in false, and when it stays false a link to a place in this page is followed.
    void OnHotSpotClick(QObject *Sender, const QString &SRC, bool &Handled);

protected:
    QVariant loadResource(int type, const QUrl &name) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // A stretch of link text whose colour the page left to the view.
    struct Hotspot {
        int start;
        int length;
        QString href;
    };

    void applyLook();
    // Lays the page out shaped or not (htmlview/pagecost.h tells which it needs).
    void showLaidOutOnce(const QString &html, bool shaped);
    void activate(const QString &href);
    void setHovered(const QString &href);
    void findHotspots();
    void paintHotspots(const QString &href);
    QColor hotspotColor(const QString &href) const;
    void paintFocusEdge();

    std::vector<Hotspot> m_hotspots;
    QSet<QString> m_visited;
    QString m_hovered;
    // The link under the pointer when the button went down; a click needs the same link.
    QString m_pressedOn;
};
