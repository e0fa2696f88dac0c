#include "Handlers/SessionKeyText.h"

#include <QList>
#include <QStringView>

QString SessionKeyText::digits(const QString& text)
{
    QString result;
    for (const char32_t c : QStringView(text).toUcs4()) {
        if (QChar::category(c) == QChar::Number_DecimalDigit) {
            result.append(QString::fromUcs4(&c, 1));
        }
    }
    return result;
}

qsizetype SessionKeyText::characterCount(const QString& text)
{
    return QStringView(text).toUcs4().size();
}

QString SessionKeyText::firstCharacters(const QString& text, qsizetype count)
{
    // Walked by UTF-16 units so that the part kept is the text's own: a lone surrogate stays as it is (and counts
    // as one character), where converting to characters and back would replace it.
    qsizetype units = 0;
    for (qsizetype kept = 0; kept < count && units < text.size(); ++kept) {
        const bool pair =
            text.at(units).isHighSurrogate() && units + 1 < text.size() && text.at(units + 1).isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

QString SessionKeyText::cutName(const QString& name)
{
    if (name.size() <= maximumNameUnits) {
        return name;
    }
    qsizetype length = maximumNameUnits;
    if (name.at(length - 1).isHighSurrogate() && name.at(length).isLowSurrogate()) {
        --length;
    }
    return name.left(length);
}
