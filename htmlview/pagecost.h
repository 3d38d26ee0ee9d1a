#pragma once

#include <QStringView>

// What showing a page would ask of QTextDocument, read from its markup in one pass. The
// estimate counts what the document is slow at: every byte parsed; text laid out, twice over
// for each table around it; elements, cells, rows and columns; and what grows with the square
// of its length: elements nested in elements, items of one list, pictures in one line, and
// line breaks kept in preformatted text. Each weight bounds times measured on pages made of
// that one thing, so the estimate runs high rather than low.
struct PageCost {
    qsizetype bytes = 0;  // the page's size as UTF-8
    int tableNesting = 0; // how deep its tables go inside each other
    bool shaped = false;  // whether its text has letters drawn wrong unless shaped
    // The time parsing and laying the page out is expected to take at most, in microseconds
    // of the machine the weights were measured on.
    double microseconds = 0;
};

PageCost measurePage(QStringView page);

// The most a page may be expected to take and still be shown. Pages just within it took from
// 20 to 55 ms to show, against the tenth of a second the game can wait.
constexpr double maxLayoutMicroseconds = 60'000;
