#include "tally/cp1252.h"
#include "tally/tallyrecord.h"

#include <QCryptographicHash>
#include <QList>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// A record whose ten entries hold the given scores, best first.
TallyRecord withScores(std::initializer_list<int> scores)
{
    TallyRecord record;
    for (int score : scores)
        record.checkscore(score, QString("p%1").arg(score), "1/2/26");
    return record;
}

QStringList scoreColumn(const TallyRecord &record)
{
    QStringList scores;
    for (int rank = 1; rank <= TallyRecord::ranks; ++rank)
        scores << record.cell(1, rank);
    return scores;
}

} // namespace

TEST(TallyRecord, ANewRecordHasZeroCountersAndTenEmptyEntries)
{
    TallyRecord record;
    // The tally text starts with the table's shape: 9 columns, 12 rows.
    EXPECT_TRUE(record.toText().startsWith("9\r\n12\r\n"));
    for (int c = 0; c <= 4; ++c)
        EXPECT_EQ(record.cell(c, 0), "0");
    EXPECT_EQ(record.cell(5, 0), "");
    for (int rank = 1; rank <= 10; ++rank) {
        EXPECT_EQ(record.cell(1, rank), "-1000");
        EXPECT_EQ(record.scoreCaption(rank), "");
    }
    EXPECT_EQ(record.cell(1, 11), "");
}

TEST(TallyRecord, TheWinPercentageTruncatesAndCatchesUpAtTheNextStart)
{
    TallyRecord record;
    record.addtomineincrease(1);
    record.addtomineincrease(2);
    EXPECT_EQ(record.cell(3, 0), "0"); // a won first game shows 1, 1 and 0 until the next start
    record.addtomineincrease(1);
    EXPECT_EQ(record.cell(3, 0), "50");
    record.addtomineincrease(1);
    EXPECT_EQ(record.cell(3, 0), "33");
    record.addtomineincrease(2);
    record.addtomineincrease(1);
    record.addtomineincrease(1);
    EXPECT_EQ(record.cell(1, 0), "5");
    EXPECT_EQ(record.cell(3, 0), "40");
    record.addtomineset(1, "3");
    record.addtomineincrease(1);
    EXPECT_EQ(record.cell(3, 0), "50"); // 2 of 4
}

TEST(TallyRecord, ACounterThatIsNoIntegerCountsAsZero)
{
    TallyRecord record;
    record.addtomineset(1, "lots");
    record.addtomineset(2, "x");
    record.addtomineincrease(1);
    EXPECT_EQ(record.cell(1, 0), "1");
    EXPECT_EQ(record.cell(3, 0), "0");
    EXPECT_EQ(record.addit(2, 0), 1);
    record.addtomineset(2, "2147483647");
    EXPECT_EQ(record.addit(2, 0), 2147483647);
}

TEST(TallyRecord, AScoreBelowAllTenIsRefused)
{
    TallyRecord record = withScores({100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    EXPECT_EQ(record.checkscore(5, "x", "d"), 0);
    EXPECT_EQ(scoreColumn(record).last(), "10");
}

TEST(TallyRecord, AnEqualScoreGoesAboveTheStoredOne)
{
    TallyRecord record = withScores({100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    EXPECT_EQ(record.checkscore(80, "new", "today"), 3);
    EXPECT_EQ(scoreColumn(record),
              (QStringList{"100", "90", "80", "80", "70", "60", "50", "40", "30", "20"}));
    EXPECT_EQ(record.name(3), "new");
    EXPECT_EQ(record.date(3), "today");
    EXPECT_EQ(record.name(4), "p80");
}

TEST(TallyRecord, RankTenIsReplacedWithoutMovingAnything)
{
    TallyRecord record = withScores({100, 90, 80, 70, 60, 50, 40, 30, 20, 10});
    EXPECT_EQ(record.checkscore(15, "last", "d"), 10);
    EXPECT_EQ(scoreColumn(record).mid(8), (QStringList{"20", "15"}));
    EXPECT_EQ(record.name(10), "last");
}

TEST(TallyRecord, ANegativeScoreEntersBelowOneEntry)
{
    TallyRecord record = withScores({50});
    EXPECT_EQ(record.checkscore(-20, "neg", "d"), 2);
    EXPECT_EQ(record.scoreCaption(2), "-20");
    EXPECT_EQ(record.cell(1, 3), "-1000");
    // A fresh record takes a first negative score too.
    EXPECT_EQ(TallyRecord().checkscore(-5, "a", "d"), 1);
}

TEST(TallyRecord, ResetEmptiesCountersAndEntriesAndRestoresTwelveRows)
{
    TallyRecord record = withScores({50, 40});
    record.addtomineincrease(1);
    record.setCell(0, 0, "keep");
    // A file may hold a longer table; reset cuts it back to twelve rows.
    QByteArray text = record.toText();
    text.replace(0, 7, "9\r\n20\r\n");
    record.readText(text);
    record.reset();
    EXPECT_TRUE(record.toText().startsWith("9\r\n12\r\n"));
    EXPECT_EQ(record.cell(0, 0), "keep");
    for (int c = 1; c <= 8; ++c)
        EXPECT_EQ(record.cell(c, 0), "0");
    for (int row = 1; row <= 11; ++row)
        EXPECT_EQ(record.cell(1, row), "-1000");
    EXPECT_EQ(record.scoreCaption(1), "");
    // The emptied entries rank below any score again.
    EXPECT_EQ(record.checkscore(-999, "a", "d"), 1);
}

TEST(TallyRecord, TheTallyTextHasOneLinePerCellColumnByColumn)
{
    TallyRecord record;
    record.addtomineincrease(1);
    record.checkscore(42, "Zoë", "12/7/26");
    const QByteArray text = record.toText();
    const QList<QByteArray> lines = text.split('\n');
    ASSERT_EQ(lines.size(), 111); // 110 lines and the empty rest after the last line end
    EXPECT_TRUE(text.endsWith("\r\n"));
    auto line = [&lines](int number) { return lines[number - 1].chopped(1); };
    EXPECT_EQ(line(1), "9");
    EXPECT_EQ(line(2), "12");
    EXPECT_EQ(line(3), "0");
    EXPECT_EQ(line(4), "12/7/26");
    EXPECT_EQ(line(15), "1");  // games started
    EXPECT_EQ(line(16), "42"); // best score
    EXPECT_EQ(line(17), "-1000");
    EXPECT_EQ(line(26), "");       // row 11
    EXPECT_EQ(line(27), "0");      // games cleared
    EXPECT_EQ(line(28), "Zo\xEB"); // Windows-1252
    EXPECT_EQ(line(39), "0");      // percentage
    EXPECT_EQ(line(51), "0");
    EXPECT_EQ(line(63), "");
}

TEST(TallyRecord, NamesAndDatesInAnyScriptComeBackAsTyped)
{
    const QString arabic = QString::fromUtf8("لاعب"),
                  date = QString::fromUtf8("٩‏/١٢‏/٢٠٢٦");
    TallyRecord record;
    record.checkscore(42, arabic, date);
    record.checkscore(30, QString::fromUtf8("张伟"), "2026/12/9");
    const QByteArray text = record.toText();
    EXPECT_TRUE(text.startsWith("\xEF\xBB\xBF"
                                "9\r\n12\r\n"));
    TallyRecord read;
    read.readText(text);
    EXPECT_EQ(read.name(1), arabic);
    EXPECT_EQ(read.date(1), date);
    EXPECT_EQ(read.name(2), QString::fromUtf8("张伟"));
}

TEST(TallyRecord, AWindows1252TallyIsWrittenAndReadAsBefore)
{
    TallyRecord record = withScores({100, 90});
    record.addtomineincrease(1);
    record.checkscore(95, QString::fromUtf8("Zoë Œ€"), QString::fromUtf8("9 déc. 2026"));
    // The bytes older copies of the game write, and read.
    EXPECT_EQ(QCryptographicHash::hash(record.toText(), QCryptographicHash::Sha256).toHex(),
              "56c449f1732cb06645590c0e4c3d4dceef2e43deb14d145e081832e4b5d009d5");
    // Text of an older copy that happens to read as UTF-8 stays Windows-1252.
    record.readText("1\r\n1\r\n\xC3\xA9\r\n");
    EXPECT_EQ(record.cell(0, 0), QString::fromUtf8("Ã©"));
}

TEST(TallyRecord, ReadingKeepsOtherTableSizesAndFillsMissingLines)
{
    TallyRecord written;
    written.checkscore(7, "Åsa", "1.2.26");
    QByteArray text = written.toText();
    // Two rows more in every column.
    text.replace(0, 7, "9\r\n14\r\n");
    for (int column = 8; column >= 0; --column) {
        qsizetype at = 0;
        for (int line = 0; line < 2 + (column + 1) * 12; ++line)
            at = text.indexOf('\n', at) + 1;
        text.insert(at, "\r\n\r\n");
    }
    TallyRecord read;
    read.readText(text);
    EXPECT_EQ(read.toText(), text);
    read.loadtally();
    EXPECT_EQ(read.scoreCaption(1), "7");
    EXPECT_EQ(read.name(1), "Åsa");
    // 7 still ranks above 6.
    EXPECT_EQ(read.checkscore(6, "b", "d"), 2);

    TallyRecord narrow;
    narrow.readText("3\r\n12\r\n0\r\n");
    EXPECT_TRUE(narrow.toText().startsWith("3\r\n12\r\n"));
    EXPECT_EQ(narrow.cell(1, 0), "");
    EXPECT_EQ(narrow.toText().count('\n'), 2 + 36);
}

TEST(TallyRecord, LineBreaksInANameCannotShiftTheCells)
{
    TallyRecord record;
    record.checkscore(9, "ab\r\ncd", "1/1/26");
    EXPECT_EQ(record.name(1), "ab  cd");
    TallyRecord read;
    read.readText(record.toText());
    EXPECT_EQ(read.toText(), record.toText());
}

TEST(TallyRecord, AScoreCellThatIsNoIntegerIsAnEmptyEntry)
{
    TallyRecord record;
    record.setCell(0, 1, "date");
    record.setCell(1, 1, "abc");
    record.setCell(2, 1, "name");
    record.setCell(1, 2, "");
    record.loadtally();
    EXPECT_EQ(record.scoreCaption(1), "");
    EXPECT_EQ(record.name(1), "name");
    EXPECT_EQ(record.cell(1, 2), "-1000");
    // The entry ranks below any score.
    EXPECT_EQ(record.checkscore(-999, "a", "d"), 1);
}

TEST(TallyRecord, ATextWithoutItsCountsIsRefused)
{
    TallyRecord record;
    EXPECT_THROW(record.readText("nine\r\n12\r\n"), TallyTextError);
    EXPECT_THROW(record.readText("9\r\n99999999\r\n"), TallyTextError);
    EXPECT_THROW(record.readText("4096\r\n4096\r\n"), TallyTextError);
    EXPECT_THROW(record.readText("9 \r\n12\r\n"), TallyTextError);
    EXPECT_THROW(record.readText(""), TallyTextError);
}

TEST(TallyRecord, AMessageQuotesAtMost40CharactersOfACell)
{
    const auto failure = [](const QByteArray &text) -> std::string {
        try {
            TallyRecord().readText(text);
        } catch (const TallyTextError &error) {
            return error.what();
        }
        return {};
    };
    const std::string forty(40, 'n');
    EXPECT_EQ(failure(QByteArray(100000, 'n') + "\r\n12\r\n"),
              "'" + forty + "…' is not a valid integer value");
    EXPECT_EQ(failure(QByteArray(41, 'n') + "\r\n12\r\n"),
              "'" + forty + "…' is not a valid integer value");
    EXPECT_EQ(failure(QByteArray(40, 'n') + "\r\n12\r\n"),
              "'" + forty + "' is not a valid integer value");
    EXPECT_EQ(failure("9\r\n" + QByteArray(45, '0') + "99999999\r\n"),
              "'" + std::string(40, '0') + "…' is not a valid table size");
}

TEST(Cp1252, RoundTripsTheUpperControlsAndRefusesWhatItCannotHold)
{
    const QString text = QString::fromUtf8("€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ éÿ");
    EXPECT_EQ(cp1252::decode(cp1252::encode(text).value()), text);
    EXPECT_EQ(cp1252::encode(QString::fromUtf8("€")), QByteArray("\x80"));
    EXPECT_EQ(cp1252::encode(QString::fromUtf8("a日")), std::nullopt);
    EXPECT_EQ(cp1252::decode("\x81"), QString(QChar(0x81)));
}
