#pragma once

#include "Platform/Log/Result.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One running plugin per user and home folder: a lock and a local socket in the runtime folder, through which a
// later start hands its arguments to the running plugin instead of running itself.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and listens, so that this process is the running plugin. When a running one holds the lock,
    // hands it the arguments instead and fails with handedOver() true; otherwise fails with the reason.
    Result<> claim(const QStringList& arguments);
    // Whether claim() gave the arguments to the running plugin, so this start has nothing more to do.
    bool handedOver() const;
    // Stops listening and gives up the lock, so that the next start runs.
    void release();

signals:
    // Another start handed over its arguments (program first, as it was started).
    void anotherStart(const QStringList& arguments);

private:
    Result<> listen(const QString& socketPath);
    void readHandOver(QLocalSocket* socket);

    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_handedOver = false;
};
