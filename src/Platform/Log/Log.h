#pragma once

#include "Platform/Log/OptionalString.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <initializer_list>

// One argument of a log format, already turned into the text its conversion prints.
class LogArg
{
public:
    LogArg(const char* text);
    LogArg(const QString& text);
    LogArg(const OptionalString& text);
    LogArg(int value);
    LogArg(long value);
    LogArg(const QStringList& list);

    QString text() const;

private:
    QString m_text;
};

// The process-wide log call: one line on the C library's standard error, with date, process and thread prefix.
class Log
{
public:
    // Formats with %s, %@, %d, %ld (and %%) taking the arguments in order, then writes one line.
    template <typename... Args> static void write(const char* format, const Args&... args)
    {
        writeArgs(format, {LogArg(args)...});
    }

    // Formats without writing; exposed so the format rules can be checked on their own.
    static QString format(const char* format, std::initializer_list<LogArg> args);

    // Writes an already formatted message as one log line.
    static void writeMessage(const QString& message);

    // Sends Qt's own warnings and messages through the same log call.
    static void installQtMessageHandler();

    // The platform's description of a list of texts: "(\n    a,\n    \"b c\"\n)", each item shown as outsideText.
    static QString describeList(const QStringList& list);

    // How much outside text one log line shows at the most.
    static constexpr qsizetype outsideTextBound = 1024;
    // Text from outside (a reply, an image, a URL) as a log line shows it: control, separator and format characters
    // escaped ("\n", "\x1b", "\u2028"), cut past bound characters with the full length noted.
    static QString outsideText(QStringView text, qsizetype bound = outsideTextBound);
    // The same for a value that may be absent, which stays absent ("(null)" in a line).
    static OptionalString outsideValue(const OptionalString& text);

private:
    static void writeArgs(const char* format, std::initializer_list<LogArg> args);
};
