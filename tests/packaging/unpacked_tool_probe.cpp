// Preloaded into a packaged binary, which has no test hooks of its own: once
// its event loop runs, runs the driver test on the first channel through the
// window's controls and prints what a user would see, then quits.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

QMainWindow *toolWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<QMainWindow *>(widget))
            return window;
    }
    return nullptr;
}

void click(QMainWindow *window, const char *name)
{
    if (auto *button = window->findChild<QPushButton *>(name))
        button->click();
}

void report(QMainWindow *window)
{
    std::printf("visible: %d\n", window->isVisible());
    std::printf("icon resource: %d\n", QFile::exists(":/icons/LOGO_R28_G73_B129_1024.jpg"));
    for (const QSize &size : window->windowIcon().availableSizes())
        std::printf("icon size: %dx%d\n", size.width(), size.height());
    click(window, "pushButtonUpdateListChannels");
    click(window, "pushButton_startDriverTest");
    if (auto *terminal = window->findChild<QListWidget *>("listWidgetTerminal")) {
        for (int row = 0; row < terminal->count(); ++row)
            std::printf("line: %s\n", terminal->item(row)->text().toUtf8().constData());
    }
}

void probeOnceRunning()
{
    QTimer::singleShot(0, [] {
        QMainWindow *window = toolWindow();
        if (window)
            report(window);
        std::fflush(stdout);
        QCoreApplication::exit(window ? 0 : 1);
    });
}

void registerProbe() { qAddPreRoutine(probeOnceRunning); }

} // namespace

Q_CONSTRUCTOR_FUNCTION(registerProbe)
