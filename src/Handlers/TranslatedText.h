#pragma once

#include <QString>
#include <QStringList>

// A text the customer sees, kept with its English source: the log takes english(), the window shown().
class TranslatedText
{
public:
    TranslatedText() = default;
    // source, marked with QT_TRANSLATE_NOOP under context; both must outlive the text (string literals).
    TranslatedText(const char* context, const char* source);
    // A text with no translation (from outside, or not yet marked): the same in the log and in the window. Implicit,
    // so a plain text goes wherever a translated one may.
    TranslatedText(const QString& text);

    // Both forms with their lowest %n replaced by value; in the window value reads left to right even inside a
    // right-to-left text (host names, numbers).
    TranslatedText arg(const QString& value) const;
    TranslatedText arg(qint64 value) const;

    // The English text, for the log.
    QString english() const;
    // The text in the language of the installed translators, for the window.
    QString shown() const;

private:
    QString fill(QString text, bool isolate) const;

    const char* m_context = nullptr;
    const char* m_source = nullptr;
    QString m_plain;
    QStringList m_arguments;
};
