#pragma once

#include <QString>

#include <functional>
#include <vector>

// Pages for the HTML view's tests and its benchmark: what a high-score server sends, and
// pages built to be as slow to lay out as a megabyte allows.
namespace samplepages {

// `inner` inside tables nested `depth` deep.
QString nestedTables(int depth, const QString &inner);
// Words filling about `bytes` bytes.
QString words(int bytes);
QString flatTable(int rows, int cells, const QString &cellText = "Cell");
// Tables `depth` deep where each cell of a row of `cells` holds the next table.
QString tableTree(int depth, int cells);
// A high-score page as the game's server writes it, with `rows` scores by `player` 1, 2, ...
QString scorePage(int rows, const QString &player = "Player");
// A scores table and a paragraph inside tables seven deep.
QString scoresSevenTablesDeep();
// One word far wider than the view, between two short ones.
QString wideWord();

struct SamplePage {
    const char *what;
    QString page;
};

// Pages of a megabyte or less that would take a plain QTextDocument seconds, some minutes,
// to lay out.
std::vector<SamplePage> heavyPages();

// Table nesting too deep to show, hidden at the end of almost a megabyte of shallow tables.
QString deepNestingAtTheEnd();

// A kind of page that grows with n, one of each thing the view's cost estimate weighs.
struct PageKind {
    const char *what;
    std::function<QString(int)> page;
};

std::vector<PageKind> pageKinds();

// The largest n for which the view accepts `kind`'s page, so that one a little larger is
// refused; 0 when it accepts none.
int largestAccepted(const PageKind &kind);

} // namespace samplepages
