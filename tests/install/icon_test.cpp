#include "resources/pictures/pictures.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

const QString iconDir = QStringLiteral(QUELLAN_ICON_DIR);
const QString appId = QStringLiteral(QUELLAN_APP_ID);

QImage themePng(int side)
{
    return QImage(QStringLiteral("%1/%2x%2/apps/%3.png").arg(iconDir).arg(side).arg(appId))
        .convertToFormat(QImage::Format_ARGB32);
}

QImage windowIcon(int side)
{
    return appIcon().pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The largest difference in any channel between two pictures of one size.
int largestDifference(const QImage &a, const QImage &b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest =
                std::max({largest, std::abs(qAlpha(p) - qAlpha(q)), std::abs(qRed(p) - qRed(q)),
                          std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

// The share of pixels that are drawn on in one picture and bare in the other.
double coverageMismatch(const QImage &a, const QImage &b)
{
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x)
            differing += (qAlpha(a.pixel(x, y)) > 127) != (qAlpha(b.pixel(x, y)) > 127) ? 1 : 0;
    }
    return double(differing) / (a.width() * a.height());
}

int countPixels(const QImage &image, bool (*matches)(QRgb))
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            n += matches(image.pixel(x, y)) ? 1 : 0;
    }
    return n;
}

} // namespace

TEST(DesktopIcon, EachThemeSizeIsTheWindowIconAtThatSize)
{
    for (const int side : {48, 64, 128, 256}) {
        const QImage png = themePng(side);
        ASSERT_FALSE(png.isNull()) << side;
        ASSERT_EQ(png.size(), QSize(side, side)) << side;
        const QImage window = windowIcon(side);
        ASSERT_EQ(window.size(), png.size()) << side;
        EXPECT_LE(largestDifference(png, window), 2) << side;
    }
    const QList<QSize> sizes = appIcon().availableSizes();
    for (const int side : {16, 32, 48, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
}

TEST(DesktopIcon, ShowsTheFanOfTwoCardsWhollyInsideATransparentSquare)
{
    const QImage icon = themePng(256);
    ASSERT_FALSE(icon.isNull());
    // Nothing is cut off at the edges, and the corners show the desktop behind.
    for (int k = 0; k < icon.width(); ++k) {
        for (const QPoint edge : {QPoint(k, 0), QPoint(k, icon.height() - 1), QPoint(0, k),
                                  QPoint(icon.width() - 1, k)})
            ASSERT_LT(qAlpha(icon.pixel(edge)), 64) << edge.x() << "," << edge.y();
    }
    EXPECT_EQ(qAlpha(icon.pixel(128, 128)), 255);
    // The ace's red heart in front, the blue back behind it.
    const int red = countPixels(icon, [](QRgb p) {
        return qAlpha(p) == 255 && qRed(p) > 150 && qGreen(p) < 90 && qBlue(p) < 90;
    });
    const int blue = countPixels(icon, [](QRgb p) {
        return qAlpha(p) == 255 && qBlue(p) > 90 && qRed(p) < 90 && qGreen(p) < 110;
    });
    EXPECT_GT(red, 256 * 256 / 50);
    EXPECT_GT(blue, 256 * 256 / 50);
}

TEST(DesktopIcon, ScalableIconDrawsTheSamePictureAsThePngs)
{
    QSvgRenderer svg(QStringLiteral("%1/scalable/apps/%2.svg").arg(iconDir, appId));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBoxF().width(), svg.viewBoxF().height());
    for (const int side : {64, 256}) {
        QImage drawn(side, side, QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        EXPECT_LT(coverageMismatch(drawn.convertToFormat(QImage::Format_ARGB32), themePng(side)),
                  0.02)
            << side;
    }
}
