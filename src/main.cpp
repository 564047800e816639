#include "terminal/freed_memory.h"
#include "main_window.h"

#include <QApplication>

int main(int argc, char **argv)
{
    keepFreedMemoryForReuse();
    QApplication application(argc, argv);
    MainWindow window;
    window.show();
    return application.exec();
}
