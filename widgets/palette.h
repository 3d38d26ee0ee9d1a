#pragma once

#include <QColor>

// The colours every window of the game shares.
namespace palette {

inline const QColor darkRed{139, 29, 29};    // window and board background
inline const QColor cream{249, 247, 219};    // table texts, borders, button faces
inline const QColor darkGrey{74, 74, 74};    // captions of the table's own buttons
inline const QColor grey{128, 128, 128};     // captions of buttons on pop-up panels
inline const QColor silver{192, 192, 192};   // About window's button caption, visited links
inline const QColor maroon{128, 0, 0};       // links in the high-score page
inline const QColor highScoreFace{64, 36, 174}; // face of the high-score view's frame

} // namespace palette
