#include "server/scorepage.h"

#include "widgets/colours.h"

#include "quellanconfig.h"

#include <initializer_list>

namespace server {

namespace {

// The game's own colours: cream of its texts and button faces, dark red of its windows, and
// the maroon of links in its HTML view.
constexpr auto creamText = colours::htmlText(colours::cream);
constexpr auto darkRedText = colours::htmlText(colours::darkRed);
constexpr auto maroonText = colours::htmlText(colours::maroon);
constexpr auto blackText = colours::htmlText(colours::black);
constexpr std::string_view cream{creamText.data(), creamText.size() - 1};
constexpr std::string_view darkRed{darkRedText.data(), darkRedText.size() - 1};
constexpr std::string_view maroon{maroonText.data(), maroonText.size() - 1};
constexpr std::string_view black{blackText.data(), blackText.size() - 1};
constexpr std::string_view name = quellan::displayName;
constexpr std::string_view face = "Arial, Liberation Sans, Helvetica, sans-serif";

std::string concat(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (const auto part : parts)
        text.append(part);
    return text;
}

std::string cell(std::string_view align, std::string_view text)
{
    return concat({"<td align=\"", align, "\"><font face=\"", face, "\">", text, "</font></td>"});
}

std::string headingCell(std::string_view align, std::string_view text)
{
    return concat({"<th align=\"", align, "\"><font face=\"", face, "\" color=\"", cream, "\"><b>",
                   text, "</b></font></th>"});
}

std::string row(std::size_t rank, const ScoreEntry &entry)
{
    return concat({"<tr bgcolor=\"", cream, "\">", cell("right", std::to_string(rank)),
                   cell("left", htmlEscape(entry.name)), cell("right", std::to_string(entry.score)),
                   cell("center", htmlEscape(entry.date)), "</tr>\n"});
}

std::string emptyRow()
{
    return concat({"<tr bgcolor=\"", cream, "\"><td colspan=\"4\" align=\"center\"><font face=\"",
                   face, "\">No scores have been posted yet.</font></td></tr>\n"});
}

std::string totalText(std::int64_t total)
{
    return std::to_string(total) + (total == 1 ? " score posted" : " scores posted");
}

std::string header(std::int64_t total)
{
    return concat(
        {"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
         "<title>",
         name,
         " High Scores</title>\n</head>\n",
         "<body bgcolor=\"",
         cream,
         "\" text=\"",
         black,
         "\" link=\"",
         maroon,
         "\">\n",
         "<table width=\"100%\" cellpadding=\"8\" cellspacing=\"0\" bgcolor=\"",
         darkRed,
         "\">",
         "<tr><td align=\"center\"><font face=\"",
         face,
         "\" size=\"6\" color=\"",
         cream,
         "\"><b>",
         name,
         " High Scores</b></font></td></tr></table>\n",
         "<p align=\"center\"><font face=\"",
         face,
         "\" color=\"",
         darkRed,
         "\"><b>",
         totalText(total),
         "</b></font></p>\n",
         "<table width=\"100%\" cellpadding=\"4\" cellspacing=\"1\" border=\"0\" bgcolor=\"",
         darkRed,
         "\">\n<tr bgcolor=\"",
         darkRed,
         "\">",
         headingCell("right", "Rank"),
         headingCell("left", "Name"),
         headingCell("right", "Score"),
         headingCell("center", "Date"),
         "</tr>\n"});
}

std::string footer(std::string_view webSite)
{
    const std::string address = htmlEscape(webSite);
    return concat({"</table>\n<p align=\"center\"><font face=\"", face, "\">Play ", name,
                   " and post your score: <a href=\"", address, "\">", address,
                   "</a></font></p>\n</body>\n</html>\n"});
}

} // namespace

std::string htmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        case '\'':
            escaped += "&#39;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string renderScorePage(const std::vector<ScoreEntry> &best, std::int64_t total,
                            std::string_view webSite)
{
    std::string page = header(total);
    for (std::size_t i = 0; i < best.size(); ++i)
        page += row(i + 1, best[i]);
    if (best.empty())
        page += emptyRow();
    page += footer(webSite);
    return page;
}

} // namespace server
