#pragma once

#include "FlatButton/FlatColorAnimation.h"

#include <QImage>
#include <QMap>
#include <QRectF>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

// One node of the flat button's layer model: frame, background, border, corner, contents, mask, sublayers and the
// colour animations running on it. Positions are in the superlayer's coordinates, y growing downward.
class FlatLayer
{
public:
    FlatLayer() = default;
    FlatLayer(const FlatLayer&) = delete;
    FlatLayer& operator=(const FlatLayer&) = delete;
    virtual ~FlatLayer();

    QRectF frame() const;
    void setFrame(const QRectF& frame);
    bool masksToBounds() const;
    void setMasksToBounds(bool masks);
    double cornerRadius() const;
    void setCornerRadius(double radius);
    double borderWidth() const;
    void setBorderWidth(double width);
    std::optional<QColor> backgroundColor() const;
    void setBackgroundColor(const std::optional<QColor>& color);
    std::optional<QColor> borderColor() const;
    void setBorderColor(const std::optional<QColor>& color);
    // The bitmap the layer shows (for a mask: where it is opaque, the masked layer shows).
    QImage contents() const;
    void setContents(const QImage& contents);
    // The layer whose contents' opacity cuts this layer out; owned by this layer.
    FlatLayer* mask() const;
    void setMask(std::unique_ptr<FlatLayer> mask);

    // Adds on top of the other sublayers; a layer that is already a sublayer moves to the top.
    void addSublayer(FlatLayer* layer);
    void removeFromSuperlayer();
    FlatLayer* superlayer() const;
    const std::vector<FlatLayer*>& sublayers() const;

    // The model value of a colour property: "backgroundColor", "borderColor" (and "foregroundColor" for text).
    virtual std::optional<QColor> colorForKeyPath(const QString& keyPath) const;
    virtual void setColorForKeyPath(const QString& keyPath, const std::optional<QColor>& color);

    // Adds the animation under key, replacing one under the same key; its begin time is now.
    void addAnimation(FlatColorAnimation animation, const QString& key);
    void removeAllAnimations();
    const QMap<QString, FlatColorAnimation>& animations() const;
    // The value shown at time now: the running animation's value, else the model value.
    std::optional<QColor> presentationColor(const QString& keyPath, qint64 now) const;
    // Whether this layer or one below it has an animation still in progress at time now.
    bool isAnimating(qint64 now) const;

    // Draws the layer and its sublayers in its superlayer's coordinates, as they look at time now.
    virtual void paint(QPainter* painter, qint64 now) const;

    // Milliseconds of the monotonic clock the animations run on.
    static qint64 currentTime();

protected:
    virtual void paintContents(QPainter* painter, qint64 now) const;

private:
    QRectF m_frame;
    bool m_masksToBounds = false;
    double m_cornerRadius = 0.0;
    double m_borderWidth = 0.0;
    std::optional<QColor> m_backgroundColor;
    std::optional<QColor> m_borderColor;
    QImage m_contents;
    std::unique_ptr<FlatLayer> m_mask;
    FlatLayer* m_superlayer = nullptr;
    std::vector<FlatLayer*> m_sublayers;
    QMap<QString, FlatColorAnimation> m_animations;
};
