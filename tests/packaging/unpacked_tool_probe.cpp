// Preloaded into a packaged binary, which has no test hooks of its own: once
// its event loop runs, runs the driver test on the first channel through the
// window's controls and prints what a user would see, then quits.
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

void report(QMainWindow *window)
{
    std::printf("visible: %d\n", window->isVisible());
    // An icon made from a missing file is not null either: its sizes tell.
    for (const QSize &size : window->windowIcon().availableSizes())
        std::printf("icon size: %dx%d\n", size.width(), size.height());
    for (const char *name : {"pushButtonUpdateListChannels", "pushButton_startDriverTest"}) {
        if (auto *button = window->findChild<QPushButton *>(name))
            button->click();
    }
    if (auto *terminal = window->findChild<QListWidget *>("listWidgetTerminal")) {
        for (int row = 0; row < terminal->count(); ++row)
            std::printf("line: %s\n", terminal->item(row)->text().toUtf8().constData());
    }
}

void registerProbe()
{
    qAddPreRoutine([] {
        QTimer::singleShot(0, [] {
            QMainWindow *window = nullptr;
            for (QWidget *widget : QApplication::topLevelWidgets())
                window = window ? window : qobject_cast<QMainWindow *>(widget);
            if (window)
                report(window);
            std::fflush(stdout);
            QCoreApplication::exit(window ? 0 : 1);
        });
    });
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(registerProbe)
