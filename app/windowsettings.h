#pragma once

#include "app/playername.h"
#include "app/profilefile.h"

#include <QRect>
#include <QString>

// What the settings file keeps between runs.
struct StoredSettings {
    static constexpr int defwidth = 495, defheight = 534;
    static constexpr QRect defaultPlacement{3, 3, defwidth, defheight};

    // The main window's outer frame.
    QRect placement = defaultPlacement;
    bool sounds = true;
    bool update = true;
    QString name = guestName();
    // Only read: the instructions are shown once, then the flag is written by itself.
    bool firstRun = true;
};

// The main window's settings file: `<shortname>.ini` in the program's folder, one section
// named after the program. Every key is read or written on its own, so a failed write leaves
// the keys before it written and those after it untouched.
class WindowSettings {
public:
    explicit WindowSettings(const QString &folder);

    QString path() const { return m_file.path(); }

    // Every key, each one missing or unreadable taking its default.
    StoredSettings read() const;
    // Placement, name and the two marks, in that order; never the first-run flag. Throws
    // ProfileError at the first key it cannot write.
    void write(const StoredSettings &settings);
    // Records that the instructions have been shown. Throws ProfileError.
    void markFirstRunDone();

private:
    ProfileFile m_file;
};
