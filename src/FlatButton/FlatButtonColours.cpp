#include "FlatButton/FlatButtonColours.h"

FlatButtonColours::Set FlatButtonColours::forState(int state) const
{
    if (state == 1) {
        return {borderHighlight, backgroundHighlight, imageHighlight, titleHighlight, onAnimateDuration};
    }
    return {borderNormal, backgroundNormal, imageNormal, titleNormal, offAnimateDuration};
}
