// Vindrel: creates the main window over the Qt platform and runs the event
// loop until Quitter or the close box ends the run.
#include "app/form1.h"
#include "app/qt_platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(vindrel::kApplicationTitle);
    vindrel::QtPlatform platform;
    vindrel::Form1 window(platform);
    window.show();
    // Without a window manager (e.g. under Xvfb) the window is not activated
    // on its own.
    window.activateWindow();
    return QApplication::exec();
}
