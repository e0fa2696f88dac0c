#pragma once

#include <QString>

// The text rules of the join window's two fields: the session ID's digits and the name's length.
class SessionKeyText
{
public:
    // The characters of the Unicode decimal-digit class (digits of every script), in their order.
    static QString digits(const QString& text);
    // The number of characters (not UTF-16 units) in text.
    static qsizetype characterCount(const QString& text);
    // The first count characters of text.
    static QString firstCharacters(const QString& text, qsizetype count);
    // The name cut to 40 UTF-16 units; a character that would be split stays out whole.
    static QString cutName(const QString& name);

    static constexpr qsizetype maximumDigits = 10;
    static constexpr qsizetype maximumNameUnits = 40;
};
