#include "Handlers/ByteCountText.h"

#include <QCoreApplication>

#include <algorithm>

QString ByteCountText::megabytes(qint64 bytes)
{
    // Whole tenths, so no binary fraction decides the rounding.
    const qint64 tenths = (std::max<qint64>(bytes, 0) + 50000) / 100000;
    //: %1.%2 is the size in megabytes with one decimal.
    return QCoreApplication::translate("ByteCountText", "%1.%2 MB").arg(tenths / 10).arg(tenths % 10);
}

QString ByteCountText::progress(qint64 received, qint64 expected)
{
    if (expected < 0) {
        return megabytes(received);
    }
    //: 12.4 MB of 96.0 MB (12%)
    return QCoreApplication::translate("ByteCountText", "%1 of %2 (%3%)")
        .arg(megabytes(received), megabytes(expected))
        .arg(percent(received, expected));
}

int ByteCountText::percent(qint64 received, qint64 expected)
{
    if (expected < 0) {
        return -1;
    }
    if (expected == 0 || received >= expected) {
        return 100;
    }
    return static_cast<int>(std::max<qint64>(received, 0) * 100 / expected);
}
