#include "app/windowsettings.h"

#include "quellanconfig.h"

#include <QDir>

namespace {

const QString section = QString::fromLatin1(quellan::shortName);

} // namespace

WindowSettings::WindowSettings(const QString &folder)
    : m_file(QDir(folder).filePath(section + ".ini"))
{
}

StoredSettings WindowSettings::read() const
{
    StoredSettings s;
    const QRect def = StoredSettings::defaultPlacement;
    const int top = m_file.readInteger(section, "Top", def.top());
    const int left = m_file.readInteger(section, "Left", def.left());
    const int width = m_file.readInteger(section, "Width", def.width());
    const int height = m_file.readInteger(section, "Height", def.height());
    s.placement = QRect(left, top, width, height);
    // Only the exact words switch an option off; any other text leaves it on.
    s.sounds = m_file.readString(section, "Sounds", "yes") != "no";
    s.update = m_file.readString(section, "Update", "true") != "false";
    s.name = m_file.readString(section, "Name", guestName());
    s.firstRun = m_file.readString(section, "Firsttime", "yes") == "yes";
    return s;
}

void WindowSettings::write(const StoredSettings &s)
{
    m_file.writeInteger(section, "Top", s.placement.top());
    m_file.writeInteger(section, "Left", s.placement.left());
    m_file.writeInteger(section, "Width", s.placement.width());
    m_file.writeInteger(section, "Height", s.placement.height());
    m_file.writeString(section, "Name", s.name);
    m_file.writeString(section, "Sounds", s.sounds ? "yes" : "no");
    m_file.writeString(section, "Update", s.update ? "true" : "false");
}

void WindowSettings::markFirstRunDone()
{
    m_file.writeString(section, "Firsttime", "no");
}
