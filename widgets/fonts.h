#pragma once

#include <QFont>

// The game's two faces, Liberation Sans and Liberation Serif, named exactly rather than left
// to the desktop: every label is sized for their metrics, so a text fills it as laid out.
namespace fonts {

inline QFont make(const char *family, int size, bool pixels, bool bold, bool underline)
{
    QFont font(QString::fromLatin1(family));
    if (pixels)
        font.setPixelSize(size);
    else
        font.setPointSize(size);
    font.setBold(bold);
    font.setUnderline(underline);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

inline QFont sansPt(int points, bool bold = false, bool underline = false)
{
    return make("Liberation Sans", points, false, bold, underline);
}

inline QFont sansPx(int pixels, bool bold = false, bool underline = false)
{
    return make("Liberation Sans", pixels, true, bold, underline);
}

inline QFont serifPt(int points, bool bold = false, bool underline = false)
{
    QFont font = make("Liberation Serif", points, false, bold, underline);
    font.setStyleHint(QFont::Serif);
    return font;
}

} // namespace fonts
