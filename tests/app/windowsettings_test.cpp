#include "app/windowsettings.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WindowSettingsTest : public ::testing::Test {
protected:
    void writeIni(const QByteArray &text)
    {
        QFile file(folder.filePath("quellan.ini"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray iniBytes() const
    {
        QFile file(folder.filePath("quellan.ini"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

} // namespace

TEST_F(WindowSettingsTest, AMissingFileGivesTheDefaults)
{
    const StoredSettings read = WindowSettings(folder.path()).read();
    EXPECT_EQ(read.placement, QRect(3, 3, 495, 534));
    EXPECT_TRUE(read.sounds && read.update && read.firstRun);
    EXPECT_EQ(read.name, "Guest");
    EXPECT_TRUE(iniBytes().isEmpty());
}

TEST_F(WindowSettingsTest, OnlyTheExactWordsSwitchSomethingOff)
{
    writeIni("[QUELLAN]\r\nsounds=No\r\nUPDATE=false\r\nName=\r\nFirsttime=YES\r\nTop=$20\r\n"
             "Left=x\r\n");
    const StoredSettings read = WindowSettings(folder.path()).read();
    EXPECT_TRUE(read.sounds);
    EXPECT_FALSE(read.update);
    EXPECT_EQ(read.name, "");
    EXPECT_FALSE(read.firstRun);
    EXPECT_EQ(read.placement.topLeft(), QPoint(3, 32));
}

TEST_F(WindowSettingsTest, WritingKeepsTheFlagWrittenFirstAndTheKeysInTheirOrder)
{
    WindowSettings settings(folder.path());
    settings.markFirstRunDone();
    settings.write({QRect(-5, 7, 600, 640), false, true, "Ann"});
    settings.write({QRect(-5, 8, 600, 640), false, false, "Ann"});
    EXPECT_EQ(iniBytes(), "[quellan]\r\nFirsttime=no\r\nTop=8\r\nLeft=-5\r\nWidth=600\r\n"
                          "Height=640\r\nName=Ann\r\nSounds=no\r\nUpdate=false\r\n");
    const StoredSettings read = settings.read();
    EXPECT_EQ(read.placement, QRect(-5, 8, 600, 640));
    EXPECT_FALSE(read.sounds || read.update || read.firstRun);
}
