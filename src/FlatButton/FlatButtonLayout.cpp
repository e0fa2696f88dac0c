#include "FlatButton/FlatButtonLayout.h"

#include <cmath>

QPointF FlatButtonLayout::imageOrigin(const Input& in)
{
    const double centreX = (in.W - in.iw) / 2;
    const double centreY = (in.H - in.ih) / 2;
    switch (in.p) {
    case 1:
    case 6:
        return {centreX, centreY};
    case 2:
    case 7:
        return {in.hug ? (in.W - in.iw - in.tw) / 2 - in.s : in.s, centreY};
    case 3:
    case 8:
        return {in.hug ? (in.W - in.iw + in.tw) / 2 + in.s : in.W - in.iw - in.s, centreY};
    case 4:
        return {centreX, in.hug ? (in.H - in.ih + in.th) / 2 + in.s : in.H - in.ih - in.s};
    case 5:
        return {centreX, in.hug ? (in.H - in.ih - in.th) / 2 - in.s : in.s};
    default:
        return {0, 0};
    }
}

QPointF FlatButtonLayout::titleOrigin(const Input& in)
{
    const double centreX = (in.W - in.tw) / 2;
    const double centreY = (in.H - in.th) / 2;
    switch (in.p) {
    case 0:
    case 6:
        return {centreX, centreY};
    case 2:
    case 7:
        return {in.hug ? (in.W + in.iw - in.tw) / 2 + in.s : in.W - in.tw - in.s, centreY};
    case 3:
    case 8:
        return {in.hug ? (in.W - in.iw - in.tw) / 2 - in.s : in.s, centreY};
    case 4:
        return {centreX, in.hug ? (in.H - in.ih - in.th) / 2 - in.s : in.s};
    case 5:
        return {centreX, in.hug ? (in.H + in.ih - in.th) / 2 + in.s : in.H - in.th - in.s};
    default:
        return {0, 0};
    }
}

QRectF FlatButtonLayout::maskFrame(const Input& in)
{
    const QPointF origin = imageOrigin(in);
    return {std::round(origin.x()), std::round(origin.y()), in.iw, in.ih};
}

QRectF FlatButtonLayout::titleFrame(const Input& in)
{
    const QPointF origin = titleOrigin(in);
    return {std::round(origin.x()), std::round(origin.y()), std::ceil(in.tw), std::ceil(in.th)};
}
