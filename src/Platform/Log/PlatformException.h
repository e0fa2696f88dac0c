#pragma once

#include <QString>
#include <QStringList>

#include <exception>

// An exception as the platform raises it: a name, a reason, and the call stack captured where it was thrown.
class PlatformException : public std::exception
{
public:
    PlatformException(const QString& name, const QString& reason);

    const char* what() const noexcept override;
    QString name() const;
    QString reason() const;
    QStringList callStackSymbols() const;

    // The current thread's call stack as printable symbols, innermost first.
    static QStringList captureCallStack();

private:
    QString m_name;
    QString m_reason;
    QByteArray m_what;
    QStringList m_callStack;
};
