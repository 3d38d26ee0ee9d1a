#include "protocol/scorequery.h"

#include "game/dealnumber.h"
#include "game/rules.h"
#include "protocol/percentcoding.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

namespace protocol {

namespace {

constexpr std::string_view nameField = "name";
constexpr std::string_view dateField = "date";
constexpr std::string_view scoreField = "score";
constexpr std::string_view dealField = "deal";
constexpr std::string_view movesField = "moves";
constexpr std::array<std::string_view, 3> fieldNames{nameField, dateField, scoreField};
// A game's deal and line, sent together by clients that know them.
constexpr std::array<std::string_view, 2> lineFieldNames{dealField, movesField};

// "key=value", the value percent-encoded.
std::string field(std::string_view key, std::string_view value)
{
    return std::string(key) + "=" + percentEncode(value);
}

// Length of the UTF-8 sequence a lead byte opens, with the bits it carries; 0 for a byte
// that cannot open one.
int sequenceLength(unsigned char lead, char32_t &bits)
{
    if (lead < 0x80) {
        bits = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        bits = lead & 0x1F;
        return 2;
    }
    if ((lead & 0xF0) == 0xE0) {
        bits = lead & 0x0F;
        return 3;
    }
    if ((lead & 0xF8) == 0xF0) {
        bits = lead & 0x07;
        return 4;
    }
    return 0;
}

// The code points of well-formed UTF-8: no overlong forms, surrogates or values past U+10FFFF.
std::optional<std::u32string> decodeUtf8(std::string_view bytes)
{
    static constexpr std::array<char32_t, 5> smallest{0, 0, 0x80, 0x800, 0x10000};
    std::u32string points;
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t point = 0;
        const int length = sequenceLength(static_cast<unsigned char>(bytes[i]), point);
        if (length == 0 || i + length > bytes.size())
            return std::nullopt;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        if (point < smallest[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return std::nullopt;
        points.push_back(point);
        i += length;
    }
    return points;
}

// Control characters, and the line breaks and direction overrides that would garble the
// rows around a name on the page.
bool isRefused(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string nameProblem(const std::string &name)
{
    const auto points = decodeUtf8(name);
    if (!points)
        return "name is not valid UTF-8";
    if (points->empty() || points->size() > maxNameCharacters)
        return "name must be 1 to " + std::to_string(maxNameCharacters) + " characters";
    if (std::any_of(points->begin(), points->end(), isRefused))
        return "name holds control characters";
    return {};
}

bool isDateCharacter(char c)
{
    return (c >= '0' && c <= '9') || c == '/' || c == '.' || c == '-' || c == ' ';
}

std::string dateProblem(const std::string &date)
{
    if (date.empty() || date.size() > maxDateCharacters ||
        !std::all_of(date.begin(), date.end(), isDateCharacter))
        return "date must be 1 to " + std::to_string(maxDateCharacters) +
               " digits and separators (/ . - or space)";
    return {};
}

std::optional<std::int32_t> parseScore(const std::string &text)
{
    std::int32_t score = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, score);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return score;
}

ScoreQuery refused(std::string reason)
{
    return {std::nullopt, std::move(reason)};
}

// Splits the query into the decoded values of its fields; a reason when it cannot.
std::string collectFields(std::string_view query, std::map<std::string_view, std::string> &fields)
{
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view part = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        const auto equals = part.find('=');
        const std::string_view key = part.substr(0, equals);
        if (std::find(fieldNames.begin(), fieldNames.end(), key) == fieldNames.end() &&
            std::find(lineFieldNames.begin(), lineFieldNames.end(), key) == lineFieldNames.end())
            continue;
        if (fields.contains(key))
            return std::string(key) + " given more than once";
        const auto value =
            percentDecode(equals == std::string_view::npos ? "" : part.substr(equals + 1));
        if (!value)
            return "bad percent-encoding in " + std::string(key);
        fields.emplace(key, *value);
    }
    for (const auto key : fieldNames) {
        if (!fields.contains(key))
            return "missing " + std::string(key);
    }
    if (fields.contains(dealField) != fields.contains(movesField))
        return "deal and moves go together";
    return {};
}

// "1, 2, 3, 4, d and y": the actions a line is written in.
std::string actionList()
{
    const std::string_view actions = rules::moves::alphabet;
    std::string list;
    for (std::size_t i = 0; i < actions.size(); ++i) {
        if (i > 0)
            list += i + 1 == actions.size() ? " and " : ", ";
        list += actions[i];
    }
    return list;
}

std::string lineProblem(const std::string &deal, const std::string &moves)
{
    if (!parseDealNumber(deal))
        return "deal must be a whole number from 0 to 4294967295";
    if (moves.empty() || moves.size() > maxMoves ||
        moves.find_first_not_of(rules::moves::alphabet) != std::string::npos)
        return "moves must be 1 to " + std::to_string(maxMoves) + " of " + actionList();
    return {};
}

} // namespace

std::string encodeScoreQuery(const PostedScore &score)
{
    std::string query = field(nameField, score.name) + '&' + field(dateField, score.date) + '&' +
                        field(scoreField, std::to_string(score.score));
    if (score.deal && !score.moves.empty()) {
        query += '&' + field(dealField, std::to_string(*score.deal)) + '&' +
                 field(movesField, score.moves);
    }
    return query;
}

ScoreQuery parseScoreQuery(std::string_view rawQuery)
{
    std::map<std::string_view, std::string> fields;
    if (std::string reason = collectFields(rawQuery, fields); !reason.empty())
        return refused(std::move(reason));
    if (std::string reason = nameProblem(fields[nameField]); !reason.empty())
        return refused(std::move(reason));
    if (std::string reason = dateProblem(fields[dateField]); !reason.empty())
        return refused(std::move(reason));
    const auto score = parseScore(fields[scoreField]);
    if (!score)
        return refused("score must be a whole number from -2147483648 to 2147483647");
    // No game ends outside these, so such a score was made up.
    if (*score < lowestScore || *score > highestScore) {
        return refused("score must be from " + std::to_string(lowestScore) + " to " +
                       std::to_string(highestScore));
    }
    PostedScore entry{fields[nameField], fields[dateField], *score};
    if (fields.contains(dealField)) {
        if (std::string reason = lineProblem(fields[dealField], fields[movesField]);
            !reason.empty())
            return refused(std::move(reason));
        entry.deal = parseDealNumber(fields[dealField]);
        entry.moves = fields[movesField];
    }
    return {std::move(entry), {}};
}

} // namespace protocol
