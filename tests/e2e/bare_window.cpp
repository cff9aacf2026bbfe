// A bare Qt window with a caption, the yardstick for the program's start-up
// time (see startup_bench.sh). With --texte it also shows one line of text,
// a second yardstick: the first text costs the font configuration and
// Qt's font database, which the bare window never loads.
#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool withText = argc > 1 && std::strcmp(argv[1], "--texte") == 0;
    QWidget window;
    window.setWindowTitle(withText ? QStringLiteral("Fenetre texte") : QStringLiteral("Fenetre nue"));
    window.resize(477, 362);
    if (withText) (new QLabel(QStringLiteral("Système étudié"), &window))->move(10, 10);
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
