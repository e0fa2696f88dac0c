#pragma once

#include <QObject>

class QSocketNotifier;

// The platform's Quit command on this build: SIGTERM, SIGINT and the standard Quit shortcut, all taking the
// graceful termination path.
class QuitCommand : public QObject
{
    Q_OBJECT

public:
    // Installs the signal handlers and the application-wide shortcut filter.
    explicit QuitCommand(QObject* parent = nullptr);
    ~QuitCommand() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
