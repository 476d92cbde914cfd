// SPDX-License-Identifier: GPL-3.0-or-later
// Run by the build: writes a picture as the pixels the window shows, so that
// the program draws its icon and pictures without a PNG decoder, nor the
// image plugins Qt consults before each decoding.
//   raw_picture IN.png OUT.rgba
// OUT: the width and the height (4 bytes each, little-endian), 1 byte that
// is 1 when the picture has no transparent pixel, then its premultiplied
// pixels as bytes R, G, B, A, row after row.
#include <QFile>
#include <QImage>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s IN.png OUT.rgba\n", argv[0]);
        return 2;
    }
    const QImage picture(QString::fromLocal8Bit(argv[1]));
    if (picture.isNull()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const bool opaque = !picture.hasAlphaChannel();
    // By way of the format a pixmap of the screen takes, so that the pixels
    // are rounded as they were when the window decoded the PNG itself.
    const QImage pixels
        = picture
              .convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied)
              .convertToFormat(
                  opaque ? QImage::Format_RGBX8888 : QImage::Format_RGBA8888_Premultiplied);
    QByteArray out;
    for (const quint32 size : {quint32(pixels.width()), quint32(pixels.height())}) {
        for (int shift = 0; shift < 32; shift += 8)
            out.append(char(size >> shift));
    }
    out.append(char(opaque));
    for (int y = 0; y < pixels.height(); ++y)
        out.append(reinterpret_cast<const char*>(pixels.constScanLine(y)), pixels.width() * 4);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.flush()) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[2]);
        return 1;
    }
    return 0;
}
