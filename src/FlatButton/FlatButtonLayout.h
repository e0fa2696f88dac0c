#pragma once

#include <QPointF>
#include <QRectF>

// Where the flat button puts its image silhouette and its title. W and H: the button's size; iw and ih: the
// image's size; tw and th: the title's measured size (each 0 when absent); s: the spacing; p: the image position
// (0 no image, 1 image only, 2 left, 3 right, 4 below, 5 above, 6 overlaps, 7 leading, 8 trailing).
class FlatButtonLayout
{
public:
    struct Input
    {
        double W = 0, H = 0, iw = 0, ih = 0, tw = 0, th = 0, s = 0;
        int p = 0;
        // Image and title form one centred block; otherwise they go to opposite edges.
        bool hug = false;
    };

    static QPointF imageOrigin(const Input& in);
    static QPointF titleOrigin(const Input& in);
    // The image mask's frame: origin rounded (halves away from zero), size as it is.
    static QRectF maskFrame(const Input& in);
    // The title layer's frame: origin rounded (halves away from zero), size rounded up.
    static QRectF titleFrame(const Input& in);
};
