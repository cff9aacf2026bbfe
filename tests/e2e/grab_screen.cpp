// Saves a picture of the whole X screen (the root window) as PNG: the
// real-window tests' screenshots, without needing an image package.
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vindrel_grab_screen FILE.png\n");
        return 2;
    }
    QGuiApplication app(argc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return 1;
    const QPixmap picture = screen->grabWindow(0);
    return !picture.isNull() && picture.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
