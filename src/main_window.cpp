#include "main_window.h"
#include "ui_main_window.h"

#include "channel_finder.h"
#include "process/memory_limit.h"
#include "terminal/terminal_writer.h"

#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      DMA_BLOCK_SIZE(128),
      ui(new Ui::MainWindow),
      chDevice(-1),
      chMode(0),
      channelTimerBC(nullptr),
      channelTimerRT(nullptr)
{
    // The icon collection lives in a static library: this reference is what
    // links it in (its own initializer registers it before main runs).
    Q_INIT_RESOURCE(recources);
    ui->setupUi(this);
    // Disabled only once their buttons exist: a widget made inside a disabled
    // parent is announced to a screen reader running from the start as a
    // bare widget named after the group, and never as the button it is.
    ui->groupBoxDriverTest->setEnabled(false);
    ui->groupBoxSimpleTest->setEnabled(false);
    // A quarter of what the tool may use: the bench PC runs a desktop and
    // other tools beside it, and a second instance for a second board must
    // still fit.
    auto *terminal = new TerminalWriter(ui->listWidgetTerminal, usableMemoryBytes() / 4);

    connect(this, &MainWindow::signal_writeInTerminal, this, [this, terminal](const QString &text) {
        if (const int cut = terminal->makeRoom())
            emit signal_writeInTerminal(QString("Терминал достиг предела памяти (%1 МБ), удалены самые старые строки: %2")
                                            .arg(terminal->ceilingBytes() >> 20)
                                            .arg(cut));
        terminal->append(text);
    });
    connect(ui->pushButtonClear, &QPushButton::clicked, ui->listWidgetTerminal, &QListWidget::clear);
    connect(ui->pushButton_startDriverTest, &QPushButton::clicked, this, &MainWindow::slot_driverTest);
    connect(ui->pushButton_startDriverTest, &QPushButton::clicked, this, [this]() {
        ui->pushButton_startDriverTest->setEnabled(false);
        ui->pushButton_stopDriverTest->setEnabled(true);
    });
    connect(ui->pushButton_stopDriverTest, &QPushButton::clicked, this, [this]() {
        emit signal_writeInTerminal("Стоп!");
        ui->pushButton_startDriverTest->setEnabled(true);
        ui->pushButton_stopDriverTest->setEnabled(false);
    });

    channelTimerBC = new QTimer(this);
    connect(channelTimerBC, &QTimer::timeout, this, &MainWindow::slot_timerDMA);
    channelTimerRT = new QTimer(this);
    connect(channelTimerRT, &QTimer::timeout, this, &MainWindow::slot_timerDMA_RT);

    const auto slot_enableButtons = [this]() {
        ui->pushButton_initBC->setEnabled(false);
        ui->pushButton_initRT->setEnabled(false);
        ui->pushButton_Stop->setEnabled(true);
    };
    connect(ui->pushButton_initBC, &QPushButton::clicked, this, &MainWindow::slot_initBC);
    connect(ui->pushButton_initRT, &QPushButton::clicked, this, &MainWindow::slot_initRT);
    connect(ui->pushButton_Stop, &QPushButton::clicked, this, [this]() {
        emit signal_writeInTerminal("Стоп!");
        ui->pushButton_initBC->setEnabled(true);
        ui->pushButton_initRT->setEnabled(true);
        ui->pushButton_Stop->setEnabled(false);
        if (channelTimerBC)
            channelTimerBC->stop();
        if (channelTimerRT)
            channelTimerRT->stop();
    });
    connect(ui->pushButton_initBC, &QPushButton::clicked, this, slot_enableButtons);
    connect(ui->pushButton_initRT, &QPushButton::clicked, this, slot_enableButtons);
    connect(ui->pushButtonUpdateListChannels, &QPushButton::clicked, this, [this]() {
        ui->comboBoxChannels->clear();
        for (const ChannelFinder::ChannelInfo &channel : ChannelFinder::getChannelInfoList())
            ui->comboBoxChannels->addItem(channel.toString());
    });
    connect(ui->comboBoxChannels, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this](int index) {
                ui->groupBoxDriverTest->setEnabled(index >= 0);
                ui->groupBoxSimpleTest->setEnabled(index >= 0);
            });
}

MainWindow::~MainWindow()
{
    delete ui;
}

// Every test start opens the selected node afresh. The list is read again, so
// a node that vanished since the combo box was filled must not be read past
// the end of the new list: it counts as a node that would not open.
bool MainWindow::openSelectedChannel(const QString &header)
{
    const int index = ui->comboBoxChannels->currentIndex();
    if (index < 0)
        return false;
    const QStringList channels = ChannelFinder::getChannelList();
    const QString nameChannel = channels.value(index);
    emit signal_writeInTerminal(header.arg(nameChannel));

    // Nothing uses a replaced descriptor again, so it is closed rather than
    // left open until the process ends.
    const int previous = chDevice;
    chDevice = index < channels.size() ? ::open(nameChannel.toLatin1().constData(), O_RDWR) : -1;
    if (previous >= 0)
        ::close(previous);

    if (chDevice <= 0) {
        emit signal_writeInTerminal("Символьное устройство канала не найдено!");
        return false;
    }
    return true;
}
