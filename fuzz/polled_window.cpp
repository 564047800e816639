#include "polled_window.h"

#include "main_window.h"

#include <QApplication>
#include <QListWidget>

#include <cstdio>
#include <cstdlib>

namespace polled_window {
namespace {

MainWindow *window = nullptr;

[[noreturn]] void harnessBroken(const char *what)
{
    std::fprintf(stderr, "fuzz harness: %s\n", what);
    std::abort();
}

QListWidget *terminal()
{
    auto *list = window->findChild<QListWidget *>("listWidgetTerminal");
    if (!list)
        harnessBroken("the window has no terminal list");
    return list;
}

} // namespace

void create()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    new QApplication(argc, argv);
    window = new MainWindow;
}

// A renamed slot must stop the run rather than leave a fuzzer that reaches nothing.
void tick(bool remoteTerminal)
{
    const char *slot = remoteTerminal ? "slot_timerDMA_RT" : "slot_timerDMA";
    if (!QMetaObject::invokeMethod(window, slot, Qt::DirectConnection))
        harnessBroken("the window has no timer slot of that name");
}

void clearTerminal()
{
    terminal()->clear();
}

} // namespace polled_window
