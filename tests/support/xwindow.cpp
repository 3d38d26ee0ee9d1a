#include "tests/support/xwindow.h"

#include "tests/support/xserver.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtEndian>

namespace {

int field(const QString &text, const QString &name)
{
    const QRegularExpression pattern(QRegularExpression::escape(name) + R"(:\s*(-?\d+))");
    return pattern.match(text).captured(1).toInt();
}

} // namespace

XWindowGeometry readWindowGeometry(const XServer &x, const QString &id)
{
    XWindowGeometry geometry;
    const QString info = x.run("xwininfo", {"-id", id});
    if (info.isEmpty())
        return geometry;
    geometry.client =
        QRect(field(info, "Absolute upper-left X"), field(info, "Absolute upper-left Y"),
              field(info, "Width"), field(info, "Height"));
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom", when a manager framed it.
    const QString extents = x.run("xprop", {"-id", id, "_NET_FRAME_EXTENTS"});
    const QRegularExpressionMatch m =
        QRegularExpression(R"(=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+))").match(extents);
    if (m.hasMatch())
        geometry.frame = QMargins(m.captured(1).toInt(), m.captured(3).toInt(),
                                  m.captured(2).toInt(), m.captured(4).toInt());
    return geometry;
}

QImage grabWindow(const XServer &x, const QString &id)
{
    QProcess xwd;
    xwd.setProcessEnvironment(x.environment());
    xwd.start("xwd", {"-id", id, "-silent"});
    if (!xwd.waitForFinished(10000) || xwd.exitCode() != 0)
        return {};
    const QByteArray dump = xwd.readAllStandardOutput();
    // The dump's header: big-endian 32-bit fields, then the window's name, the colour map
    // and the pixels, a row at a time.
    auto field = [&](int index) { return qFromBigEndian<quint32>(dump.constData() + 4 * index); };
    if (dump.size() < 100 || field(11) != 32)
        return {};
    const quint32 headerSize = field(0), width = field(4), height = field(5),
                  bytesPerLine = field(12), colours = field(19);
    const qsizetype pixels = headerSize + 12 * colours;
    if (dump.size() < pixels + qsizetype(bytesPerLine) * height)
        return {};
    // 32 bits a pixel in the server's byte order (least significant first here): blue,
    // green, red and an unused byte, as Qt's RGB32 has them in memory.
    return QImage(reinterpret_cast<const uchar *>(dump.constData() + pixels), int(width),
                  int(height), int(bytesPerLine), QImage::Format_RGB32)
        .copy();
}
