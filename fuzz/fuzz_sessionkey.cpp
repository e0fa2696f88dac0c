// Session-ID editing and the name cut on any text: the bytes read as UTF-8, and as raw UTF-16 units (which reach
// lone surrogates, as a paste can). Checks what the fields promise, not only that nothing crashes.
#include "Handlers/OrvoPluginWindowHandler.h"
#include "Handlers/SessionKeyText.h"

#include <QChar>
#include <QList>
#include <QStringView>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

bool allDigits(const QString& text)
{
    for (const char32_t c : QStringView(text).toUcs4()) {
        if (QChar::category(c) != QChar::Number_DecimalDigit) {
            return false;
        }
    }
    return true;
}

// A high surrogate at the end of a text cut from whole whose next unit is a low one: a split pair.
bool splitsPair(const QString& cut, const QString& whole)
{
    const qsizetype n = cut.size();
    return n > 0 && n < whole.size() && cut.at(n - 1).isHighSurrogate() && whole.at(n).isLowSurrogate();
}

void check(OrvoPluginWindowHandler& window, const QString& text, qsizetype count)
{
    // Digit extraction: digits only, in order, none added, and extracting again changes nothing.
    const QString digits = SessionKeyText::digits(text);
    require(allDigits(digits));
    require(SessionKeyText::characterCount(digits) <= SessionKeyText::characterCount(text));
    require(SessionKeyText::digits(digits) == digits);

    // The 10-digit cut keeps the first ten whole.
    const QString kept = SessionKeyText::firstCharacters(digits, SessionKeyText::maximumDigits);
    require(SessionKeyText::characterCount(kept) ==
            std::min(SessionKeyText::characterCount(digits), SessionKeyText::maximumDigits));
    require(digits.startsWith(kept));

    // The grouped display gives back exactly those digits, has no blank or hyphen at either end, and editing it
    // again (as the field does after every change) shows the same text.
    const QString shown = window.formattedStringFromString(kept);
    require(SessionKeyText::digits(shown) == kept);
    require(shown.isEmpty() || (!shown.front().isSpace() && !shown.back().isSpace() && !shown.endsWith(u'-')));
    require(window.formattedStringFromString(SessionKeyText::firstCharacters(SessionKeyText::digits(shown),
                                                                             SessionKeyText::maximumDigits)) == shown);

    // Any prefix by characters: never more than asked, never a split pair.
    const QString first = SessionKeyText::firstCharacters(text, count);
    require(SessionKeyText::characterCount(first) == std::min(count, SessionKeyText::characterCount(text)));
    require(text.startsWith(first) && !splitsPair(first, text));

    // The name cut: at most 40 units, a prefix, shorter than 40 only to keep a pair whole.
    const QString name = SessionKeyText::cutName(text);
    require(name.size() <= SessionKeyText::maximumNameUnits && text.startsWith(name) && !splitsPair(name, text));
    require(name.size() == std::min(text.size(), SessionKeyText::maximumNameUnits) ||
            name.size() == SessionKeyText::maximumNameUnits - 1);
    require(SessionKeyText::cutName(name) == name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static OrvoPluginWindowHandler window;
    const char* bytes = reinterpret_cast<const char*>(data);
    // The first byte also serves as the count of characters to keep.
    const qsizetype count = size > 0 ? data[0] % 48 : 0;
    check(window, QString::fromUtf8(bytes, static_cast<qsizetype>(size)), count);
    QString units(static_cast<qsizetype>(size / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < units.size(); ++i) {
        units[i] = QChar(static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8)));
    }
    check(window, units, count);
    return 0;
}
