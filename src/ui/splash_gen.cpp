// Writes the splash picture: korval-splashgen <file.jpg>
#include <cstdio>

#include <QGuiApplication>
#include <QImageWriter>

#include "splash_art.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: korval-splashgen <file.jpg>\n");
        return 2;
    }
    QGuiApplication app(argc, argv);  // fonts need the application
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpg");
    writer.setQuality(92);
    if (!writer.write(korval::ui::PaintSplashArt())) {
        std::fprintf(stderr, "korval-splashgen: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
