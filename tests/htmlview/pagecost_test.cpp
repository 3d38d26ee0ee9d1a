#include "htmlview/pagecost.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <functional>

namespace {

double cost(const QString &page)
{
    return measurePage(page).microseconds;
}

QString nestedIn(int depth, const QString &inner)
{
    return QString("<table><tr><td>").repeated(depth) + inner +
           QString("</td></tr></table>").repeated(depth);
}

// How much more the page costs when its repeated part is there twice as often.
double growth(const std::function<QString(int)> &page, int n)
{
    return (cost(page(2 * n)) - cost(page(0))) / (cost(page(n)) - cost(page(0)));
}

TEST(PageCostTest, TextCostsAboutTwiceAsMuchForEachTableAroundIt)
{
    const QString text = QString("word ").repeated(2'000);
    for (int depth = 1; depth <= 8; ++depth) {
        const double ratio = cost(nestedIn(depth, text)) / cost(nestedIn(depth - 1, text));
        EXPECT_GT(ratio, 1.4) << depth;
        EXPECT_LT(ratio, 2.1) << depth;
    }
    // Letters of other scripts cost more than their bytes alone.
    EXPECT_GT(cost(QString(QChar(0x0e2a)).repeated(1'000)), 3 * cost(QString("x").repeated(1'000)));
}

TEST(PageCostTest, OnlyTextThatMustBeShapedIsShapedAndItCostsMore)
{
    const QString arabic = QString::fromUtf8("<p>لاعب</p>");
    EXPECT_TRUE(measurePage(arabic).shaped);
    // Pages in these scripts stay as fast as before.
    EXPECT_FALSE(measurePage(QString::fromUtf8("<p>Zoë Ωμέγα Жанна 张伟 さくら</p>")).shaped);
    EXPECT_GT(cost(arabic), cost(QString::fromUtf8("<p>Жанна</p>")));
}

TEST(PageCostTest, ListsAndNestedElementsCostWithTheSquareOfTheirLength)
{
    EXPECT_GT(growth([](int n) { return "<ol>" + QString("<li>item</li>").repeated(n) + "</ol>"; },
                     2'000),
              3.5);
    EXPECT_GT(growth([](int n) { return QString("<b>x").repeated(n); }, 2'000), 3.5);
    EXPECT_GT(
        growth([](int n) { return "<p>" + QString("<img src=\"a.png\">").repeated(n); }, 2'000),
        3.5);

    // Elements that end themselves, or that a closing tag ends, nest no deeper.
    for (const QString &part :
         QStringList{"<p>x", "<ul><li>x</ul>", "<dl><dt>x<dd>x</dl>", "<div><b>x</div>",
                     "<p><img src=a>", "<br>", "<b/>", "<tr><td>x<td>y"}) {
        const double g = growth([&](int n) { return "<table>" + part.repeated(n); }, 2'000);
        EXPECT_GT(g, 1.9) << part.toStdString();
        EXPECT_LT(g, 2.1) << part.toStdString();
    }
}

TEST(PageCostTest, LineBreaksCountWhereTheTextKeepsThem)
{
    const QString lines = QString("w\n").repeated(1'000);
    const double loose = cost("<p>" + lines + "</p>");
    EXPECT_GT(cost("<pre>" + lines + "</pre>"), 10 * loose);
    EXPECT_GT(cost("<p style=\"white-space: pre\">" + lines + "</p>"), 10 * loose);
    // A style sheet may keep them anywhere.
    EXPECT_GT(cost("<p>" + lines + "</p><style>p { white-space: pre }</style>"), 10 * loose);
}

TEST(PageCostTest, TablesAreCountedAsTheViewReadsTheMarkup)
{
    EXPECT_EQ(measurePage(u"a < b <table><tr><td>x</td></tr></table>").tableNesting, 1);
    EXPECT_EQ(measurePage(u"<!-- <table> --><a title='<table>'>x</a>").tableNesting, 0);
    EXPECT_EQ(measurePage(nestedIn(3, "x") + nestedIn(5, "x")).tableNesting, 5);
    EXPECT_EQ(measurePage(u"<table><tr><td><table><tr><td>x").tableNesting, 2);
    EXPECT_EQ(measurePage(QString::fromUtf8("\xc3\xa9\xF0\x9F\x82\xA1")).bytes, 6);
    // A comment is read past, not laid out.
    EXPECT_LT(cost("<!--" + QString("x").repeated(100'000) + "-->"),
              cost(QString("x").repeated(100'000)) / 1.5);
}

} // namespace
