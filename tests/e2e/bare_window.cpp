// A bare Qt window with a caption, the yardstick for the program's start-up
// time (see startup_bench.sh).
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Fenetre nue"));
    window.resize(477, 362);
    window.show();
    window.activateWindow();
    return QApplication::exec();
}
