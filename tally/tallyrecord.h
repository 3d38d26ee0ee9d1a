#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <stdexcept>
#include <vector>

// A tally text that could not be read into the record; the message is the text to show.
class TallyTextError : public std::runtime_error {
public:
    using runtime_error::runtime_error;
};

// The player's record as a table of text cells, 9 columns by 12 rows when new.
// Row 0 holds the counters (column 1 games started, 2 games cleared, 3 win percentage);
// rows 1–10 the ten best scores, column 0 the date, 1 the score ("-1000" when empty) and
// 2 the name. Besides the cells it keeps each rank's value, by which scores are ranked.
class TallyRecord {
public:
    static constexpr int ranks = 10;
    static constexpr int emptyRank = -1000;

    TallyRecord();

    // Cells outside the table read as empty, and writes to them are dropped.
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);

    // Adds one to the cell's integer (a cell that is no integer counts as 0) and returns it.
    int addit(int column, int row);
    // Counts one more in row 0 of the column; a started game also updates the percentage.
    void addtomineincrease(int column);
    void addtomineset(int column, const QString &text);
    // Offers a score made on `date`; returns the rank 1–10 it entered, or 0.
    int checkscore(int score, const QString &name, const QString &date);
    // Empties the counters and the ten entries.
    void reset();
    // Takes the rank values from the score cells, as after reading a file.
    void loadtally();

    QString date(int rank) const { return cell(0, rank); }
    QString name(int rank) const { return cell(2, rank); }
    // The score as shown: empty for an empty entry.
    QString scoreCaption(int rank) const { return m_scoreCaptions[rank]; }

    // The tally text: column count, row count, then every cell column by column, each line
    // ended by CR LF, in Windows-1252; a text that needs more is in UTF-8 behind a byte order
    // mark. Reading takes either.
    QByteArray toText() const;
    // Reads a tally text into this record. On failure throws TallyTextError; the cells read
    // until then stay.
    void readText(const QByteArray &text);

private:
    void emptyEntries(int firstRow, int lastRow);
    void copyRank(int from, int to);
    void resize(int cols, int rows);
    bool inside(int column, int row) const;

    int m_cols = 0;
    int m_rows = 0;
    std::vector<std::vector<QString>> m_cells; // by column, then row
    std::array<int, ranks + 1> m_rankValues{}; // ranks 1–10
    std::array<QString, ranks + 1> m_scoreCaptions;
};
