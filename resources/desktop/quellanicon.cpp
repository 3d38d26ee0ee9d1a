// quellan-icon FOLDER SIDE...: writes the program's icon for the desktop's icon theme into
// FOLDER, as scalable/apps/ID.svg and as SIDExSIDE/apps/ID.png for each SIDE given.

#include "resources/pictures/pictures.h"

#include "quellanconfig.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

namespace {

// The side of the SVG's canvas; the picture scales from there.
constexpr int svgSide = 256;

bool makeFolder(const QString &path)
{
    if (QDir().mkpath(path))
        return true;
    std::fprintf(stderr, "quellan-icon: cannot make %s\n", qPrintable(path));
    return false;
}

bool writePng(const QString &folder, const QString &id, int side)
{
    const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(side);
    if (!makeFolder(dir))
        return false;
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        paintIcon(painter, QRectF(0, 0, side, side));
    }
    const QString file = dir + QLatin1Char('/') + id + QStringLiteral(".png");
    if (image.save(file, "PNG"))
        return true;
    std::fprintf(stderr, "quellan-icon: cannot write %s\n", qPrintable(file));
    return false;
}

bool writeSvg(const QString &folder, const QString &id)
{
    const QString dir = folder + QStringLiteral("/scalable/apps");
    if (!makeFolder(dir))
        return false;
    const QString file = dir + QLatin1Char('/') + id + QStringLiteral(".svg");
    QSvgGenerator generator;
    generator.setFileName(file);
    generator.setSize(QSize(svgSide, svgSide));
    generator.setViewBox(QRect(0, 0, svgSide, svgSide));
    generator.setTitle(QString::fromUtf8(quellan::displayName));
    QPainter painter;
    if (!painter.begin(&generator)) {
        std::fprintf(stderr, "quellan-icon: cannot write %s\n", qPrintable(file));
        return false;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    paintIcon(painter, QRectF(0, 0, svgSide, svgSide));
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    // The tool draws into files only and runs while the game builds, with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    QList<int> sides;
    for (qsizetype k = 2; k < args.size(); ++k) {
        bool ok = false;
        const int side = args[k].toInt(&ok);
        if (!ok || side < 1 || side > 1024) {
            std::fprintf(stderr, "quellan-icon: not a size: %s\n", qPrintable(args[k]));
            return 2;
        }
        sides.append(side);
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: quellan-icon FOLDER [SIDE...]\n");
        return 2;
    }
    const QString id = QStringLiteral(QUELLAN_APP_ID);
    bool written = writeSvg(args[1], id);
    for (const int side : sides)
        written = writePng(args[1], id, side) && written;
    return written ? 0 : 1;
}
