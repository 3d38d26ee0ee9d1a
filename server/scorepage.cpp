#include "server/scorepage.h"

#include "common/colours.h"

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
    // The deal's number is plain text, for the player to type into the game.
    const std::string deal = entry.deal ? std::to_string(*entry.deal) : std::string();
    return concat({"<tr bgcolor=\"", cream, "\">", cell("right", std::to_string(rank)),
                   cell("left", htmlEscape(entry.name)), cell("right", std::to_string(entry.score)),
                   cell("right", deal), cell("center", htmlEscape(entry.date)), "</tr>\n"});
}

std::string emptyRow()
{
    return concat({"<tr bgcolor=\"", cream, "\"><td colspan=\"5\" align=\"center\"><font face=\"",
                   face, "\">No scores have been posted yet.</font></td></tr>\n"});
}

std::string counted(std::int64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + std::string(count == 1 ? one : many);
}

std::string header(const ScoreListing &listing)
{
    const std::string title =
        concat({name, listing.verified ? " High Scores" : " Unverified Scores"});
    const std::string total = listing.verified
                                  ? counted(listing.total, " verified score", " verified scores")
                                  : counted(listing.total, " score posted without a game to check",
                                            " scores posted without a game to check");
    return concat(
        {"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n"
         "<title>",
         title,
         "</title>\n</head>\n",
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
         title,
         "</b></font></td></tr></table>\n",
         "<p align=\"center\"><font face=\"",
         face,
         "\" color=\"",
         darkRed,
         "\"><b>",
         total,
         "</b></font></p>\n",
         "<table width=\"100%\" cellpadding=\"4\" cellspacing=\"1\" border=\"0\" bgcolor=\"",
         darkRed,
         "\">\n<tr bgcolor=\"",
         darkRed,
         "\">",
         headingCell("right", "Rank"),
         headingCell("left", "Name"),
         headingCell("right", "Score"),
         headingCell("right", "Deal"),
         headingCell("center", "Date"),
         "</tr>\n"});
}

std::string paragraph(std::string_view text)
{
    return concat({"<p align=\"center\"><font face=\"", face, "\">", text, "</font></p>\n"});
}

std::string link(std::string_view address, std::string_view text)
{
    return concat({"<a href=\"", htmlEscape(address), "\">", text, "</a>"});
}

std::string footer(const ScoreListing &listing, std::string_view webSite)
{
    const std::string other =
        listing.verified ? concat({counted(listing.otherTotal, " score", " scores"),
                                   " posted without a game to check: ",
                                   link(quellan::unverifiedPagePath, "the unverified scores")})
                         : concat({link(quellan::pagePath, "The verified high scores"), " (",
                                   counted(listing.otherTotal, " score", " scores"), ")"});
    return concat(
        {"</table>\n", paragraph(other),
         paragraph(concat({"A verified score came with its deal and the game's moves, and the "
                           "server played them again: they are a legal game of that deal, and "
                           "the score is the one it ends with. That does not prove a person found "
                           "those moves: ",
                           name,
                           "'s own solver finds the best line of any deal. The game never posts "
                           "a game played with hints, undo or a chosen deal."})),
         paragraph(
             concat({"Play ", name, " and post your score: ", link(webSite, htmlEscape(webSite))})),
         "</body>\n</html>\n"});
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

std::string renderScorePage(const ScoreListing &listing, std::string_view webSite)
{
    std::string page = header(listing);
    for (std::size_t i = 0; i < listing.best.size(); ++i)
        page += row(i + 1, listing.best[i]);
    if (listing.best.empty())
        page += emptyRow();
    page += footer(listing, webSite);
    return page;
}

} // namespace server
