// Compares installed icon files with the artwork the window draws:
//
//   icon_check THEME_DIR ICON_NAME
//
// THEME_DIR is an installed hicolor directory; for every size the window
// carries, THEME_DIR/<size>x<size>/apps/ICON_NAME.png must hold exactly the
// picture the window uses at that size, pixel for pixel. Prints what differs
// and exits 1 when anything does.
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <span>

#include "icon.h"

namespace {

// Pixels whose red, green or blue differ; the files have no alpha to compare.
int Differences(const QImage& installed, const QImage& drawn)
{
    constexpr QRgb ColourBits = 0x00FFFFFF;
    int n = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            n += ((installed.pixel(x, y) ^ drawn.pixel(x, y)) & ColourBits) != 0 ? 1 : 0;
        }
    }
    return n;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::span args(argv, static_cast<std::size_t>(argc));
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: icon_check THEME_DIR ICON_NAME\n");
        return 2;
    }
    const QString themeDir = QString::fromLocal8Bit(args[1]);
    const QString iconName = QString::fromLocal8Bit(args[2]);
    QGuiApplication app(argc, argv);

    bool ok = true;
    for (const int size : ui::IconSizes) {
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(themeDir).arg(size).arg(iconName);
        const QImage installed(path);
        const QByteArray shown = path.toLocal8Bit();
        if (installed.isNull()) {
            std::printf("%s: missing or not an image\n", shown.constData());
            ok = false;
            continue;
        }
        if (installed.size() != QSize(size, size)) {
            std::printf("%s: %d x %d, expected %d x %d\n", shown.constData(), installed.width(),
                        installed.height(), size, size);
            ok = false;
            continue;
        }
        const int differences = Differences(installed, ui::IconImage(size));
        if (differences != 0) {
            std::printf("%s: %d of %d pixels differ from the window's icon\n", shown.constData(), differences,
                        size * size);
            ok = false;
            continue;
        }
        std::printf("%s: %d x %d, the window's icon pixel for pixel\n", shown.constData(), size, size);
    }
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
