// SPDX-License-Identifier: MIT
// Writes the program's icon as PNG files for the desktop's icon theme, from the
// same artwork the window uses:
//
//   make_icons OUTPUT_DIR ICON_NAME SIZE...
//
// writes OUTPUT_DIR/<size>x<size>/apps/ICON_NAME.png for each SIZE. The sizes
// must be exactly those the program itself carries, so that the build notices
// when the two lists drift apart.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "icon.h"

namespace {

int Fail(const std::string& message)
{
    std::fprintf(stderr, "make_icons: %s\n", message.c_str());
    return EXIT_FAILURE;
}

// The whole argument as a positive number, or 0.
int ParseSize(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value <= 0 || value > 1024) {
        return 0;
    }
    return static_cast<int>(value);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::span args(argv, static_cast<std::size_t>(argc));
    if (args.size() < 4) {
        return Fail("usage: make_icons OUTPUT_DIR ICON_NAME SIZE...");
    }
    const QString outputDir = QString::fromLocal8Bit(args[1]);
    const QString iconName = QString::fromLocal8Bit(args[2]);
    if (iconName.isEmpty() || iconName.contains(QLatin1Char('/'))) {
        return Fail("bad icon name");
    }

    std::vector<int> sizes;
    for (const char* arg : args.subspan(3)) {
        const int size = ParseSize(arg);
        if (size == 0) {
            return Fail(std::string("bad size: ") + arg);
        }
        sizes.push_back(size);
    }
    std::vector<int> expected(ui::IconSizes.begin(), ui::IconSizes.end());
    std::ranges::sort(sizes);
    std::ranges::sort(expected);
    if (sizes != expected) {
        std::string known;
        for (const int size : expected) {
            known += (known.empty() ? "" : " ") + std::to_string(size);
        }
        return Fail("the sizes asked for differ from the program's own icon sizes (" + known + ")");
    }

    // Painting on an image needs no display, but Qt wants an application
    // object; the build runs this with QT_QPA_PLATFORM=offscreen.
    QGuiApplication app(argc, argv);

    for (const int size : sizes) {
        const QString side = QString::number(size);
        const QString dir = outputDir + QStringLiteral("/%1x%1/apps").arg(side);
        if (!QDir().mkpath(dir)) {
            return Fail("cannot create " + dir.toStdString());
        }
        const QString path = dir + QLatin1Char('/') + iconName + QStringLiteral(".png");
        const QImage image = ui::IconImage(size);
        if (image.size() != QSize(size, size)) {
            return Fail("the artwork came out at the wrong size for " + side.toStdString());
        }
        if (!image.save(path, "PNG")) {
            return Fail("cannot write " + path.toStdString());
        }
    }
    return EXIT_SUCCESS;
}
