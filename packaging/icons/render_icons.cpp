// Renders the window's logo (drawLogo in qt/pictures.cpp) into the icon
// files kept in this folder, which the install and a Windows build take as
// they are:
//   z5deftool-<N>.png  the desktop icon at 16, 32, 48, 64, 128 and 256 pixels
//   z5deftool.ico      16, 32 and 48 pixels as 32-bit bitmaps with an alpha
//                      channel and a mask, 256 pixels as PNG
//   z5deftool.bmp      the logo at 112 pixels, as the window shows it, over
//                      the grey of a Windows dialog (24 bits, no alpha)
// Built only on request, after a change to the logo:
//   cmake --build --preset release --target render_icons
//   QT_QPA_PLATFORM=offscreen build/release/packaging/render_icons packaging/icons
#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdio>
#include <vector>

#include "qt/pictures.hpp"

namespace {

void put16(QByteArray& out, quint16 v) {
    out.append(char(v & 0xff)).append(char(v >> 8));
}
void put32(QByteArray& out, quint32 v) {
    put16(out, quint16(v & 0xffff));
    put16(out, quint16(v >> 16));
}

QImage logo(int size) {
    return z5::drawLogo(size).toImage().convertToFormat(QImage::Format_ARGB32);
}

QByteArray png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An icon image in the bitmap form: the header of a bitmap twice as high
// (colour rows, then the mask rows), bottom row first, BGRA colours, then a
// 1-bit mask set where the image is fully transparent.
QByteArray iconBitmap(const QImage& image) {
    const int w = image.width(), h = image.height();
    const int maskRow = ((w + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, quint32(w));
    put32(out, quint32(2 * h));
    put16(out, 1);
    put16(out, 32);
    put32(out, 0);
    put32(out, quint32(w * h * 4 + maskRow * h));
    for (int i = 0; i < 4; ++i) put32(out, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(char(qBlue(p))).append(char(qGreen(p))).append(char(qRed(p)));
            out.append(char(qAlpha(p)));
        }
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskRow, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0) row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        out.append(row);
    }
    return out;
}

// The icon container: a directory of entries, then each image.
QByteArray icoFile(const std::vector<int>& sizes) {
    std::vector<QByteArray> images;
    for (const int size : sizes)
        images.push_back(size >= 256 ? png(logo(size)) : iconBitmap(logo(size)));
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(sizes.size()));
    quint32 offset = quint32(6 + 16 * sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        out.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));
        out.append('\0').append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, quint32(images[i].size()));
        put32(out, offset);
        offset += quint32(images[i].size());
    }
    for (const QByteArray& image : images) out.append(image);
    return out;
}

bool save(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + u'/';
    bool ok = true;
    for (const int size : {16, 32, 48, 64, 128, 256})
        ok = save(folder + QStringLiteral("z5deftool-%1.png").arg(size), png(logo(size))) && ok;
    ok = save(folder + QStringLiteral("z5deftool.ico"), icoFile({16, 32, 48, 256})) && ok;

    QImage bitmap(112, 112, QImage::Format_RGB32);
    bitmap.fill(QColor(0xf0, 0xf0, 0xf0));
    QPainter(&bitmap).drawPixmap(0, 0, z5::drawLogo(112));
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    bitmap.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    ok = save(folder + QStringLiteral("z5deftool.bmp"), bmp) && ok;
    return ok ? 0 : 1;
}
