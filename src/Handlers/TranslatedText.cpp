#include "Handlers/TranslatedText.h"

#include <QCoreApplication>
#include <QGuiApplication>

TranslatedText::TranslatedText(const char* context, const char* source) : m_context(context), m_source(source) {}

TranslatedText::TranslatedText(const QString& text) : m_plain(text) {}

TranslatedText TranslatedText::arg(const QString& value) const
{
    TranslatedText result = *this;
    result.m_arguments.append(value);
    return result;
}

TranslatedText TranslatedText::arg(qint64 value) const
{
    return arg(QString::number(value));
}

QString TranslatedText::english() const
{
    return fill(m_source ? QString::fromUtf8(m_source) : m_plain, false);
}

QString TranslatedText::shown() const
{
    if (!m_source) {
        return fill(m_plain, false);
    }
    return fill(QCoreApplication::translate(m_context, m_source), QGuiApplication::isRightToLeft());
}

QString TranslatedText::fill(QString text, bool isolate) const
{
    for (const QString& value : m_arguments) {
        // Left-to-right isolate ... pop directional isolate.
        text = text.arg(isolate ? QStringLiteral("\u2066") + value + QStringLiteral("\u2069") : value);
    }
    return text;
}
