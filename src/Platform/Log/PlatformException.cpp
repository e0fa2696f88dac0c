#include "Platform/Log/PlatformException.h"

#include <execinfo.h>

#include <cstdlib>

PlatformException::PlatformException(const QString& name, const QString& reason)
    : m_name(name), m_reason(reason), m_what(reason.toUtf8()), m_callStack(captureCallStack())
{
}

const char* PlatformException::what() const noexcept
{
    return m_what.constData();
}

QString PlatformException::name() const
{
    return m_name;
}

QString PlatformException::reason() const
{
    return m_reason;
}

QStringList PlatformException::callStackSymbols() const
{
    return m_callStack;
}

QStringList PlatformException::captureCallStack()
{
    void* frames[64];
    const int count = backtrace(frames, 64);
    QStringList symbols;
    char** names = backtrace_symbols(frames, count);
    if (!names) {
        return symbols;
    }
    // Frame 0 is this function itself.
    for (int i = 1; i < count; ++i) {
        symbols << QString::fromLocal8Bit(names[i]);
    }
    std::free(names);
    return symbols;
}
