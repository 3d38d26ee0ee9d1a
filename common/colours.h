#pragma once

#include <array>

// The game's colours, shared by its windows, its pictures and its web server's page. Plain
// values with no Qt, so the server can use them too; widgets/palette.h makes QColors of them.
namespace colours {

struct Rgb {
    int r, g, b;
};

inline constexpr Rgb darkRed{139, 29, 29};       // window and board background
inline constexpr Rgb cream{249, 247, 219};       // table texts, borders, button faces
inline constexpr Rgb darkGrey{74, 74, 74};       // captions of the table's own buttons
inline constexpr Rgb grey{128, 128, 128};        // captions and borders of pop-up panel buttons
inline constexpr Rgb silver{192, 192, 192};      // About window's button caption, visited links
inline constexpr Rgb maroon{128, 0, 0};          // links in the high-score page
inline constexpr Rgb highScoreFace{64, 36, 174}; // face of the high-score view's frame
inline constexpr Rgb white{255, 255, 255};       // the best tally row, the page's panel edges
inline constexpr Rgb black{0, 0, 0};             // texts on cream

// "#rrggbb" in lower case, as an HTML page names a colour.
constexpr std::array<char, 8> htmlText(Rgb colour)
{
    constexpr char digits[] = "0123456789abcdef";
    std::array<char, 8> text{'#'};
    int at = 1;
    for (const int part : {colour.r, colour.g, colour.b}) {
        text[at++] = digits[part / 16];
        text[at++] = digits[part % 16];
    }
    return text;
}

} // namespace colours
