#include "Platform/Log/Log.h"

#include <QDateTime>
#include <QMutex>

#include <stdio.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

LogArg::LogArg(const char* text) : m_text(text ? QString::fromUtf8(text) : QStringLiteral("(null)")) {}

LogArg::LogArg(const QString& text) : m_text(text) {}

LogArg::LogArg(const OptionalString& text) : m_text(text.value_or(QStringLiteral("(null)"))) {}

LogArg::LogArg(int value) : m_text(QString::number(value)) {}

LogArg::LogArg(long value) : m_text(QString::number(value)) {}

LogArg::LogArg(const QStringList& list) : m_text(Log::describeList(list)) {}

QString LogArg::text() const
{
    return m_text;
}

QString Log::describeList(const QStringList& list)
{
    // Items are quoted when they hold anything but ASCII letters, digits and underscores, as the platform does.
    // A plain loop: a regular expression here loaded and compiled one at every start.
    const auto plain = [](const QString& item) {
        return !item.isEmpty() && std::all_of(item.begin(), item.end(), [](QChar c) {
            return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
        });
    };
    QStringList items;
    for (const QString& item : list) {
        if (plain(item)) {
            items << item;
        } else {
            QString quoted = item;
            quoted.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
            items << QLatin1Char('"') + outsideText(quoted) + QLatin1Char('"');
        }
    }
    if (items.isEmpty()) {
        return QStringLiteral("(\n)");
    }
    return QStringLiteral("(\n    ") + items.join(QStringLiteral(",\n    ")) + QStringLiteral("\n)");
}

QString Log::outsideText(QStringView text, qsizetype bound)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size() && out.size() < bound) {
        char32_t c = text[i].unicode();
        qsizetype width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i].unicode(), text[i + 1].unicode());
            width = 2;
        }
        const QChar::Category category = QChar::category(c);
        // A lone surrogate cannot be written as UTF-8; separators and format characters move or hide text.
        const bool shown = category != QChar::Other_Control && category != QChar::Other_Format &&
                           category != QChar::Other_Surrogate && category != QChar::Separator_Line &&
                           category != QChar::Separator_Paragraph;
        if (shown) {
            out += text.mid(i, width);
        } else if (c == u'\n') {
            out += QLatin1String("\\n");
        } else if (c == u'\r') {
            out += QLatin1String("\\r");
        } else if (c == u'\t') {
            out += QLatin1String("\\t");
        } else if (c < 0x100) {
            out += QStringLiteral("\\x%1").arg(static_cast<uint>(c), 2, 16, QLatin1Char('0'));
        } else if (c < 0x10000) {
            out += QStringLiteral("\\u%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\U%1").arg(static_cast<uint>(c), 8, 16, QLatin1Char('0'));
        }
        i += width;
    }
    if (i < text.size()) {
        out += QStringLiteral("... (%1 characters)").arg(text.size());
    }
    return out;
}

OptionalString Log::outsideValue(const OptionalString& text)
{
    return text ? OptionalString(outsideText(*text)) : std::nullopt;
}

QString Log::format(const char* format, std::initializer_list<LogArg> args)
{
    QString out;
    auto next = args.begin();
    const auto take = [&]() {
        return next != args.end() ? (next++)->text() : QString();
    };
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            // Keep multi-byte UTF-8 sequences whole.
            const char* start = p;
            while (p[1] && p[1] != '%') {
                ++p;
            }
            out += QString::fromUtf8(start, p - start + 1);
            continue;
        }
        const char c = p[1];
        if (c == '%') {
            out += QLatin1Char('%');
            ++p;
        } else if (c == 's' || c == '@' || c == 'd') {
            out += take();
            ++p;
        } else if (c == 'l' && (p[2] == 'd' || p[2] == 'u')) {
            out += take();
            p += 2;
        } else {
            out += QLatin1Char('%');
        }
    }
    return out;
}

void Log::writeArgs(const char* format, std::initializer_list<LogArg> args)
{
    writeMessage(Log::format(format, args));
}

void Log::writeMessage(const QString& message)
{
    static QMutex mutex;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QByteArray line = QStringLiteral("%1 %2[%3:%4] ")
                          .arg(stamp, QString::fromLocal8Bit(program_invocation_short_name))
                          .arg(getpid())
                          .arg(static_cast<long>(syscall(SYS_gettid)))
                          .toUtf8();
    line += message.toUtf8();
    // Like the platform's log call: a line feed is added only when the message lacks one.
    if (!line.endsWith('\n')) {
        line += '\n';
    }
    QMutexLocker locker(&mutex);
    fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
    fflush(stderr);
}

static void qtMessageHandler(QtMsgType, const QMessageLogContext&, const QString& message)
{
    Log::writeMessage(message);
}

void Log::installQtMessageHandler()
{
    qInstallMessageHandler(qtMessageHandler);
}
