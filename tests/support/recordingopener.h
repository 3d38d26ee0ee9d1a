#pragma once

#include "widgets/url.h"

#include <QStringList>

// Stands in for the desktop: remembers every address it is asked to open and answers with
// a chosen result.
class RecordingOpener : public DesktopOpener {
public:
    explicit RecordingOpener(bool result = true) : result(result) {}

    bool open(const QString &address) override
    {
        addresses << address;
        return result;
    }

    bool result;
    QStringList addresses;
};
