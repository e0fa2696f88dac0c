#pragma once

#include <QColor>

#include <optional>

// The flat button's two colour sets and their durations; the state picks the set.
class FlatButtonColours
{
public:
    struct Set
    {
        std::optional<QColor> border, background, image, title;
        double duration = 0.0;
    };

    std::optional<QColor> borderNormal, borderHighlight;
    std::optional<QColor> backgroundNormal, backgroundHighlight;
    std::optional<QColor> imageNormal, imageHighlight;
    std::optional<QColor> titleNormal, titleHighlight;
    double onAnimateDuration = 0.0;
    double offAnimateDuration = 0.0;

    // State 1 (on): the highlight colours with the on duration; any other state: the normal ones with the off one.
    Set forState(int state) const;
};
