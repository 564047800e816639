#include "process/freed_memory.h"
#include "main_window.h"

#include <QApplication>

int main(int argc, char **argv)
{
    keepFreedMemoryForReuse();
    QApplication application(argc, argv);
    // Wayland desktops find a window's icon and name through the desktop entry
    // its app id names; without this the app id would be the binary's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("velkor-linux-pci-driver-test"));
    MainWindow window;
    window.show();
    return application.exec();
}
