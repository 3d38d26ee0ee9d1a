// The main window's settings: placement, the two option marks, the player name and the
// first-run flag, kept in quellan.ini beside the program.
#include "app/main.h"
#include "app/profilefile.h"
#include "widgets/flatpanel.h"

#include <QAction>
#include <QDir>
#include <QLineEdit>

QString Tmain::iniFileName() const
{
    return QDir(m_setup.programFolder).filePath(shortname + ".ini");
}

void Tmain::loadinifile()
{
    ProfileFile ini(iniFileName());
    lasttop = ini.readInteger(shortname, "Top", 3);
    lastleft = ini.readInteger(shortname, "Left", 3);
    lastwidth = ini.readInteger(shortname, "Width", defwidth);
    lastheight = ini.readInteger(shortname, "Height", defheight);
    setOuterGeometry({lastleft, lasttop, lastwidth, lastheight});
    PlaySounds1->setChecked(ini.readString(shortname, "Sounds", "yes") != "no");
    updatecheck->setChecked(ini.readString(shortname, "Update", "true") != "false");
    edit_name->setText(ini.readString(shortname, "Name", "Guest"));
    edit_aname->setText(edit_name->text());
    if (ini.readString(shortname, "Firsttime", "yes") == "yes") {
        panel_instructions->showInFront();
        ini.writeString(shortname, "Firsttime", "no");
    }
}

void Tmain::saveinifile()
{
    ProfileFile ini(iniFileName());
    const QRect outer = outerGeometry();
    ini.writeInteger(shortname, "Top", outer.top());
    ini.writeInteger(shortname, "Left", outer.left());
    ini.writeInteger(shortname, "Width", outer.width());
    ini.writeInteger(shortname, "Height", outer.height());
    ini.writeString(shortname, "Name", edit_name->text());
    ini.writeString(shortname, "Sounds", PlaySounds1->isChecked() ? "yes" : "no");
    ini.writeString(shortname, "Update", updatecheck->isChecked() ? "true" : "false");
}
