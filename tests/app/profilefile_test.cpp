#include "app/profilefile.h"
#include "tests/support/asordinaryuser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    QString iniPath() const { return dir.filePath("quellan.ini"); }

    void setContents(const QByteArray &bytes) const
    {
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray contents() const
    {
        QFile file(iniPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QString read(const QString &key, const QString &def = "default") const
    {
        return ProfileFile(iniPath()).readString("quellan", key, def);
    }

    int readNumber(const QString &value)
    {
        ProfileFile(iniPath()).writeString("quellan", "Top", value);
        return ProfileFile(iniPath()).readInteger("quellan", "Top", 3);
    }

    QTemporaryDir dir;
};

QString errorOfWrite(const QString &path)
{
    try {
        ProfileFile(path).writeString("quellan", "Name", "Ann");
    } catch (const ProfileError &error) {
        return QString::fromStdString(error.what());
    }
    return "no error";
}

TEST_F(ProfileFileTest, MissingFileSectionOrKeyReadsTheDefault)
{
    EXPECT_EQ(read("Name", "Guest"), "Guest");
    EXPECT_EQ(ProfileFile(iniPath()).readInteger("quellan", "Width", 495), 495);

    setContents("[other]\r\nName=Bob\r\n");
    EXPECT_EQ(read("Name", "Guest"), "Guest");

    setContents("[quellan]\r\nTop=5\r\n");
    EXPECT_EQ(read("Name", "Guest"), "Guest");
}

TEST_F(ProfileFileTest, ValuesComeBackAsExactTexts)
{
    setContents("[quellan]\r\nName=\r\nSounds=No\r\nFirsttime=YES\r\nUpdate=false\r\n");
    EXPECT_EQ(read("Name", "Guest"), "");
    EXPECT_FALSE(read("Name", "Guest").isNull());
    EXPECT_EQ(read("Sounds", "yes"), "No");
    EXPECT_EQ(read("Firsttime", "yes"), "YES");
    EXPECT_EQ(read("Update", "true"), "false");
}

TEST_F(ProfileFileTest, SectionAndKeyNamesMatchWithoutRegardToCase)
{
    setContents("[QUELLAN]\r\nTOP=16\r\n");
    EXPECT_EQ(ProfileFile(iniPath()).readInteger("quellan", "Top", 3), 16);

    ProfileFile(iniPath()).writeInteger("Quellan", "top", 20);
    EXPECT_EQ(contents(), "[QUELLAN]\r\ntop=20\r\n");
}

TEST_F(ProfileFileTest, OneRunWritesEveryKeyOnceInItsFirstOrder)
{
    ProfileFile file(iniPath());
    file.writeString("quellan", "Firsttime", "no");
    for (int save = 0; save < 2; ++save) {
        file.writeInteger("quellan", "Top", 3 + save);
        file.writeInteger("quellan", "Left", 3);
        file.writeInteger("quellan", "Width", 495);
        file.writeInteger("quellan", "Height", 534);
        file.writeString("quellan", "Name", "Guest");
        file.writeString("quellan", "Sounds", save ? "no" : "yes");
        file.writeString("quellan", "Update", "true");
    }
    EXPECT_EQ(contents(), "[quellan]\r\nFirsttime=no\r\nTop=4\r\nLeft=3\r\nWidth=495\r\n"
                          "Height=534\r\nName=Guest\r\nSounds=no\r\nUpdate=true\r\n");
}

TEST_F(ProfileFileTest, HandEditedFileKeepsEverythingItDoesNotWrite)
{
    const QByteArray before = "; settings of the game\n"
                              "[other]\n"
                              "Top=99\n"
                              "\n"
                              "[quellan]\n"
                              "  Top = 16  \n"
                              "; the player\n"
                              "Name=J\xf6rg\n"
                              "stray line\n"
                              "\n"
                              "[last]\r\n"
                              "x=1";
    setContents(before);
    EXPECT_EQ(read("Top"), "16");
    EXPECT_EQ(read("Name"), QString::fromUtf8("J\u00f6rg"));

    ProfileFile file(iniPath());
    file.writeInteger("quellan", "top", -12);
    file.writeString("quellan", "Sounds", "no");
    file.writeString("last", "y", "2");
    EXPECT_EQ(contents(), "; settings of the game\n"
                          "[other]\n"
                          "Top=99\n"
                          "\n"
                          "[quellan]\n"
                          "top=-12\r\n"
                          "; the player\n"
                          "Name=J\xf6rg\n"
                          "stray line\n"
                          "Sounds=no\r\n"
                          "\n"
                          "[last]\r\n"
                          "x=1\r\n"
                          "y=2\r\n");
    EXPECT_EQ(read("Top"), "-12");
}

TEST_F(ProfileFileTest, MissingSectionGoesToTheEndOfTheFile)
{
    setContents("[other]\nx=1");
    ProfileFile(iniPath()).writeString("quellan", "Firsttime", "no");
    EXPECT_EQ(contents(), "[other]\nx=1\r\n[quellan]\r\nFirsttime=no\r\n");
}

TEST_F(ProfileFileTest, NamesComeBackAsTypedInWindows1252WhereItHoldsThem)
{
    // Older copies read these lines as they wrote them.
    ProfileFile(iniPath()).writeString("quellan", "Name", QString::fromUtf8("Zoë €"));
    EXPECT_EQ(contents(), "[quellan]\r\nName=Zo\xEB \x80\r\n");
    EXPECT_EQ(read("Name"), QString::fromUtf8("Zoë €"));
    for (const char *name : {"Zoë 张", "لاعب", "Ã©"}) {
        ProfileFile(iniPath()).writeString("quellan", "Name", QString::fromUtf8(name));
        EXPECT_EQ(contents(), "[quellan]\r\nName=" + QByteArray(name) + "\r\n");
        EXPECT_EQ(read("Name"), QString::fromUtf8(name));
    }
    setContents("[quellan]\r\nName=\x80uro \x8A\r\n"); // as an older copy wrote it
    EXPECT_EQ(read("Name"), QString::fromUtf8("€uro Š"));
}

TEST_F(ProfileFileTest, LineBreaksInAValueCannotAddKeys)
{
    ProfileFile(iniPath()).writeString("quellan", "Name", "Ann\r\nSounds=no\n[x]");
    EXPECT_EQ(read("Sounds", "yes"), "yes");
    EXPECT_EQ(read("Name"), "Ann  Sounds=no [x]");
}

TEST_F(ProfileFileTest, ValuesAreReadUpTo2047Characters)
{
    const QString longest(ProfileFile::maxValueLength, u'a');
    ProfileFile(iniPath()).writeString("quellan", "Name", longest + "bcd");
    EXPECT_EQ(read("Name"), longest);
    ProfileFile(iniPath()).writeString("quellan", "Name", longest);
    EXPECT_EQ(read("Name"), longest);
}

TEST_F(ProfileFileTest, IntegersAreDecimalOrHexadecimalWithinThirtyTwoBits)
{
    EXPECT_EQ(readNumber(" -12"), -12);
    EXPECT_EQ(readNumber("+5"), 5);
    EXPECT_EQ(readNumber("0x10"), 16);
    EXPECT_EQ(readNumber("0X1f"), 31);
    EXPECT_EQ(readNumber("$10"), 16);
    EXPECT_EQ(readNumber("007"), 7);
    EXPECT_EQ(readNumber("2147483647"), INT_MAX);
    EXPECT_EQ(readNumber("-2147483648"), INT_MIN);
    EXPECT_EQ(readNumber("0x7FFFFFFF"), INT_MAX);
    for (const char *bad : {"abc", "12abc", "", "-", "+-1", "0x", "$", "0x1g", "-0x10", "1 2",
                            "2147483648", "-2147483649", "0x80000000", "99999999999999999999"})
        EXPECT_EQ(readNumber(bad), 3) << bad;

    ProfileFile(iniPath()).writeInteger("quellan", "Top", -2147483647 - 1);
    EXPECT_EQ(contents(), "[quellan]\r\nTop=-2147483648\r\n");
}

TEST_F(ProfileFileTest, AReadOnlyFolderTakesTheWriteInPlaceAndAReadOnlyFileNone)
{
    setContents("[quellan]\r\nName=Bob\r\n");
    const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                      QFile::WriteOther | QFile::ExeOther;
    const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                         QFile::WriteOther);
    QFile::setPermissions(dir.path(), readOnly);
    {
        AsOrdinaryUser user;
        QFile probe(dir.filePath("probe"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(dir.path(), open);
            GTEST_SKIP() << "the folder cannot be made read-only here";
        }
        // The folder refuses a temporary file, so the file is written where it is.
        EXPECT_EQ(errorOfWrite(iniPath()), "no error");
        EXPECT_EQ(read("Name"), "Ann");
    }
    // A read-only file in a writable folder is not replaced.
    QFile::setPermissions(dir.path(), open);
    QFile::setPermissions(iniPath(), QFile::ReadOwner | QFile::ReadOther);
    setContents("[quellan]\r\nName=Cy\r\n");
    {
        AsOrdinaryUser user;
        EXPECT_EQ(errorOfWrite(iniPath()), "Unable to write to " + iniPath());
    }
    EXPECT_EQ(contents(), "[quellan]\r\nName=Cy\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList("quellan.ini"));
}

TEST_F(ProfileFileTest, UnreadableFileIsNeverReplaced)
{
    // A folder in the file's place can be neither read nor replaced, even by root.
    ASSERT_TRUE(QDir(dir.path()).mkdir("quellan.ini"));
    EXPECT_EQ(read("Name", "Guest"), "Guest");
    EXPECT_EQ(errorOfWrite(iniPath()), "Unable to write to " + iniPath());
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST_F(ProfileFileTest, RelativePathIsReportedInFull)
{
    EXPECT_EQ(ProfileFile("quellan.ini").path(), QDir::current().absoluteFilePath("quellan.ini"));
    EXPECT_EQ(ProfileFile(dir.path() + "/x/../quellan.ini").path(), iniPath());
}

} // namespace
