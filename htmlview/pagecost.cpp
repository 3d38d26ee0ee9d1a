#include "htmlview/pagecost.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Microseconds, measured on the calibration machine as upper bounds. Everything but parsing
// is spent again for each table the page stands in: a table lays each cell out once to
// learn its widths and once more at them.
namespace weight {
constexpr double parsedByte = 0.05;
constexpr double asciiText = 0.03; // per byte laid out
constexpr double otherText = 0.18; // per byte: other scripts take fonts
constexpr double shapedText = 0.7; // per byte of letters that are shaped (below)
constexpr double tag = 4.5;        // an element: a block, a line break, a change of font
constexpr double nesting = 0.1;    // per element, for each element it stands inside
constexpr double listItem = 0.04;  // per element in a list, for each one before it there
constexpr double picture = 6;
constexpr double pictureInLine = 0.085; // per picture, for each one before it in its block
constexpr double keptLineBreak = 5;     // a line break in text that keeps its line breaks
constexpr double cell = 5;
constexpr double row = 2;
constexpr double column = 6;
constexpr double table = 10;
} // namespace weight

// How much more a table's contents cost for the table around them: text is laid out twice,
// the blocks and cells that hold it measured a little less than that.
constexpr double textFactor = 2;
constexpr double structureFactor = 1.75;

enum class Kind { other, table, list };

struct Element {
    quint64 name;
    Kind kind;
    bool keepsLineBreaks;
};

// The work inside one table, spent again for each table around it.
struct Frame {
    double text = 0;
    double work = 0;
    double looseLineBreaks = 0; // line breaks that a style sheet could make kept ones
    int cellsInRow = 0;
    int widestRow = 0;
};

constexpr quint64 nameKey(std::string_view name)
{
    quint64 key = 14695981039346656037ull;
    for (const char c : name)
        key = (key ^ quint64(static_cast<unsigned char>(c))) * 1099511628211ull;
    return key;
}

bool isVoid(quint64 name)
{
    static const QSet<quint64> names = [] {
        QSet<quint64> set;
        for (std::string_view n :
             {"br", "hr", "img", "meta", "link", "input", "col", "area", "base", "wbr", "param",
              "source", "embed", "basefont", "frame", "isindex", "keygen", "track"})
            set.insert(nameKey(n));
        return set;
    }();
    return names.contains(name);
}

// Elements that start a new block, which ends the line of pictures before them.
bool startsBlock(quint64 name)
{
    static const QSet<quint64> names = [] {
        QSet<quint64> set;
        for (std::string_view n :
             {"p",     "div", "br", "li", "ul",     "ol",   "dl",  "dt",         "dd",
              "h1",    "h2",  "h3", "h4", "h5",     "h6",   "pre", "blockquote", "hr",
              "table", "tr",  "td", "th", "center", "body", "html"})
            set.insert(nameKey(n));
        return set;
    }();
    return names.contains(name);
}

// Whether the letter is drawn wrong unless shaped: joined (Arabic), reordered or stacked (the
// Indian scripts, Thai). Latin, Greek, Cyrillic and the Chinese and Japanese scripts are drawn
// a glyph a character.
bool needsShaping(char16_t u)
{
    if (u < 0x0370) // Latin and the marks over it
        return false;
    switch (QChar::script(u)) {
    case QChar::Script_Unknown:
    case QChar::Script_Inherited:
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return false;
    default:
        return true;
    }
}

class Scan {
public:
    explicit Scan(QStringView text) : m_text(text) {}

    PageCost run()
    {
        PageCost cost;
        const qsizetype size = m_text.size();
        qsizetype i = 0;
        while (i < size) {
            const QChar c = m_text[i];
            if (c == '<' && i + 1 < size && startsMarkup(m_text[i + 1])) {
                i = markup(i);
                continue;
            }
            text(c.unicode());
            ++i;
        }
        while (!m_open.empty())
            pop();
        for (const QChar c : m_text)
            cost.bytes += utf8Length(c.unicode());
        cost.tableNesting = m_deepest;
        cost.shaped = m_shaped;
        Frame &page = m_frames.front();
        cost.microseconds = weight::parsedByte * double(cost.bytes) + page.text + page.work +
                            (m_styleSheet ? weight::keptLineBreak * page.looseLineBreaks : 0);
        return cost;
    }

private:
    static int utf8Length(char16_t u)
    {
        // A surrogate pair is four bytes: two for each half.
        return u < 0x80 ? 1 : u < 0x800 || QChar::isSurrogate(u) ? 2 : 3;
    }

    static bool startsMarkup(QChar c)
    {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '!' || c == '?';
    }

    Frame &frame() { return m_frames.back(); }

    void text(char16_t u)
    {
        if (u < 0x80) {
            frame().text += weight::asciiText;
        } else if (needsShaping(u)) {
            m_shaped = true;
            frame().text += weight::shapedText * utf8Length(u);
        } else {
            frame().text += weight::otherText * utf8Length(u);
        }
        if (u == '\n') {
            if (m_keepingLineBreaks > 0)
                frame().work += weight::keptLineBreak;
            else
                ++frame().looseLineBreaks;
        }
    }

    // Reads the markup at `at` and returns where the text after it starts.
    qsizetype markup(qsizetype at)
    {
        const qsizetype size = m_text.size();
        if (m_text.mid(at, 4) == u"<!--") {
            const qsizetype end = m_text.indexOf(u"-->", at + 4);
            return end < 0 ? size : end + 3;
        }
        qsizetype i = at + 1;
        const bool closing = m_text[i] == '/';
        if (closing)
            ++i;
        std::string name;
        for (; i < size && (m_text[i].isLetterOrNumber() && m_text[i].unicode() < 0x80); ++i)
            name += char(m_text[i].toLower().unicode());
        // The rest of the tag, past quoted values that may hold a '>' or a tag's text.
        bool selfClosed = false;
        for (; i < size && m_text[i] != '>'; ++i) {
            if (m_text[i] == '"' || m_text[i] == '\'') {
                const qsizetype close = m_text.indexOf(m_text[i], i + 1);
                if (close < 0) {
                    i = size;
                    break;
                }
                i = close;
            }
        }
        if (i < size && i > at && m_text[i - 1] == '/')
            selfClosed = true;
        const qsizetype end = std::min(i + 1, size);
        if (name.empty())
            return end;
        const quint64 key = nameKey(name);
        if (closing)
            close(key);
        else
            open(key, selfClosed, m_text.mid(at, end - at));
        return end;
    }

    void open(quint64 name, bool selfClosed, QStringView tag)
    {
        static const quint64 table = nameKey("table"), tr = nameKey("tr"), td = nameKey("td"),
                             th = nameKey("th"), li = nameKey("li"), ul = nameKey("ul"),
                             ol = nameKey("ol"), dt = nameKey("dt"), dd = nameKey("dd"),
                             dl = nameKey("dl"), p = nameKey("p"), img = nameKey("img"),
                             style = nameKey("style"), tbody = nameKey("tbody"),
                             thead = nameKey("thead"), tfoot = nameKey("tfoot");
        // Elements a new one of their kind ends without a closing tag.
        auto closeUpTo = [&](std::initializer_list<quint64> ended,
                             std::initializer_list<quint64> stops) {
            while (!m_open.empty()) {
                const quint64 top = m_open.back().name;
                if (std::find(stops.begin(), stops.end(), top) != stops.end())
                    return;
                pop();
                if (std::find(ended.begin(), ended.end(), top) != ended.end())
                    return;
            }
        };
        if (name == tr && m_frames.size() > 1)
            closeUpTo({tr}, {table, tbody, thead, tfoot});
        else if ((name == td || name == th) && m_frames.size() > 1)
            closeUpTo({td, th}, {tr, table, tbody, thead, tfoot});
        else if (name == li && m_lists > 0)
            closeUpTo({li}, {ul, ol});
        else if (name == dt || name == dd)
            closeUpTo({dt, dd}, {dl});
        else if (name == p && !m_open.empty() && m_open.back().name == p)
            pop();
        if (name == style)
            m_styleSheet = true;

        Frame &f = frame();
        f.work += weight::tag + weight::nesting * double(m_open.size());
        if (!m_listItems.empty())
            f.work += weight::listItem * double(m_listItems.back()++);
        if (startsBlock(name))
            m_picturesInLine = 0;
        if (name == img)
            f.work += weight::picture + weight::pictureInLine * double(m_picturesInLine++);
        if (name == tr) {
            f.work += weight::row;
            f.cellsInRow = 0;
        } else if (name == td || name == th) {
            f.work += weight::cell;
            f.widestRow = std::max(f.widestRow, ++f.cellsInRow);
        }
        if (selfClosed || isVoid(name))
            return;

        Kind kind = Kind::other;
        if (name == table) {
            kind = Kind::table;
            m_frames.emplace_back();
            m_deepest = std::max(m_deepest, int(m_frames.size()) - 1);
        } else if (name == ul || name == ol) {
            kind = Kind::list;
            ++m_lists;
            m_listItems.push_back(0);
        }
        // Preformatted text, or a style that may keep line breaks, keeps them.
        const bool keeps = tag.contains(u"pre", Qt::CaseInsensitive) ||
                           tag.contains(u"xmp", Qt::CaseInsensitive) ||
                           tag.contains(u"listing", Qt::CaseInsensitive) ||
                           tag.contains(u"textarea", Qt::CaseInsensitive);
        m_open.push_back({name, kind, keeps});
        ++m_openByName[name];
        m_keepingLineBreaks += keeps ? 1 : 0;
    }

    // A closing tag ends its element and those still open inside it; one for an element
    // not open ends nothing.
    void close(quint64 name)
    {
        if (m_openByName.value(name) == 0)
            return;
        quint64 popped = 0;
        do {
            popped = m_open.back().name;
            pop();
        } while (popped != name);
        static const quint64 p = nameKey("p");
        if (startsBlock(name) || name == p)
            m_picturesInLine = 0;
    }

    void pop()
    {
        const Element e = m_open.back();
        m_open.pop_back();
        --m_openByName[e.name];
        m_keepingLineBreaks -= e.keepsLineBreaks ? 1 : 0;
        if (e.kind == Kind::list) {
            --m_lists;
            m_listItems.pop_back();
        } else if (e.kind == Kind::table) {
            Frame inner = m_frames.back();
            m_frames.pop_back();
            inner.work += weight::table + weight::column * inner.widestRow;
            frame().text += textFactor * inner.text;
            frame().work += structureFactor * inner.work;
            frame().looseLineBreaks += 2 * inner.looseLineBreaks;
        }
    }

    QStringView m_text;
    bool m_shaped = false;
    std::vector<Element> m_open;
    QHash<quint64, int> m_openByName;
    std::vector<Frame> m_frames = std::vector<Frame>(1);
    std::vector<qint64> m_listItems;
    int m_lists = 0;
    int m_keepingLineBreaks = 0;
    qint64 m_picturesInLine = 0;
    int m_deepest = 0;
    bool m_styleSheet = false;
};

} // namespace

PageCost measurePage(QStringView page)
{
    return Scan(page).run();
}
