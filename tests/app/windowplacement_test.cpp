#include "app/windowplacement.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

TEST(WindowPlacement, ClosingShrinksOnlyAMovedWindowThatIsLargerThanTheWorkArea)
{
    QWidget window;
    WindowPlacement placement(&window);
    placement.setOuterGeometry({10, 20, 900, 700});
    placement.setLast({10, 20, 900, 700});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect work(0, 0, 800, 600);

    // Neither moved nor resized: kept as it is, even when too large.
    EXPECT_EQ(placement.fitForClosing(work), QRect(10, 20, 900, 700));

    // Moved: 3 pixels off each dimension that is too large, once, and that becomes the last.
    placement.setOuterGeometry({15, 20, 900, 500});
    EXPECT_EQ(placement.fitForClosing(work), QRect(15, 20, 897, 500));
    EXPECT_EQ(placement.outerGeometry(), QRect(15, 20, 897, 500));
    EXPECT_EQ(placement.last(), QRect(15, 20, 897, 500));
    EXPECT_EQ(placement.fitForClosing(work), QRect(15, 20, 897, 500));
}
