#pragma once

#include "Platform/Log/PlatformException.h"

#include <QString>
#include <QStringList>

#include <exception>

// The boundary every operation that does real work puts around its body: an exception is logged and swallowed.
class ExceptionGuard
{
public:
    // Runs body; returns false when it raised, after logging the exception line under fullName.
    template <typename Body> static bool run(const char* fullName, Body&& body)
    {
        try {
            body();
            return true;
        } catch (const PlatformException& e) {
            logException(fullName, e.reason(), e.callStackSymbols());
        } catch (const std::exception& e) {
            logException(fullName, QString::fromUtf8(e.what()), PlatformException::captureCallStack());
        } catch (...) {
            logException(fullName, QStringLiteral("unknown exception"), PlatformException::captureCallStack());
        }
        return false;
    }

    // Writes the exception line: name, description and call-stack symbols.
    static void logException(const char* fullName, const QString& description, const QStringList& symbols);
};
