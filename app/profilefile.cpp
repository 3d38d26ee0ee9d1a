#include "app/profilefile.h"

#include "tally/cp1252.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringDecoder>

#include <limits>
#include <optional>

namespace {

const QByteArray crlf = "\r\n";

// One line of the file as stored, so that lines we do not write go back unchanged.
struct Line {
    QByteArray bytes;  // without its ending
    QByteArray ending; // "\r\n", "\n", or empty on a last line without one
    QString text;      // the bytes decoded
};

using Lines = QList<Line>;

// The lines of a section: the header and the lines up to the next header.
struct Span {
    qsizetype header;
    qsizetype end;
};

struct KeyValue {
    QString key;
    QString value;
};

// A line that is valid UTF-8 is read as UTF-8, any other as Windows-1252, the code page older
// copies write in.
QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8);
    const QString text = utf8(bytes);
    return utf8.hasError() ? cp1252::decode(bytes) : text;
}

// A line this program writes: in Windows-1252 where that reads back as the text, so older
// copies read it too; otherwise in UTF-8. The file has no room for a mark of its own (one in
// front would become part of the first line for the platform's profile reader), so each line
// is told by its bytes: Windows-1252 letters beyond ASCII practically never form valid UTF-8,
// and a line whose do ("Ã©") goes in UTF-8.
Line written(const QString &text)
{
    const auto single = cp1252::encode(text);
    return {single && decode(*single) == text ? *single : text.toUtf8(), crlf, text};
}

Lines splitLines(const QByteArray &bytes)
{
    Lines lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        const qsizetype stop = lf < 0 ? bytes.size() : lf + 1;
        QByteArray line = bytes.mid(start, stop - start);
        QByteArray ending;
        for (const char c : {'\n', '\r'}) {
            if (line.endsWith(c)) {
                ending.prepend(c);
                line.chop(1);
            }
        }
        lines.append({line, ending, decode(line)});
        start = stop;
    }
    return lines;
}

QByteArray joinLines(const Lines &lines)
{
    QByteArray bytes;
    for (const Line &line : lines)
        bytes += line.bytes + line.ending;
    return bytes;
}

std::optional<QString> sectionName(const QString &text)
{
    const QString line = text.trimmed();
    if (!line.startsWith(u'['))
        return std::nullopt;
    const qsizetype close = line.indexOf(u']');
    return line.mid(1, close < 0 ? -1 : close - 1).trimmed();
}

std::optional<KeyValue> keyValue(const QString &text)
{
    const QString line = text.trimmed();
    const qsizetype equals = line.indexOf(u'=');
    if (line.startsWith(u';') || equals <= 0)
        return std::nullopt;
    return KeyValue{line.left(equals).trimmed(), line.mid(equals + 1).trimmed()};
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<Span> findSection(const Lines &lines, const QString &section)
{
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i].text);
        if (!name || !sameName(*name, section))
            continue;
        qsizetype end = i + 1;
        while (end < lines.size() && !sectionName(lines[end].text))
            ++end;
        return Span{i, end};
    }
    return std::nullopt;
}

// The line of the key's first entry in the section.
std::optional<qsizetype> findKey(const Lines &lines, Span span, const QString &key)
{
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        const auto entry = keyValue(lines[i].text);
        if (entry && sameName(entry->key, key))
            return i;
    }
    return std::nullopt;
}

// Where a new key of the section goes: after its last line that is not blank, so the
// blank lines that part it from the next section stay after it.
qsizetype endOfSection(const Lines &lines, Span span)
{
    qsizetype last = span.header;
    for (qsizetype i = span.header + 1; i < span.end; ++i) {
        if (!lines[i].text.trimmed().isEmpty())
            last = i;
    }
    return last + 1;
}

void insertLine(Lines &lines, qsizetype at, const QString &text)
{
    if (at > 0 && lines[at - 1].ending.isEmpty())
        lines[at - 1].ending = crlf;
    lines.insert(at, written(text));
}

// A line break inside a value would split it into lines of their own.
QString oneLine(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

void setKey(Lines &lines, const QString &section, const QString &key, const QString &value)
{
    const QString text = oneLine(key) + u'=' + oneLine(value);
    const auto span = findSection(lines, section);
    if (!span) {
        insertLine(lines, lines.size(), u'[' + oneLine(section) + u']');
        insertLine(lines, lines.size(), text);
        return;
    }
    if (const auto index = findKey(lines, *span, key))
        lines[*index] = written(text);
    else
        insertLine(lines, endOfSection(lines, *span), text);
}

// The value of a decimal or hexadecimal digit, or -1.
int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

std::optional<int> parseDigits(QStringView digits, int base, bool negative)
{
    if (digits.isEmpty())
        return std::nullopt;
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 number = 0;
    for (const QChar c : digits) {
        const int digit = digitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        number = number * base + digit;
        if (number > limit)
            return std::nullopt;
    }
    if (!negative && number == limit)
        return std::nullopt;
    return int(negative ? -number : number);
}

std::optional<int> parseInteger(QStringView text)
{
    for (const QStringView prefix : {u"0x", u"0X", u"$"}) {
        if (text.startsWith(prefix))
            return parseDigits(text.sliced(prefix.size()), 16, false);
    }
    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.sliced(1);
    return parseDigits(text, 10, negative);
}

} // namespace

ProfileFile::ProfileFile(const QString &path)
    : m_path(QDir::cleanPath(QFileInfo(path).absoluteFilePath()))
{
}

QString ProfileFile::path() const
{
    return m_path;
}

QString ProfileFile::readString(const QString &section, const QString &key,
                                const QString &def) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return def;
    const Lines lines = splitLines(file.readAll());
    file.close();
    const auto span = findSection(lines, section);
    const auto index = span ? findKey(lines, *span, key) : std::nullopt;
    if (!index)
        return def;
    QString value = keyValue(lines[*index].text)->value.left(maxValueLength);
    if (value.size() == maxValueLength && value.back().isHighSurrogate())
        value.chop(1);
    return value;
}

int ProfileFile::readInteger(const QString &section, const QString &key, int def) const
{
    return parseInteger(readString(section, key, QString())).value_or(def);
}

void ProfileFile::writeString(const QString &section, const QString &key, const QString &value)
{
    const ProfileError failure("Unable to write to " + m_path.toStdString());
    // A file we cannot read or may not change must not be replaced by one holding only
    // the new key.
    Lines lines;
    QFile old(m_path);
    if (old.exists()) {
        if (!old.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
            throw failure;
        lines = splitLines(old.readAll());
        old.close();
    }
    setKey(lines, section, key, value);
    // The new content goes to a temporary file that replaces the old one only when complete.
    // A folder that refuses the temporary file may still let the file itself be written.
    QSaveFile file(m_path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly) || file.write(joinLines(lines)) < 0 || !file.commit())
        throw failure;
}

void ProfileFile::writeInteger(const QString &section, const QString &key, int value)
{
    writeString(section, key, QString::number(value));
}
