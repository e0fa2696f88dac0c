#pragma once

#include <QColor>
#include <QString>

#include <optional>

// One basic colour animation of a layer property: from a value to a value over a duration, from a start time.
struct FlatColorAnimation
{
    QString keyPath;
    std::optional<QColor> fromValue;
    std::optional<QColor> toValue;
    double duration = 0.0;
    bool removedOnCompletion = true;
    // Milliseconds on the layer clock (FlatLayer::currentTime) when it was added.
    qint64 beginTime = 0;
};
