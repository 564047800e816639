// Drives the real MainWindow by object name, as a user at the bench would.
#ifndef WINDOW_PROBE_H
#define WINDOW_PROBE_H

#include "main_window.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStringList>
#include <QTimer>
#include <QtTest>

class WindowProbe
{
public:
    MainWindow window;

    template<typename Widget>
    Widget *widget(const char *name) const
    {
        Widget *found = window.findChild<Widget *>(name);
        if (!found)
            qFatal("no widget named %s", name);
        return found;
    }

    QListWidget *terminal() const { return widget<QListWidget>("listWidgetTerminal"); }
    QComboBox *channels() const { return widget<QComboBox>("comboBoxChannels"); }

    // Which of the named widgets are enabled, "1" or "0" each, in their order.
    QString enabled(std::initializer_list<const char *> names) const
    {
        QString flags;
        for (const char *name : names)
            flags += widget<QWidget>(name)->isEnabled() ? '1' : '0';
        return flags;
    }

    // QAbstractButton::click does nothing on a disabled button, as a mouse would.
    void click(const char *name) { widget<QPushButton>(name)->click(); }

    void selectChannel(int index)
    {
        click("pushButtonUpdateListChannels");
        channels()->setCurrentIndex(index);
    }

    void setAddress(int address) { widget<QSpinBox>("spinBox")->setValue(address); }

    // Timer slots are private; the meta-object reaches them as the timers do.
    void invoke(const char *slot) { QVERIFY(QMetaObject::invokeMethod(&window, slot)); }

    // The terminal's messages without their time stamps.
    QStringList messages() const
    {
        QStringList texts;
        for (int row = 0; row < terminal()->count(); ++row)
            texts.append(terminal()->item(row)->text().mid(timeStampLength));
        return texts;
    }

    void clearTerminal() { terminal()->clear(); }

    // The interval of the window's running timer, or 0 when none runs.
    int activeTimerInterval() const
    {
        for (const QTimer *timer : window.findChildren<QTimer *>()) {
            if (timer->isActive())
                return timer->interval();
        }
        return 0;
    }

    static constexpr int timeStampLength = 14; // "hh:mm:ss.zzz: "
};

#endif
