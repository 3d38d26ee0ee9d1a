#include "tests/support/samplepages.h"

#include "htmlview/pagecost.h"

#include <algorithm>
#include <utility>

namespace samplepages {

QString nestedTables(int depth, const QString &inner)
{
    return QString("<table border=\"1\"><tr><td>").repeated(depth) + inner +
           QString("</td></tr></table>").repeated(depth);
}

QString words(int bytes)
{
    return QString("word ").repeated(std::max(1, bytes / 5));
}

QString flatTable(int rows, int cells, const QString &cellText)
{
    return "<table border=\"1\">" +
           ("<tr>" + ("<td>" + cellText + "</td>").repeated(cells) + "</tr>").repeated(rows) +
           "</table>";
}

QString tableTree(int depth, int cells)
{
    if (depth == 0)
        return "Leaf";
    return "<table border=\"1\"><tr>" +
           ("<td>" + tableTree(depth - 1, cells) + "</td>").repeated(cells) + "</tr></table>";
}

QString scorePage(int rows, const QString &player)
{
    const QString face = "<font face=\"Arial, Liberation Sans, Helvetica, sans-serif\">";
    QString page =
        "<html><head><title>Quellan High Scores</title></head><body bgcolor=\"#f9f7db\">"
        "<table width=\"100%\" cellpadding=\"8\" cellspacing=\"0\" bgcolor=\"#8b1d1d\"><tr>"
        "<td align=\"center\"><font size=\"6\" color=\"#f9f7db\"><b>Quellan High Scores</b>"
        "</font></td></tr></table><p align=\"center\"><b>1234 scores posted</b></p>"
        "<p>Scores of the week, best first. " +
        words(400) +
        "</p><table width=\"100%\" cellpadding=\"4\" cellspacing=\"1\" bgcolor=\"#8b1d1d\">"
        "<tr><th align=\"right\">Rank</th><th align=\"left\">Name</th>"
        "<th align=\"right\">Score</th><th align=\"center\">Date</th></tr>\n";
    for (int i = 1; i <= rows; ++i)
        page += QString("<tr bgcolor=\"#f9f7db\"><td align=\"right\">%2%1</font></td>"
                        "<td align=\"left\">%2%4 %1</font></td><td align=\"right\">%2%3"
                        "</font></td><td align=\"center\">%22026-12-07</font></td></tr>\n")
                    .arg(i)
                    .arg(face)
                    .arg(100'000 - i)
                    .arg(player);
    return page + "</table><p>Play Quellan and post your score: <a href=\"https://example.org\">"
                  "example.org</a></p></body></html>";
}

QString scoresSevenTablesDeep()
{
    QString rows;
    for (int i = 1; i <= 10; ++i)
        rows += QString("<tr><td>%1</td><td>Player %1</td><td>%2</td></tr>").arg(i).arg(100 * i);
    return nestedTables(7, "<p>" + QString("Scores of the week. ").repeated(20) + "</p><table>" +
                               rows + "</table>");
}

QString wideWord()
{
    return "<p>Long " + QString("x").repeated(200'000) + " End</p>";
}

std::vector<SamplePage> heavyPages()
{
    return {
        {"plain text", "<p>" + words(999'000) + "</p>"},
        {"short paragraphs", QString("<p>word word</p>").repeated(62'000)},
        {"line breaks", "<p>" + QString("w<br>").repeated(199'000) + "</p>"},
        {"preformatted lines", "<pre>" + QString("a line\n").repeated(140'000) + "</pre>"},
        {"a flat table", flatTable(28'000, 2)},
        {"a wide row", flatTable(1, 99'000, "c")},
        {"text eight tables deep", nestedTables(8, words(40'000))},
        {"a megabyte eight tables deep", nestedTables(8, words(999'000))},
        {"nests repeated", nestedTables(8, "x").repeated(2'800)},
        {"three tables in each cell", tableTree(8, 3)},
        {"two tables in each cell", tableTree(8, 2)},
        {"a long list", "<ol>" + QString("<li>item</li>").repeated(20'000) + "</ol>"},
        {"a list of paragraphs",
         "<ul>" + QString("<li><p>a</p><p>b</p></li>").repeated(5'000) + "</ul>"},
        {"deeply nested blocks", QString("<div>x").repeated(10'000)},
        {"deeply nested definitions", QString("<dl><dd>x").repeated(3'000)},
        {"deeply nested fonts", QString("<font color=red>x").repeated(10'000)},
        {"a line of pictures", "<p>" + QString("<img src=\"a.png\">").repeated(20'000) + "</p>"},
        {"other scripts",
         "<p>" + QString::fromUtf8("\xe0\xb8\xaa\xe0\xb8\xa7\xe0\xb8\xb1 ").repeated(99'000) +
             "</p>"},
    };
}

QString deepNestingAtTheEnd()
{
    return QString("<table><tr><td>Cell</td></tr></table>").repeated(27'000) +
           nestedTables(9, "Innermost");
}

std::vector<PageKind> pageKinds()
{
    return {
        {"text eight tables deep", [](int n) { return nestedTables(8, words(n * 5)); }},
        {"text four tables deep", [](int n) { return nestedTables(4, words(n * 5)); }},
        {"plain text", [](int n) { return "<p>" + words(n * 5) + "</p>"; }},
        {"short paragraphs", [](int n) { return QString("<p>word word</p>").repeated(n); }},
        {"line breaks", [](int n) { return "<p>" + QString("w<br>").repeated(n) + "</p>"; }},
        {"preformatted lines",
         [](int n) { return "<pre>" + QString("a line\n").repeated(n) + "</pre>"; }},
        {"a flat table", [](int n) { return flatTable(n, 3); }},
        {"a wide row", [](int n) { return flatTable(1, n, "c"); }},
        {"a wide table", [](int n) { return flatTable(30, n, "c"); }},
        {"a list", [](int n) { return "<ol>" + QString("<li>item</li>").repeated(n) + "</ol>"; }},
        {"nested blocks", [](int n) { return QString("<div>x").repeated(n); }},
        {"a line of pictures",
         [](int n) { return "<p>" + QString("<img src=\"a.png\">").repeated(n) + "</p>"; }},
    };
}

int largestAccepted(const PageKind &kind)
{
    const auto accepted = [&](int n) {
        const PageCost cost = measurePage(kind.page(n));
        return cost.microseconds <= maxLayoutMicroseconds && cost.bytes <= 1'000'000;
    };
    // Doubling until refused, then halving the gap.
    int lo = 0;
    int hi = 1;
    while (accepted(hi))
        lo = std::exchange(hi, hi * 2);
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        (accepted(mid) ? lo : hi) = mid;
    }
    return lo;
}

} // namespace samplepages
