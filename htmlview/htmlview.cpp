#include "htmlview/htmlview.h"

#include "htmlview/pagecost.h"

#include "widgets/fonts.h"
#include "widgets/palette.h"

#include <QFocusEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

#include <algorithm>
#include <utility>

namespace {

// The look of pages that set none of their own: serif text, sans-serif preformatted text,
// maroon links that turn silver once visited, maroon again under the pointer.
struct Look {
    QColor DefBackground = palette::cream;
    QString DefFontName = fonts::serifPt(12).family();
    QString DefPreFontName = fonts::sansPt(12).family();
    int DefFontSize = 12; // points
    QColor DefFontColor = palette::black;
    QColor DefHotSpotColor = palette::maroon;
    QColor DefVisitedLinkColor = palette::silver;
    QColor DefOverLinkColor = palette::maroon;
};

const Look &look()
{
    static const Look fixed;
    return fixed;
}

// Pages the view refuses: laying them out would hold up the game. Layout time grows with the
// page and doubles with each level of tables inside tables; what the page is expected to cost
// is weighed as well (htmlview/pagecost.h), and a page over that budget is "too large".
constexpr qsizetype maxPageBytes = 1'000'000; // as UTF-8
constexpr int maxTableNesting = 8;

const char *const tooLargeMessage = "This page is too large to show.";
const char *const tooDeepMessage = "This page is nested too deeply to show.";

// Why the page cannot be shown, or nothing when it can.
const char *refusal(const PageCost &cost)
{
    if (cost.bytes > maxPageBytes)
        return tooLargeMessage;
    if (cost.tableNesting > maxTableNesting)
        return tooDeepMessage;
    if (cost.microseconds > maxLayoutMicroseconds)
        return tooLargeMessage;
    return nullptr;
}

} // namespace

THtmlView::THtmlView(const QString &name, QWidget *parent) : QTextBrowser(parent)
{
    setObjectName(name);
    // Links are reported, never followed, so the view has no source and no history.
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    document()->setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, [this] {
        // A keyboard activation has no press: the link is the one the cursor selected.
        if (!m_pressedOn.isEmpty()) {
            activate(m_pressedOn);
            return;
        }
        QTextCursor selected = textCursor();
        selected.setPosition(selected.selectionStart() + 1);
        activate(selected.charFormat().anchorHref());
    });
    applyLook();
}

void THtmlView::applyLook()
{
    QPalette pal = palette();
    pal.setColor(QPalette::Base, look().DefBackground);
    pal.setColor(QPalette::Text, look().DefFontColor);
    pal.setColor(QPalette::Link, look().DefHotSpotColor);
    pal.setColor(QPalette::LinkVisited, look().DefVisitedLinkColor);
    setPalette(pal);
    // Set on the widget rather than the document, so a font the parent passes down cannot
    // replace it.
    QFont font(look().DefFontName);
    font.setPointSize(look().DefFontSize);
    font.setStyleHint(QFont::Serif);
    setFont(font);
    document()->setDefaultStyleSheet(
        QString("a[href] { color: %1; } pre { font-family: \"%2\"; }")
            .arg(look().DefHotSpotColor.name(), look().DefPreFontName));
    setTextInteractionFlags(Qt::TextBrowserInteraction);
    // Words wider than the view run past its edge rather than break anywhere: finding where
    // to break a word with no room costs time that grows with the square of its length.
    setWordWrapMode(QTextOption::WordWrap);
}

void THtmlView::LoadHtmlText(const QString &text)
{
    m_hovered.clear();
    m_pressedOn.clear();
    document()->setBaseUrl(QUrl());
    const PageCost cost = measurePage(text);
    if (const char *refused = refusal(cost))
        showLaidOutOnce(QString("<p>%1</p>").arg(QLatin1StringView(refused)), false);
    else
        showLaidOutOnce(text, cost.shaped);
    findHotspots();
    for (const QString &href : std::as_const(m_visited))
        paintHotspots(href);
    verticalScrollBar()->setValue(0);
}

// Lays the page out at the width it shows at. Laid out without the scroll bar and then found
// taller than the view, it would be laid out again, narrower, and a page of nested tables is
// costly to lay out even once. Only a page that fits is laid out again, without the bar.
void THtmlView::showLaidOutOnce(const QString &html, bool shaped)
{
    document()->clear();
    // Shaping is repeated each time a table cell is laid out, which nested tables make many
    // times over; only a page with letters that need it pays for it.
    QFont pageFont = font();
    pageFont.setStyleStrategy(shaped ? QFont::PreferDefault : QFont::PreferNoShaping);
    setFont(pageFont);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHtml(html);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

QVariant THtmlView::loadResource(int type, const QUrl &)
{
    // A page from the network must not make the view read files or reach any host. An
    // empty answer would send the document looking for a file of that name itself: a
    // blank picture and an empty text stop it.
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        return blank;
    }
    return QByteArray();
}

// ---------------------------------------------------------------- links

void THtmlView::activate(const QString &href)
{
    if (href.isEmpty())
        return;
    m_visited.insert(href);
    paintHotspots(href);
    bool handled = false;
    emit OnHotSpotClick(this, href, handled);
    if (!handled && href.startsWith('#'))
        scrollToAnchor(href.mid(1));
}

void THtmlView::mousePressEvent(QMouseEvent *event)
{
    m_pressedOn = anchorAt(event->position().toPoint());
    QTextBrowser::mousePressEvent(event);
}

void THtmlView::mouseReleaseEvent(QMouseEvent *event)
{
    QTextBrowser::mouseReleaseEvent(event);
    m_pressedOn.clear();
}

void THtmlView::mouseMoveEvent(QMouseEvent *event)
{
    QTextBrowser::mouseMoveEvent(event);
    setHovered(anchorAt(event->position().toPoint()));
}

void THtmlView::leaveEvent(QEvent *event)
{
    QTextBrowser::leaveEvent(event);
    setHovered({});
}

void THtmlView::setHovered(const QString &href)
{
    if (href == m_hovered)
        return;
    const QString before = std::exchange(m_hovered, href);
    paintHotspots(before);
    paintHotspots(href);
}

// The page's links that take the view's colours: those the page gave no colour of its own.
void THtmlView::findHotspots()
{
    m_hotspots.clear();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty() &&
                format.foreground().color() == look().DefHotSpotColor)
                m_hotspots.push_back({fragment.position(), fragment.length(), format.anchorHref()});
        }
    }
}

void THtmlView::paintHotspots(const QString &href)
{
    if (href.isEmpty())
        return;
    QTextCharFormat colour;
    colour.setForeground(hotspotColor(href));
    for (const Hotspot &hotspot : m_hotspots) {
        if (hotspot.href != href)
            continue;
        QTextCursor cursor(document());
        cursor.setPosition(hotspot.start);
        cursor.setPosition(hotspot.start + hotspot.length, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(colour);
    }
}

QColor THtmlView::hotspotColor(const QString &href) const
{
    if (href == m_hovered)
        return look().DefOverLinkColor;
    return m_visited.contains(href) ? look().DefVisitedLinkColor : look().DefHotSpotColor;
}

// ---------------------------------------------------------------- focus edge

bool THtmlView::event(QEvent *event)
{
    const bool handled = QTextBrowser::event(event);
    if (event->type() == QEvent::Paint)
        paintFocusEdge();
    return handled;
}

void THtmlView::focusInEvent(QFocusEvent *event)
{
    QTextBrowser::focusInEvent(event);
    update();
}

void THtmlView::focusOutEvent(QFocusEvent *event)
{
    QTextBrowser::focusOutEvent(event);
    update();
}

void THtmlView::paintFocusEdge()
{
    QPainter painter(this);
    const QRect edge = rect().adjusted(0, 0, -1, -1);
    painter.setPen(look().DefBackground);
    painter.drawRect(edge);
    if (hasFocus()) {
        painter.setPen(QPen(look().DefFontColor, 1, Qt::DotLine));
        painter.drawRect(edge);
    }
}
