#include "FlatButton/FlatLayer.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <chrono>

namespace {

// An absent end of an animation is the other end, fully transparent.
QColor endColor(const std::optional<QColor>& color, const std::optional<QColor>& other)
{
    if (color) {
        return color->toRgb();
    }
    QColor clear = other ? other->toRgb() : QColor(Qt::transparent);
    clear.setAlphaF(0.0);
    return clear;
}

double progress(const FlatColorAnimation& animation, qint64 now)
{
    if (animation.duration <= 0.0) {
        return 1.0;
    }
    return std::clamp(static_cast<double>(now - animation.beginTime) / (animation.duration * 1000.0), 0.0, 1.0);
}

QPainterPath outline(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

FlatLayer::~FlatLayer()
{
    removeFromSuperlayer();
    for (FlatLayer* layer : m_sublayers) {
        layer->m_superlayer = nullptr;
    }
}

QRectF FlatLayer::frame() const
{
    return m_frame;
}

void FlatLayer::setFrame(const QRectF& frame)
{
    m_frame = frame;
}

bool FlatLayer::masksToBounds() const
{
    return m_masksToBounds;
}

void FlatLayer::setMasksToBounds(bool masks)
{
    m_masksToBounds = masks;
}

double FlatLayer::cornerRadius() const
{
    return m_cornerRadius;
}

void FlatLayer::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
}

double FlatLayer::borderWidth() const
{
    return m_borderWidth;
}

void FlatLayer::setBorderWidth(double width)
{
    m_borderWidth = width;
}

std::optional<QColor> FlatLayer::backgroundColor() const
{
    return m_backgroundColor;
}

void FlatLayer::setBackgroundColor(const std::optional<QColor>& color)
{
    m_backgroundColor = color;
}

std::optional<QColor> FlatLayer::borderColor() const
{
    return m_borderColor;
}

void FlatLayer::setBorderColor(const std::optional<QColor>& color)
{
    m_borderColor = color;
}

QImage FlatLayer::contents() const
{
    return m_contents;
}

void FlatLayer::setContents(const QImage& contents)
{
    m_contents = contents;
}

FlatLayer* FlatLayer::mask() const
{
    return m_mask.get();
}

void FlatLayer::setMask(std::unique_ptr<FlatLayer> mask)
{
    m_mask = std::move(mask);
}

void FlatLayer::addSublayer(FlatLayer* layer)
{
    if (!layer || layer == this) {
        return;
    }
    layer->removeFromSuperlayer();
    layer->m_superlayer = this;
    m_sublayers.push_back(layer);
}

void FlatLayer::removeFromSuperlayer()
{
    if (!m_superlayer) {
        return;
    }
    auto& siblings = m_superlayer->m_sublayers;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    m_superlayer = nullptr;
}

FlatLayer* FlatLayer::superlayer() const
{
    return m_superlayer;
}

const std::vector<FlatLayer*>& FlatLayer::sublayers() const
{
    return m_sublayers;
}

std::optional<QColor> FlatLayer::colorForKeyPath(const QString& keyPath) const
{
    if (keyPath == QLatin1String("backgroundColor")) {
        return m_backgroundColor;
    }
    if (keyPath == QLatin1String("borderColor")) {
        return m_borderColor;
    }
    return std::nullopt;
}

void FlatLayer::setColorForKeyPath(const QString& keyPath, const std::optional<QColor>& color)
{
    if (keyPath == QLatin1String("backgroundColor")) {
        m_backgroundColor = color;
    } else if (keyPath == QLatin1String("borderColor")) {
        m_borderColor = color;
    }
}

void FlatLayer::addAnimation(FlatColorAnimation animation, const QString& key)
{
    animation.beginTime = currentTime();
    m_animations.insert(key, animation);
}

void FlatLayer::removeAllAnimations()
{
    m_animations.clear();
}

const QMap<QString, FlatColorAnimation>& FlatLayer::animations() const
{
    return m_animations;
}

std::optional<QColor> FlatLayer::presentationColor(const QString& keyPath, qint64 now) const
{
    for (const FlatColorAnimation& animation : m_animations) {
        if (animation.keyPath != keyPath) {
            continue;
        }
        const double t = progress(animation, now);
        if (t >= 1.0) {
            return animation.toValue;
        }
        const QColor from = endColor(animation.fromValue, animation.toValue);
        const QColor to = endColor(animation.toValue, animation.fromValue);
        const auto mix = [t](float a, float b) {
            return a + (b - a) * static_cast<float>(t);
        };
        return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()),
                                mix(from.blueF(), to.blueF()), mix(from.alphaF(), to.alphaF()));
    }
    return colorForKeyPath(keyPath);
}

bool FlatLayer::isAnimating(qint64 now) const
{
    for (const FlatColorAnimation& animation : m_animations) {
        if (progress(animation, now) < 1.0) {
            return true;
        }
    }
    return std::any_of(m_sublayers.begin(), m_sublayers.end(),
                       [now](const FlatLayer* layer) { return layer->isAnimating(now); });
}

void FlatLayer::paint(QPainter* painter, qint64 now) const
{
    if (!m_mask) {
        paintContents(painter, now);
        return;
    }
    if (m_frame.isEmpty()) {
        return;
    }
    // Drawn apart first, then cut out by the mask's opacity.
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    QImage buffer((m_frame.size() * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    buffer.setDevicePixelRatio(ratio);
    buffer.fill(Qt::transparent);
    {
        QPainter offscreen(&buffer);
        offscreen.setRenderHint(QPainter::Antialiasing);
        offscreen.translate(-m_frame.topLeft());
        paintContents(&offscreen, now);
        offscreen.translate(m_frame.topLeft());
        offscreen.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        offscreen.setRenderHint(QPainter::SmoothPixmapTransform);
        offscreen.drawImage(m_mask->frame(), m_mask->contents());
    }
    painter->drawImage(m_frame.topLeft(), buffer);
}

qint64 FlatLayer::currentTime()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void FlatLayer::paintContents(QPainter* painter, qint64 now) const
{
    painter->save();
    const QPainterPath path = outline(m_frame, m_cornerRadius);
    if (const auto background = presentationColor(QStringLiteral("backgroundColor"), now)) {
        painter->fillPath(path, *background);
    }
    if (!m_contents.isNull()) {
        painter->drawImage(m_frame, m_contents);
    }
    if (m_masksToBounds) {
        painter->setClipPath(path, Qt::IntersectClip);
    }
    painter->translate(m_frame.topLeft());
    for (const FlatLayer* layer : m_sublayers) {
        layer->paint(painter, now);
    }
    painter->restore();
    const auto border = presentationColor(QStringLiteral("borderColor"), now);
    if (border && m_borderWidth > 0.0) {
        // The border lies inside the bounds, above the sublayers.
        const double half = m_borderWidth / 2.0;
        painter->save();
        painter->setPen(QPen(*border, m_borderWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(outline(m_frame.adjusted(half, half, -half, -half), std::max(0.0, m_cornerRadius - half)));
        painter->restore();
    }
}
