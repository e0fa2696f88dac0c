#pragma once

#include <QObject>
#include <QString>

class QTimer;

// Plays the customer at the join window: once the session-ID field has the focus, types the session ID, Tab, the
// name, Tab and Return on the Join button, the way a customer at the keyboard would. Gives up after a bounded wait.
class JoinTypist : public QObject
{
    Q_OBJECT

public:
    JoinTypist(QString sessionId, QString name, QObject* parent = nullptr);

private:
    void tryTyping();

    QString m_sessionId;
    QString m_name;
    QTimer* m_timer = nullptr;
    int m_attempts = 0;
};
