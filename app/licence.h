#pragma once

#include <QStringList>

// The terms under which the game is handed out, one line of the help window's "License" page
// each.
QStringList licenceLines();
