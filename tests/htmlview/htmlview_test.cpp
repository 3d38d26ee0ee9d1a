#include "htmlview/htmlview.h"

#include "htmlview/pagecost.h"
#include "tests/support/samplepages.h"

#include "widgets/palette.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace samplepages;

const QString tooLarge = "This page is too large to show.";
const QString tooDeep = "This page is nested too deeply to show.";

class HtmlViewTest : public ::testing::Test {
protected:
    HtmlViewTest()
    {
        view = std::make_unique<THtmlView>("displayhtml");
        view->resize(479, 505);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        QObject::connect(view.get(), &THtmlView::OnHotSpotClick,
                         [this](QObject *sender, const QString &src, bool &handled) {
                             EXPECT_EQ(sender, view.get());
                             EXPECT_FALSE(handled);
                             clicked << src;
                             handled = handleClicks;
                         });
    }

    // The middle of the first character of `text` on the page, in the viewport.
    QPoint pointAt(const QString &text) const
    {
        QTextCursor cursor = view->document()->find(text);
        EXPECT_FALSE(cursor.isNull()) << text.toStdString();
        cursor.setPosition(cursor.selectionStart());
        const QRect before = view->cursorRect(cursor);
        cursor.movePosition(QTextCursor::NextCharacter);
        return (before.center() + view->cursorRect(cursor).center()) / 2;
    }

    void click(const QString &text) const
    {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, pointAt(text));
    }

    // The colour the page shows the text in.
    QColor colourOf(const QString &text) const
    {
        QTextCursor cursor = view->document()->find(text);
        cursor.setPosition(cursor.selectionStart() + 1);
        return cursor.charFormat().foreground().color();
    }

    QImage shown() const { return view->viewport()->grab().toImage(); }

    bool refused() const { return view->toPlainText() == tooLarge; }

    std::unique_ptr<THtmlView> view;
    QStringList clicked;
    bool handleClicks = false;
};

TEST_F(HtmlViewTest, ThePageTakesTheDefaultLookWhereItSetsNone)
{
    view->LoadHtmlText("<p>Plain</p><p><a href=\"x.html\">Link</a> "
                       "<a href=\"y.html\"><font color=\"#00ff00\">Green</font></a></p>"
                       "<pre>Preformatted</pre>");
    const QImage image = shown();
    EXPECT_EQ(image.pixelColor(image.width() - 20, image.height() - 5), palette::cream);
    EXPECT_EQ(view->font().family(), "Liberation Serif");
    EXPECT_EQ(view->font().pointSize(), 12);
    EXPECT_EQ(colourOf("Link"), palette::maroon);
    EXPECT_EQ(colourOf("Green"), QColor(0, 255, 0));
    QTextCursor pre = view->document()->find("Preformatted");
    EXPECT_EQ(pre.charFormat().fontFamilies().toStringList().value(0), "Liberation Sans");
    EXPECT_EQ(view->palette().color(QPalette::Text), QColor(Qt::black));
    EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(HtmlViewTest, AClickReportsTheTargetExactlyAsThePageWritesIt)
{
    view->LoadHtmlText("<p><a href=\"HTTP://Example.ORG/a%41 b/?x=1&amp;y=2\">Absolute</a></p>"
                       "<p><a href=\"scores.html\">Relative</a></p>"
                       "<p><a href=\"mailto:me@example.org\">Mail</a></p><p>Text</p>");
    click("Absolute");
    click("Relative");
    click("Mail");
    click("Text");
    EXPECT_EQ(clicked, QStringList({"HTTP://Example.ORG/a%41 b/?x=1&y=2", "scores.html",
                                    "mailto:me@example.org"}));
    // The view follows nothing itself.
    EXPECT_TRUE(view->source().isEmpty());
    EXPECT_FALSE(view->isBackwardAvailable());
    EXPECT_TRUE(view->toPlainText().contains("Absolute"));
}

TEST_F(HtmlViewTest, AnUnhandledLinkIntoThePageScrollsThere)
{
    QString page = "<p><a href=\"#end\">Down</a></p>";
    for (int i = 0; i < 200; ++i)
        page += QString("<p>Line %1</p>").arg(i);
    page += "<p><a name=\"end\">End</a></p>";
    view->LoadHtmlText(page);
    QScrollBar *bar = view->verticalScrollBar();
    EXPECT_GT(bar->maximum(), 0);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->value(), 0);

    handleClicks = true;
    click("Down");
    EXPECT_EQ(bar->value(), 0);
    handleClicks = false;
    click("Down");
    EXPECT_GT(bar->value(), 0);
    EXPECT_EQ(clicked, QStringList({"#end", "#end"}));

    // A new page shows from its top.
    view->LoadHtmlText(page);
    EXPECT_EQ(bar->value(), 0);
}

TEST_F(HtmlViewTest, AVisitedLinkTurnsSilverAndTheLinkUnderThePointerMaroon)
{
    const QString page = "<p><a href=\"a.html\">First</a></p><p><a href=\"b.html\">Second</a></p>"
                         "<p>Elsewhere</p>";
    view->LoadHtmlText(page);
    click("First");
    EXPECT_EQ(colourOf("First"), palette::silver);
    EXPECT_EQ(colourOf("Second"), palette::maroon);

    QTest::mouseMove(view->viewport(), pointAt("First"));
    EXPECT_EQ(colourOf("First"), palette::maroon);
    QTest::mouseMove(view->viewport(), pointAt("Elsewhere"));
    EXPECT_EQ(colourOf("First"), palette::silver);

    // The view remembers visits across pages.
    view->LoadHtmlText(page);
    EXPECT_EQ(colourOf("First"), palette::silver);
}

TEST_F(HtmlViewTest, NothingThePageNamesIsLoaded)
{
    QTemporaryDir folder;
    QImage red(40, 40, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString path = folder.filePath("red.png");
    ASSERT_TRUE(red.save(path));
    view->LoadHtmlText(QString("<p><img src=\"%1\" width=\"40\" height=\"40\"></p>"
                               "<p><img src=\"file://%1\"></p><p>After</p>")
                           .arg(path));
    EXPECT_TRUE(view->toPlainText().contains("After"));
    const QImage image = shown();
    int redPixels = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            redPixels += image.pixelColor(x, y) == QColor(Qt::red) ? 1 : 0;
    EXPECT_EQ(redPixels, 0);
}

TEST_F(HtmlViewTest, TextCanBeSelected)
{
    view->LoadHtmlText("<p>Select these words please</p>");
    const QPoint from = pointAt("Select");
    const QPoint to = pointAt("please");
    auto drag = [&] {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, from);
        QTest::mouseMove(view->viewport(), to);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, to);
    };
    drag();
    EXPECT_TRUE(view->textCursor().hasSelection());
}

TEST_F(HtmlViewTest, TheEdgeShowsOnlyWithTheFocus)
{
    view->LoadHtmlText("<p>Focus</p>");
    view->activateWindow();
    view->clearFocus();
    QApplication::processEvents();
    const QImage unfocused = view->grab().toImage();
    EXPECT_EQ(unfocused.pixelColor(0, 10), palette::cream);
    view->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->hasFocus(); }));
    const QImage focused = view->grab().toImage();
    int dark = 0;
    for (int y = 0; y < focused.height(); ++y)
        dark += focused.pixelColor(0, y) == QColor(Qt::black) ? 1 : 0;
    EXPECT_GT(dark, focused.height() / 4);
}

TEST_F(HtmlViewTest, TablesNestedEightDeepAreShownAndDeeperOnesAreNot)
{
    view->LoadHtmlText(nestedTables(8, "Innermost"));
    EXPECT_EQ(view->toPlainText().trimmed(), "Innermost");

    view->LoadHtmlText(nestedTables(9, "Innermost"));
    EXPECT_EQ(view->toPlainText(), tooDeep);

    // Tags count in any case, and a table never closed stays open.
    view->LoadHtmlText(nestedTables(8, "<TABLE><tr><td>Innermost</td></tr></TABLE>"));
    EXPECT_EQ(view->toPlainText(), tooDeep);
    view->LoadHtmlText(QString("<table><tr><td>").repeated(9) + "Innermost");
    EXPECT_EQ(view->toPlainText(), tooDeep);
    view->LoadHtmlText(QString("<table><tr><td>Cell</td></tr></table>").repeated(20));
    EXPECT_TRUE(view->toPlainText().contains("Cell"));

    // Text that only looks like a table tag opens none.
    view->LoadHtmlText(nestedTables(8, "<!-- <table><table> --><a href=\"<table>\" title='<table "
                                       "x=\"'>Innermost</a> &lt;table&gt; <tables>"));
    EXPECT_TRUE(view->toPlainText().contains("Innermost"));
}

TEST_F(HtmlViewTest, APageOverAMegabyteIsRefused)
{
    // A comment costs next to nothing to lay out, so only the size can refuse this page.
    const QString head = "<p>Start</p><!--";
    const QString tail = "-->";
    const QString fits = head + QString("x").repeated(1'000'000 - head.size() - tail.size()) + tail;
    view->LoadHtmlText(fits);
    EXPECT_EQ(view->toPlainText(), "Start");

    view->LoadHtmlText(head + "x" + fits.mid(head.size()));
    EXPECT_EQ(view->toPlainText(), tooLarge);

    // The size is that of the page as it came, in UTF-8: fewer characters, more
    // bytes.
    view->LoadHtmlText(head + QString(QChar(0x00e9)).repeated(500'000) + tail);
    EXPECT_EQ(view->toPlainText(), tooLarge);
    view->LoadHtmlText(head + QString::fromUtf8("\xF0\x9F\x82\xA1 ").repeated(199'996) + tail);
    EXPECT_EQ(view->toPlainText(), "Start");
}

// How long showing or refusing these pages takes is measured by the HTML view's benchmark.
TEST_F(HtmlViewTest, PagesTooCostlyToLayOutAreRefused)
{
    // Nesting hidden at the end of a megabyte of table markup is found by reading it all.
    const QString page = deepNestingAtTheEnd();
    ASSERT_LT(page.size(), 1'000'000);
    view->LoadHtmlText(page);
    EXPECT_EQ(view->toPlainText(), tooDeep);

    // A megabyte table, within the size and the nesting allowed, that would take a second to
    // lay out.
    view->LoadHtmlText(flatTable(28'000, 2));
    EXPECT_TRUE(refused());

    // Pages that would hold the game up for seconds, some for minutes, within the size and
    // the nesting allowed: all but the cheapest are refused, being far beyond what can be laid
    // out in time.
    int shown = 0;
    for (const auto &[what, heavy] : heavyPages()) {
        ASSERT_LE(measurePage(heavy).bytes, 1'000'000) << what;
        view->LoadHtmlText(heavy);
        EXPECT_NE(view->toPlainText(), tooDeep) << what;
        shown += refused() ? 0 : 1;
    }
    EXPECT_LT(shown, 3);
}

TEST_F(HtmlViewTest, TheLargestPageOfEachKindIsShownAndOneALittleLargerIsRefused)
{
    for (const PageKind &kind : pageKinds()) {
        const int largest = largestAccepted(kind);
        ASSERT_GT(largest, 0) << kind.what;
        view->LoadHtmlText(kind.page(largest));
        EXPECT_FALSE(refused()) << kind.what << " " << largest;
        view->LoadHtmlText(kind.page(largest + 1));
        EXPECT_TRUE(refused()) << kind.what << " " << largest + 1;
    }
}

TEST_F(HtmlViewTest, HighScorePagesAreShown)
{
    view->LoadHtmlText(scorePage(200));
    EXPECT_TRUE(view->toPlainText().contains("Player 200"));

    // Also inside a table that lays it out beside a column of links.
    view->LoadHtmlText("<table><tr><td><a href=\"a.html\">Week</a><br><a href=\"b.html\">"
                       "Month</a></td><td>" +
                       scorePage(200) + "</td></tr></table>");
    EXPECT_TRUE(view->toPlainText().contains("Player 200"));

    // A scores table and a paragraph inside tables seven deep: tables eight deep.
    view->LoadHtmlText(scoresSevenTablesDeep());
    EXPECT_TRUE(view->toPlainText().contains("Scores of the week."));
    EXPECT_TRUE(view->toPlainText().contains("Player 10"));
}

TEST_F(HtmlViewTest, AWordWiderThanTheViewIsShown)
{
    view->LoadHtmlText(wideWord());
    EXPECT_TRUE(view->toPlainText().endsWith("End"));
}

TEST_F(HtmlViewTest, ArabicNamesAreDrawnJoined)
{
    const QString name = QString::fromUtf8("لاعب");
    view->LoadHtmlText("<p>" + name + "</p>");
    view->document()->documentLayout()->documentSize(); // laid out in full
    const QTextLine shown = view->document()->find(name).block().layout()->lineAt(0);
    QFont unshaped = view->document()->defaultFont();
    unshaped.setStyleStrategy(QFont::PreferNoShaping);
    // Joined, lam and alef are one glyph, and the word narrower than its letters apart.
    EXPECT_EQ(shown.glyphRuns().value(0).glyphIndexes().size(), 3);
    EXPECT_LT(shown.naturalTextWidth(), QFontMetricsF(unshaped).horizontalAdvance(name));
}

TEST_F(HtmlViewTest, TheScrollBarShowsOnlyForAPageTallerThanTheView)
{
    view->LoadHtmlText(QString("<p>Line</p>").repeated(200));
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());
    view->LoadHtmlText("<p>Short</p>");
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
}

} // namespace
