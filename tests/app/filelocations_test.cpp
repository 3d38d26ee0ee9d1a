#include "app/filelocations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(FileLocations, SettingsBesideTheProgramKeepEverythingThereOtherwiseTheUsersFolders)
{
    QTemporaryDir program;
    const FileLocations installed =
        locateFiles(program.path(), "/home/ann/.config", "/home/ann/.local/share");
    EXPECT_FALSE(installed.portable);
    EXPECT_EQ(installed.settingsFolder, "/home/ann/.config/quellan");
    EXPECT_EQ(installed.dataFolder, "/home/ann/.local/share/quellan");

    QFile ini(QDir(program.path()).filePath("quellan.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.close();
    const FileLocations portable =
        locateFiles(program.path(), "/home/ann/.config", "/home/ann/.local/share");
    EXPECT_TRUE(portable.portable);
    EXPECT_EQ(portable.settingsFolder, program.path());
    EXPECT_EQ(portable.dataFolder, program.path());
}
