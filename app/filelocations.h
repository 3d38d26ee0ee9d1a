#pragma once

#include <QString>

// Where the player's files live. A copy of the game in a folder of its own, one that already
// holds quellan.ini, keeps everything beside the program and may update itself; an installed
// copy keeps its settings in the user's configuration folder and its tally in the user's data
// folder, and leaves updates to the package manager that owns its file.
struct FileLocations {
    QString settingsFolder;
    QString dataFolder;
    bool portable = false;
};

// `configHome` and `dataHome` are the user's folders for all programs (~/.config and
// ~/.local/share by default); the game's own folders below them are made when needed.
FileLocations locateFiles(const QString &programFolder, const QString &configHome,
                          const QString &dataHome);
