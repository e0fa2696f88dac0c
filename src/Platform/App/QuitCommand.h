#pragma once

#include <QObject>

class QSocketNotifier;

// The platform's Quit command on this build: SIGTERM, SIGINT and the standard Quit shortcut, all taking the
// graceful termination path.
class QuitCommand : public QObject
{
    Q_OBJECT

public:
    // Installs the signal handlers and the application-wide shortcut filter. While another QuitCommand owns the
    // signals, a second one says so on standard error and takes only the shortcut.
    explicit QuitCommand(QObject* parent = nullptr);
    // Closes the signal socket and puts back the signal dispositions found at construction.
    ~QuitCommand() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
