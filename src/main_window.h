#ifndef MAIN_WINDOW_H
#define MAIN_WINDOW_H

#include <QMainWindow>
#include <QString>

class QTimer;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

signals:
    void signal_writeInTerminal(QString text);

private slots:
    void slot_driverTest();
    void slot_initBC();
    void slot_initRT();
    void slot_timerDMA();
    void slot_timerDMA_RT();

private:
    void processingDmaBlockTd(unsigned char *block);
    void processingDmaBlockBc(unsigned char *block);

    using BlockReport = void (MainWindow::*)(unsigned char *block);
    void pollBlockQueues(BlockReport reportBlock);
    void reportTransaction(unsigned int typeDmaBlock, unsigned char *block);
    bool openSelectedChannel(const QString &header);

    const int DMA_BLOCK_SIZE;
    Ui::MainWindow *ui;
    int chDevice;
    int chMode;
    QTimer *channelTimerBC;
    QTimer *channelTimerRT;
};

#endif
