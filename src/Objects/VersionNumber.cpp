#include "Objects/VersionNumber.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace {

// The places without leading zeros, so any length compares without overflow; nothing when not a dotted number.
std::optional<QList<QStringView>> places(const QString& version)
{
    QList<QStringView> out;
    for (QStringView place : QStringView(version).split(QLatin1Char('.'))) {
        if (place.isEmpty()) {
            return std::nullopt;
        }
        for (const QChar c : place) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                return std::nullopt;
            }
        }
        while (place.size() > 1 && place.front() == QLatin1Char('0')) {
            place = place.mid(1);
        }
        out << place;
    }
    return out;
}

int compare(QStringView a, QStringView b)
{
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

} // namespace

bool VersionNumber::isNewer(const QString& offered, const QString& running)
{
    const std::optional<QList<QStringView>> a = places(offered);
    const std::optional<QList<QStringView>> b = places(running);
    if (!a || !b) {
        return false;
    }
    const QStringView zero = u"0";
    for (qsizetype i = 0; i < qMax(a->size(), b->size()); ++i) {
        const int order = compare(i < a->size() ? a->at(i) : zero, i < b->size() ? b->at(i) : zero);
        if (order != 0) {
            return order > 0;
        }
    }
    return false;
}

bool VersionNumber::isNotOlder(const QString& candidate, const QString& installed)
{
    return places(candidate).has_value() && !isNewer(installed, candidate);
}
