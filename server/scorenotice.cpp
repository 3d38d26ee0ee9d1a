#include "server/scorenotice.h"

#include <charconv>

namespace server::scorenotice {

namespace {

constexpr std::string_view again = "again";

// A text as its length in bytes, a colon and its bytes, so that it may hold anything.
void putText(std::string &out, const std::string &text)
{
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

std::string encodeScore(const NumberedScore &score)
{
    const ScoreEntry &entry = score.entry;
    std::string out = std::to_string(score.id) + ' ' + std::to_string(entry.score) + ' ' +
                      (entry.deal ? std::to_string(*entry.deal) : "-") + ' ';
    putText(out, entry.name);
    putText(out, entry.date);
    putText(out, entry.moves);
    return out;
}

// Reads a payload front to back; any flaw makes it fail for good.
class Reader {
public:
    explicit Reader(std::string_view text) : m_text(text) {}

    bool ok() const { return m_ok; }
    bool atEnd() const { return m_text.empty(); }
    std::string_view rest() const { return m_text; }

    template <typename Number> Number number()
    {
        Number value{};
        const auto [end, error] =
            std::from_chars(m_text.data(), m_text.data() + m_text.size(), value);
        if (error != std::errc() || end == m_text.data())
            m_ok = false;
        m_text.remove_prefix(static_cast<std::size_t>(end - m_text.data()));
        return value;
    }
    bool take(std::string_view expected)
    {
        if (!m_text.starts_with(expected))
            return m_ok = false;
        m_text.remove_prefix(expected.size());
        return true;
    }
    std::string text()
    {
        const auto length = number<std::size_t>();
        if (!m_ok || !take(":") || length > m_text.size())
            return m_ok = false, std::string();
        std::string value(m_text.substr(0, length));
        m_text.remove_prefix(length);
        return value;
    }
    NumberedScore score()
    {
        NumberedScore score;
        score.id = number<std::int64_t>();
        take(" ");
        score.entry.score = number<std::int32_t>();
        take(" ");
        if (!m_text.starts_with('-'))
            score.entry.deal = number<std::uint32_t>();
        else
            take("-");
        take(" ");
        score.entry.name = text();
        score.entry.date = text();
        score.entry.moves = text();
        return score;
    }

private:
    std::string_view m_text;
    bool m_ok = true;
};

} // namespace

std::vector<std::string> encode(const std::vector<NumberedScore> &added)
{
    // Room for the part's header, "INDEX COUNT ".
    constexpr std::size_t room = maxPayload - 16;
    std::vector<std::string> bodies(1);
    for (const NumberedScore &score : added) {
        const std::string encoded = encodeScore(score) + ' ';
        if (encoded.size() > room)
            return {readAgain()};
        if (bodies.back().size() + encoded.size() > room)
            bodies.emplace_back();
        bodies.back() += encoded;
    }
    if (bodies.size() > maxParts)
        return {readAgain()};
    std::vector<std::string> parts;
    for (std::size_t index = 0; index < bodies.size(); ++index) {
        parts.push_back(std::to_string(index) + ' ' + std::to_string(bodies.size()) + ' ' +
                        bodies[index]);
    }
    return parts;
}

std::string readAgain()
{
    return std::string(again);
}

std::optional<Part> decode(std::string_view payload)
{
    Reader reader(payload);
    Part part;
    part.writer = reader.number<std::int64_t>();
    reader.take(" ");
    part.sequence = reader.number<std::int64_t>();
    reader.take(" ");
    if (reader.ok() && reader.rest() == again) {
        part.readAgain = part.sequence > 0;
        return part.readAgain ? std::optional(part) : std::nullopt;
    }
    part.index = reader.number<std::size_t>();
    reader.take(" ");
    part.count = reader.number<std::size_t>();
    reader.take(" ");
    while (reader.ok() && !reader.atEnd()) {
        part.added.push_back(reader.score());
        reader.take(" ");
    }
    if (!reader.ok() || part.index >= part.count || part.sequence <= 0)
        return std::nullopt;
    return part;
}

} // namespace server::scorenotice
