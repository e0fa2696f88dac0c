#include "Platform/JsonParser.h"

#include <QHash>

#include <charconv>
#include <cmath>
#include <cstring>
#include <locale.h>
#include <stdlib.h>
#include <string>

namespace {

// Deeper documents are refused so hostile input cannot exhaust the stack.
constexpr int MaxDepth = 512;
// Objects larger than this look up duplicate keys through a hash instead of a scan.
constexpr size_t LinearKeySearchLimit = 16;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// strtod honours the global locale's decimal point; the C locale keeps '.' fixed.
locale_t cLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

} // namespace

// A cursor over the document; each parse step consumes what it read or reports false.
struct JsonParser::Reader
{
    using Storage = JsonValue::Storage;
    using Elements = JsonValue::Elements;
    using Members = JsonValue::Members;
    using Member = JsonValue::Member;

    const char* p;
    const char* end;
    int depth = 0;

    bool atEnd() const { return p == end; }

    void skipWhitespace()
    {
        while (p != end && (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r')) {
            ++p;
        }
    }

    bool consume(char c)
    {
        if (p != end && *p == c) {
            ++p;
            return true;
        }
        return false;
    }

    bool consumeWord(const char* word)
    {
        const size_t length = std::strlen(word);
        if (size_t(end - p) < length || std::memcmp(p, word, length) != 0) {
            return false;
        }
        p += length;
        return true;
    }

    bool parseDocument(JsonValue& out)
    {
        if (end - p >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) {
            p += 3;
        }
        skipWhitespace();
        if (atEnd() || (*p != '{' && *p != '[')) {
            return false;
        }
        if (!parseValue(out)) {
            return false;
        }
        skipWhitespace();
        return atEnd();
    }

    bool parseValue(JsonValue& out)
    {
        skipWhitespace();
        if (atEnd()) {
            return false;
        }
        switch (*p) {
        case '{':
            return parseObject(out);
        case '[':
            return parseArray(out);
        case '"': {
            QString text;
            if (!parseString(text)) {
                return false;
            }
            out = JsonValue(Storage(std::move(text)));
            return true;
        }
        case 't':
            out = JsonValue(Storage(true));
            return consumeWord("true");
        case 'f':
            out = JsonValue(Storage(false));
            return consumeWord("false");
        case 'n':
            out = JsonValue();
            return consumeWord("null");
        default:
            return parseNumber(out);
        }
    }

    bool parseArray(JsonValue& out)
    {
        ++p;
        if (++depth > MaxDepth) {
            return false;
        }
        auto elements = std::make_shared<Elements>();
        skipWhitespace();
        if (!consume(']')) {
            for (;;) {
                JsonValue element;
                if (!parseValue(element)) {
                    return false;
                }
                elements->push_back(std::move(element));
                skipWhitespace();
                if (consume(']')) {
                    break;
                }
                if (!consume(',')) {
                    return false;
                }
            }
        }
        --depth;
        out = JsonValue(Storage(std::shared_ptr<const Elements>(std::move(elements))));
        return true;
    }

    bool parseObject(JsonValue& out)
    {
        ++p;
        if (++depth > MaxDepth) {
            return false;
        }
        auto members = std::make_shared<Members>();
        QHash<QString, size_t> positions;
        skipWhitespace();
        if (!consume('}')) {
            for (;;) {
                skipWhitespace();
                QString key;
                if (!parseString(key)) {
                    return false;
                }
                skipWhitespace();
                if (!consume(':')) {
                    return false;
                }
                JsonValue value;
                if (!parseValue(value)) {
                    return false;
                }
                storeMember(*members, positions, std::move(key), std::move(value));
                skipWhitespace();
                if (consume('}')) {
                    break;
                }
                if (!consume(',')) {
                    return false;
                }
            }
        }
        --depth;
        out = JsonValue(Storage(std::shared_ptr<const Members>(std::move(members))));
        return true;
    }

    // A repeated key takes the new value but keeps the position where it first appeared.
    static void storeMember(Members& members, QHash<QString, size_t>& positions, QString key, JsonValue value)
    {
        if (positions.isEmpty() && members.size() < LinearKeySearchLimit) {
            for (Member& member : members) {
                if (member.first == key) {
                    member.second = std::move(value);
                    return;
                }
            }
            members.emplace_back(std::move(key), std::move(value));
            return;
        }
        if (positions.isEmpty()) {
            for (size_t i = 0; i < members.size(); ++i) {
                positions.insert(members[i].first, i);
            }
        }
        const auto found = positions.constFind(key);
        if (found != positions.constEnd()) {
            members[*found].second = std::move(value);
            return;
        }
        positions.insert(key, members.size());
        members.emplace_back(std::move(key), std::move(value));
    }

    bool parseHex4(char32_t& out)
    {
        if (end - p < 4) {
            return false;
        }
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = hexDigit(p[i]);
            if (digit < 0) {
                return false;
            }
            out = out * 16 + char32_t(digit);
        }
        p += 4;
        return true;
    }

    bool parseEscape(QString& out)
    {
        if (atEnd()) {
            return false;
        }
        const char c = *p++;
        switch (c) {
        case '"':
        case '\\':
        case '/':
            out += QLatin1Char(c);
            return true;
        case 'b':
            out += QChar(u'\b');
            return true;
        case 'f':
            out += QChar(u'\f');
            return true;
        case 'n':
            out += QChar(u'\n');
            return true;
        case 'r':
            out += QChar(u'\r');
            return true;
        case 't':
            out += QChar(u'\t');
            return true;
        case 'u':
            break;
        default:
            return false;
        }
        char32_t unit = 0;
        if (!parseHex4(unit)) {
            return false;
        }
        if (QChar::isLowSurrogate(unit)) {
            return false;
        }
        if (QChar::isHighSurrogate(unit)) {
            char32_t low = 0;
            if (!consumeWord("\\u") || !parseHex4(low) || !QChar::isLowSurrogate(low)) {
                return false;
            }
            out += QChar(char16_t(unit));
            out += QChar(char16_t(low));
            return true;
        }
        out += QChar(char16_t(unit));
        return true;
    }

    // Strict UTF-8: no overlong forms, no encoded surrogates, nothing past U+10FFFF.
    bool parseUtf8Sequence(QString& out)
    {
        const auto lead = static_cast<unsigned char>(*p);
        int length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (end - p < length) {
            return false;
        }
        for (int i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(p[i]);
            const unsigned char min = i == 1 ? low : 0x80;
            const unsigned char max = i == 1 ? high : 0xBF;
            if (next < min || next > max) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        p += length;
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        return true;
    }

    bool parseString(QString& out)
    {
        if (!consume('"')) {
            return false;
        }
        while (!atEnd()) {
            const auto c = static_cast<unsigned char>(*p);
            if (c == '"') {
                ++p;
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                ++p;
                if (!parseEscape(out)) {
                    return false;
                }
            } else if (c < 0x80) {
                out += QLatin1Char(char(c));
                ++p;
            } else if (!parseUtf8Sequence(out)) {
                return false;
            }
        }
        return false;
    }

    bool parseNumber(JsonValue& out)
    {
        const char* start = p;
        consume('-');
        if (consume('0')) {
            // A leading zero stands alone; any digit after it is left for the caller to reject.
        } else if (!atEnd() && *p >= '1' && *p <= '9') {
            while (!atEnd() && isDigit(*p)) {
                ++p;
            }
        } else {
            return false;
        }
        if (consume('.')) {
            if (atEnd() || !isDigit(*p)) {
                return false;
            }
            while (!atEnd() && isDigit(*p)) {
                ++p;
            }
        }
        if (!atEnd() && (*p == 'e' || *p == 'E')) {
            ++p;
            if (!consume('+')) {
                consume('-');
            }
            if (atEnd() || !isDigit(*p)) {
                return false;
            }
            while (!atEnd() && isDigit(*p)) {
                ++p;
            }
        }
        const std::string lexeme(start, p);
        const double value = strtod_l(lexeme.c_str(), nullptr, cLocale());
        // Overflow would need infinity, which JSON cannot carry; underflow rounds toward zero.
        if (!std::isfinite(value)) {
            return false;
        }
        out = JsonValue(Storage(value));
        return true;
    }
};

std::optional<JsonValue> JsonParser::parse(const QByteArray& data)
{
    Reader reader{data.constData(), data.constData() + data.size()};
    JsonValue result;
    if (!reader.parseDocument(result)) {
        return std::nullopt;
    }
    return result;
}
