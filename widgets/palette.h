#pragma once

#include "common/colours.h"

#include <QColor>

// The game's colours as the windows and pictures paint them.
namespace palette {

inline QColor qColor(colours::Rgb colour)
{
    return QColor(colour.r, colour.g, colour.b);
}

inline const QColor darkRed = qColor(colours::darkRed);
inline const QColor cream = qColor(colours::cream);
inline const QColor darkGrey = qColor(colours::darkGrey);
inline const QColor grey = qColor(colours::grey);
inline const QColor silver = qColor(colours::silver);
inline const QColor maroon = qColor(colours::maroon);
inline const QColor highScoreFace = qColor(colours::highScoreFace);
inline const QColor white = qColor(colours::white);
inline const QColor black = qColor(colours::black);

} // namespace palette
