#include "app/about.h"

#include "tests/support/recordingopener.h"
#include "widgets/lbbackground.h"
#include "widgets/selbutton.h"
#include "widgets/url.h"

#include "quellanconfig.h"

#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QDateTime midsummer(int year)
{
    return QDateTime(QDate(year, 6, 21), QTime(12, 0));
}

class AboutTest : public ::testing::Test {
protected:
    AboutTest() : mainBackground(&main), about(&mainBackground, clock, &opener, &main) {}

    QDateTime now = midsummer(2031);
    Clock clock = [this] { return now; };
    QWidget main;
    TLbBackground mainBackground;
    RecordingOpener opener;
    Tabout about;
};

TEST_F(AboutTest, ShowsVersionAsOneLine)
{
    EXPECT_EQ(about.Label1->text(), "Version");
    EXPECT_EQ(about.version->text(), QString::fromUtf8(quellan::versionText));
    EXPECT_EQ(about.version->text(), "1.0.0");
    EXPECT_EQ(about.Label9->text(), ".0");
    // Shown, the three read as "Version 1.0.0.0": in order on one line, none covering the next.
    about.showCentredOver(&main);
    EXPECT_EQ(about.Label1->y(), about.version->y());
    EXPECT_EQ(about.version->y(), about.Label9->y());
    EXPECT_LT(about.Label1->geometry().right(), about.version->x());
    EXPECT_LT(about.version->geometry().right(), about.Label9->x());
}

TEST_F(AboutTest, YearIsTodaysAtCreation)
{
    EXPECT_EQ(about.label_year->text(), "2031");
    now = midsummer(2032);
    about.showCentredOver(&main);
    EXPECT_EQ(about.label_year->text(), "2031");
}

TEST_F(AboutTest, LinkOpensTheWebSite)
{
    const QString site = QString::fromUtf8(quellan::webSite);
    EXPECT_EQ(about.Label7->text(), site);
    EXPECT_EQ(about.URL1->URL(), site);
    EXPECT_EQ(about.Label7->cursor().shape(), Qt::PointingHandCursor);
    about.showCentredOver(&main);
    QTest::mouseClick(about.Label7, Qt::LeftButton, {}, about.Label7->rect().center());
    EXPECT_EQ(opener.addresses, QStringList{"http://" + site});
}

TEST_F(AboutTest, FixedDialogThatDoneHides)
{
    EXPECT_EQ(about.windowTitle(), "Quellan - About");
    EXPECT_EQ(about.size(), QSize(304, 193));
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    EXPECT_TRUE(about.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_FALSE(about.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(about.isWindow());

    about.showCentredOver(&main);
    ASSERT_TRUE(about.isVisible());
    QTest::mouseClick(about.button_done, Qt::LeftButton, {}, about.button_done->rect().center());
    EXPECT_FALSE(about.isVisible());
}

} // namespace
