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
    const QList<uint> characters = QStringView(text).toUcs4();
    if (characters.size() <= count) {
        return text;
    }
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(characters.constData()), count);
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
