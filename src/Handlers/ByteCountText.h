#pragma once

#include <QString>

// How the progress window writes a download's size: decimal megabytes with one decimal, as people read them, in
// the customer's language.
class ByteCountText
{
public:
    // "12.4 MB": bytes / 1,000,000, rounded half up to one decimal.
    static QString megabytes(qint64 bytes);
    // "12.4 MB of 96.0 MB (12%)"; just "12.4 MB" when the total is unknown (negative). The percentage is rounded
    // down, so 100% means complete.
    static QString progress(qint64 received, qint64 expected);
    // Whole percent of expected in received, 0 to 100; -1 when expected is unknown.
    static int percent(qint64 received, qint64 expected);
};
