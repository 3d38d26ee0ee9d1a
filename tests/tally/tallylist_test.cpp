#include "tally/codec/lzrw1.h"
#include "tally/tallylist.h"
#include "tests/support/asordinaryuser.h"
#include "tests/support/recordingdialogs.h"
#include "widgets/selbutton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

namespace {

class TallyListTest : public ::testing::Test {
protected:
    std::unique_ptr<Ttallylist> open()
    {
        TallySetup setup;
        setup.folder = folder.path();
        setup.today = [] { return QDate(2026, 12, 7); };
        setup.dialogs = &dialogs;
        return std::make_unique<Ttallylist>(setup);
    }

    QString tallyPath() const { return folder.filePath("quellantally.tld"); }

    QByteArray fileBytes(const QString &path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeFile(const QString &path, const QByteArray &bytes) const
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // The record's text packed in the given coding.
    static QByteArray packed(const TallyRecord &record, TCompressMode mode)
    {
        std::istringstream in(record.toText().toStdString());
        std::ostringstream out;
        Tlzrw1 doit;
        doit.CompressMode = mode;
        doit.useStreams(in, out);
        doit.Compress();
        return QByteArray::fromStdString(out.str());
    }

    QTemporaryDir folder;
    RecordingDialogs dialogs;
};

QString today()
{
    return QLocale::system().toString(QDate(2026, 12, 7), QLocale::ShortFormat);
}

} // namespace

TEST_F(TallyListTest, AFreshListShowsBlankRowsAndRecordsAGame)
{
    auto tally = open();
    EXPECT_EQ(tally->windowTitle(), "Quellan - Tally List");
    EXPECT_EQ(tally->size(), QSize(342, 425));
    EXPECT_EQ(tally->label_date[1]->text(), "");
    EXPECT_EQ(tally->label_high[1]->text(), "");
    EXPECT_EQ(tally->label_num[10]->text(), "10.");

    tally->addtomineincrease(1);
    tally->addtomineincrease(2);
    EXPECT_TRUE(tally->checkscore(120, "Ann"));
    EXPECT_EQ(tally->mylabel_1->text(), "1");
    EXPECT_EQ(tally->mylabel_2->text(), "1");
    EXPECT_EQ(tally->mylabel_3->text(), "0");
    EXPECT_EQ(tally->label_high[1]->text(), "120");
    EXPECT_EQ(tally->label_name[1]->text(), "Ann");
    EXPECT_EQ(tally->label_date[1]->text(), today());
    EXPECT_EQ(tally->label_name[1]->palette().color(QPalette::WindowText), QColor(Qt::white));
    EXPECT_TRUE(tally->label_name[1]->font().bold());
    EXPECT_FALSE(tally->label_name[2]->font().bold());

    // The finished game is on disk at once, in the fast coding.
    EXPECT_TRUE(fileBytes(tallyPath()).startsWith("WRZL"));
    tally->addtomineincrease(1);
    tally.reset(); // exit writes again

    auto again = open();
    EXPECT_EQ(again->mylabel_1->text(), "2");
    EXPECT_EQ(again->mylabel_3->text(), "50");
    EXPECT_EQ(again->label_high[1]->text(), "120");
    EXPECT_EQ(again->label_name[1]->text(), "Ann");
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(TallyListTest, AFileInTheGoodCodingIsReadToo)
{
    TallyRecord record;
    record.addtomineincrease(1);
    record.checkscore(77, "Bo", "1/1/26");
    writeFile(tallyPath(), packed(record, TCompressMode::Good));
    ASSERT_TRUE(fileBytes(tallyPath()).startsWith("!HZL"));
    auto tally = open();
    EXPECT_EQ(tally->label_high[1]->text(), "77");
    EXPECT_EQ(tally->mylabel_1->text(), "1");
    tally.reset();
    EXPECT_TRUE(fileBytes(tallyPath()).startsWith("WRZL"));
}

TEST_F(TallyListTest, ADamagedFileIsReportedAndKeptAside)
{
    const QByteArray damaged("not a tally file at all");
    writeFile(tallyPath(), damaged);
    auto tally = open();
    EXPECT_EQ(dialogs.errors, QStringList{"Lzrw1 decompression : input stream contains no valid "
                                          "header ! " +
                                          tallyPath()});
    EXPECT_EQ(tally->mylabel_1->text(), "0");
    EXPECT_EQ(tally->record().scoreCaption(1), "");
    writeFile(tallyPath() + ".damaged", "an older damaged file");
    tally->checkscore(-3, "Cy");
    EXPECT_EQ(fileBytes(tallyPath() + ".damaged"), damaged);
    EXPECT_TRUE(fileBytes(tallyPath()).startsWith("WRZL"));
    tally.reset();
    EXPECT_EQ(fileBytes(tallyPath() + ".damaged"), damaged); // only the first save moves it
}

TEST_F(TallyListTest, ATextThatIsNoTallyIsReportedToo)
{
    TallyRecord record;
    writeFile(tallyPath(), packed(record, TCompressMode::Fast).replace("9\r\n12", "x\r\n12"));
    auto tally = open();
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_EQ(dialogs.errors.first(), "'x' is not a valid integer value " + tallyPath());
}

TEST_F(TallyListTest, AFileRecordingMoreThanATallyIsRefusedAndKeptAside)
{
    // A new record's file, its recorded size raised to 2 GiB less one byte.
    TallyRecord record;
    const QByteArray recorded("\xFF\xFF\xFF\x7F", 4);
    const QByteArray oversized = packed(record, TCompressMode::Fast).replace(4, 4, recorded);
    writeFile(tallyPath(), oversized);
    auto tally = open();
    EXPECT_EQ(dialogs.errors, QStringList{"Lzrw1 decompression : input stream records 2147483647 "
                                          "bytes, more than the 1048576 allowed ! " +
                                          tallyPath()});
    EXPECT_EQ(tally->mylabel_1->text(), "0");
    tally.reset();
    EXPECT_EQ(fileBytes(tallyPath() + ".damaged"), oversized);
    EXPECT_TRUE(fileBytes(tallyPath()).startsWith("WRZL"));
}

TEST_F(TallyListTest, AFailedSaveLeavesThePreviousFile)
{
    auto tally = open();
    tally->checkscore(10, "Di");
    const QByteArray before = fileBytes(tallyPath());
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadOther | QFileDevice::ExeOther);
    {
        AsOrdinaryUser user;
        tally->checkscore(20, "Ed");
    }
    QFile::setPermissions(folder.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(fileBytes(tallyPath()), before);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{"quellantally.tld"});
    EXPECT_EQ(tally->label_high[1]->text(), "20"); // the record itself goes on
}

TEST_F(TallyListTest, AUsersTempFileSurvives)
{
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(folder.path());
    writeFile("temp.txt", "my notes");
    {
        auto tally = open();
        tally->checkscore(5, "Fa");
    }
    auto again = open();
    QDir::setCurrent(cwd);
    EXPECT_EQ(fileBytes(folder.filePath("temp.txt")), "my notes");
}

TEST_F(TallyListTest, ResetAsksFirst)
{
    auto tally = open();
    tally->addtomineincrease(1);
    tally->checkscore(30, "Gus");
    dialogs.answer = false;
    tally->button_resetClick(tally->button_reset);
    EXPECT_EQ(dialogs.questions, QStringList{"Are you sure you want to reset the Tally?"});
    EXPECT_EQ(tally->mylabel_1->text(), "1");
    dialogs.answer = true;
    tally->show();
    QTest::mouseClick(tally->button_reset, Qt::LeftButton);
    EXPECT_EQ(tally->mylabel_1->text(), "0");
    EXPECT_EQ(tally->label_high[1]->text(), "");
    EXPECT_EQ(tally->label_name[1]->text(), "");
    EXPECT_FALSE(tally->label_name[1]->font().bold());
    QTest::mouseClick(tally->button_done, Qt::LeftButton);
    EXPECT_FALSE(tally->isVisible());
}
