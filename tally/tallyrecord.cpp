#include "tally/tallyrecord.h"

#include "tally/cp1252.h"

#include <QStringList>

#include <limits>

namespace {

constexpr int newCols = 9;
constexpr int newRows = 12;
// Larger tables than this are no tally of ours: reading one would only exhaust memory.
constexpr qint64 largestTable = 65536;

// Marks a tally text written in UTF-8, one that Windows-1252 cannot hold; texts it can hold go
// without it, as older copies write them. An older copy reads the mark as part of the column
// count and refuses the file (and keeps it aside) rather than read the names as Windows-1252
// and write them back garbled. No text an older copy wrote starts with it: the count comes
// first.
const QByteArray utf8Mark = "\xEF\xBB\xBF";

// A cell as a message quotes it: a damaged file's cell may be of any length, the message not.
QString quoted(const QString &cell)
{
    constexpr qsizetype longest = 40;
    const QString shown = cell.size() > longest ? cell.left(longest) + QChar(0x2026) : cell;
    return "'" + shown + "'";
}

// A decimal integer with optional leading blanks and sign.
bool toInteger(const QString &text, int &value)
{
    bool ok = false;
    value = QStringView(text).trimmed().toInt(&ok);
    return ok && !text.back().isSpace();
}

// A cell is one line of the tally text: a line break in a name would shift every cell after.
QString oneLine(QString text)
{
    return text.replace('\r', ' ').replace('\n', ' ');
}

// A counter that is no integer (only a damaged file holds one) counts as 0.
int counterValue(const QString &text)
{
    int value = 0;
    return toInteger(text, value) ? value : 0;
}

} // namespace

TallyRecord::TallyRecord()
{
    resize(newCols, newRows);
    for (int c = 0; c <= 4; ++c)
        setCell(c, 0, "0");
    emptyEntries(1, ranks);
    m_rankValues.fill(emptyRank);
}

bool TallyRecord::inside(int column, int row) const
{
    return column >= 0 && column < m_cols && row >= 0 && row < m_rows;
}

QString TallyRecord::cell(int column, int row) const
{
    return inside(column, row) ? m_cells[column][row] : QString();
}

void TallyRecord::setCell(int column, int row, const QString &text)
{
    if (inside(column, row))
        m_cells[column][row] = text;
}

void TallyRecord::resize(int cols, int rows)
{
    m_cols = cols;
    m_rows = rows;
    m_cells.resize(cols);
    for (auto &column : m_cells)
        column.resize(rows);
}

void TallyRecord::emptyEntries(int firstRow, int lastRow)
{
    for (int row = firstRow; row <= lastRow; ++row) {
        setCell(0, row, {});
        setCell(1, row, QString::number(emptyRank));
        setCell(2, row, {});
    }
}

int TallyRecord::addit(int column, int row)
{
    const int counter = counterValue(cell(column, row));
    const int value = counter < std::numeric_limits<int>::max() ? counter + 1 : counter;
    setCell(column, row, QString::number(value));
    return value;
}

void TallyRecord::addtomineincrease(int column)
{
    addtomineset(column, QString::number(addit(column, 0)));
    if (column != 1)
        return;
    int started = 0;
    int cleared = 0;
    int percentage = 0;
    if (toInteger(cell(1, 0), started) && toInteger(cell(2, 0), cleared) && started != 0)
        percentage = static_cast<int>(qint64{cleared} * 100 / started);
    addtomineset(3, QString::number(percentage));
}

void TallyRecord::addtomineset(int column, const QString &text)
{
    setCell(column, 0, text);
}

void TallyRecord::copyRank(int from, int to)
{
    m_rankValues[to] = m_rankValues[from];
    m_scoreCaptions[to] = m_scoreCaptions[from];
    for (int c = 0; c <= 2; ++c)
        setCell(c, to, cell(c, from));
}

int TallyRecord::checkscore(int score, const QString &name, const QString &date)
{
    int rank = 1;
    while (rank <= ranks && m_rankValues[rank] > score)
        ++rank;
    if (rank > ranks)
        return 0;
    for (int moved = ranks; moved > rank; --moved)
        copyRank(moved - 1, moved);
    m_rankValues[rank] = score;
    m_scoreCaptions[rank] = QString::number(score);
    setCell(0, rank, oneLine(date));
    setCell(1, rank, m_scoreCaptions[rank]);
    setCell(2, rank, oneLine(name));
    return rank;
}

void TallyRecord::reset()
{
    resize(m_cols, newRows);
    for (int c = 1; c <= 8; ++c)
        setCell(c, 0, "0");
    emptyEntries(1, m_rows - 1);
    m_rankValues.fill(emptyRank);
    m_scoreCaptions.fill({});
}

void TallyRecord::loadtally()
{
    for (int rank = 1; rank <= ranks; ++rank) {
        if (cell(1, rank).isEmpty())
            setCell(1, rank, QString::number(emptyRank));
        int value = emptyRank;
        if (!toInteger(cell(1, rank), value))
            value = emptyRank;
        m_rankValues[rank] = value;
        m_scoreCaptions[rank] = value <= emptyRank ? QString() : cell(1, rank);
    }
}

QByteArray TallyRecord::toText() const
{
    QString text = QString::number(m_cols) + "\r\n" + QString::number(m_rows) + "\r\n";
    for (const auto &column : m_cells) {
        for (const QString &cell : column)
            text += cell + "\r\n";
    }
    if (const auto single = cp1252::encode(text))
        return *single;
    return utf8Mark + text.toUtf8();
}

void TallyRecord::readText(const QByteArray &bytes)
{
    const QString text = bytes.startsWith(utf8Mark)
                             ? QString::fromUtf8(QByteArrayView(bytes).sliced(utf8Mark.size()))
                             : cp1252::decode(bytes);
    QStringList lines = text.split('\n');
    for (QString &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // A text cut short reads its missing lines as empty.
    auto line = [&lines](int number) { return number < lines.size() ? lines[number] : QString(); };
    int cols = 0;
    int rows = 0;
    for (const auto &[number, count] : {std::pair{0, &cols}, std::pair{1, &rows}}) {
        if (!toInteger(line(number), *count))
            throw TallyTextError(
                QString("%1 is not a valid integer value").arg(quoted(line(number))).toStdString());
        if (*count < 1 || *count > largestTable)
            throw TallyTextError(
                QString("%1 is not a valid table size").arg(quoted(line(number))).toStdString());
    }
    if (qint64{cols} * rows > largestTable)
        throw TallyTextError("The tally text holds no table of a sensible size");
    resize(cols, rows);
    int number = 2;
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r)
            m_cells[c][r] = line(number++);
    }
}
