#include "FlatButton/SYFlatButton.h"

#include "FlatButton/FlatButtonLayout.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

const QString borderColorKey = QStringLiteral("borderColor");
const QString backgroundColorKey = QStringLiteral("backgroundColor");
const QString foregroundColorKey = QStringLiteral("foregroundColor");

} // namespace

SYFlatButton::SYFlatButton(QWidget* parent)
    : QAbstractButton(parent), m_layer(std::make_unique<FlatLayer>()), m_imageLayer(std::make_unique<FlatLayer>()),
      m_titleLayer(std::make_unique<FlatTextLayer>()), m_animationTimer(new QTimer(this))
{
    m_animationTimer->setInterval(16);
    connect(m_animationTimer, &QTimer::timeout, this, [this] {
        update();
        if (!m_layer->isAnimating(FlatLayer::currentTime())) {
            m_animationTimer->stop();
        }
    });
    setup();
    setupImageLayer();
    setupTitleLayer();
}

// The layers point at each other; the tree is taken apart before any of them goes.
SYFlatButton::~SYFlatButton()
{
    m_imageLayer->removeFromSuperlayer();
    m_titleLayer->removeFromSuperlayer();
}

void SYFlatButton::awakeFromNib()
{
    m_tracking = true;
}

bool SYFlatButton::momentary() const
{
    return m_momentary;
}

void SYFlatButton::setMomentary(bool momentary)
{
    m_momentary = momentary;
    animateColorWithState(m_state);
}

double SYFlatButton::onAnimateDuration() const
{
    return m_colours.onAnimateDuration;
}

void SYFlatButton::setOnAnimateDuration(double seconds)
{
    m_colours.onAnimateDuration = seconds;
}

double SYFlatButton::offAnimateDuration() const
{
    return m_colours.offAnimateDuration;
}

void SYFlatButton::setOffAnimateDuration(double seconds)
{
    m_colours.offAnimateDuration = seconds;
}

double SYFlatButton::cornerRadius() const
{
    return m_cornerRadius;
}

void SYFlatButton::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    m_layer->setCornerRadius(radius);
    update();
}

double SYFlatButton::borderWidth() const
{
    return m_borderWidth;
}

void SYFlatButton::setBorderWidth(double width)
{
    m_borderWidth = width;
    m_layer->setBorderWidth(width);
    update();
}

double SYFlatButton::spacing() const
{
    return m_spacing;
}

void SYFlatButton::setSpacing(double spacing)
{
    m_spacing = spacing;
    setupImageLayer();
    setupTitleLayer();
}

#define ORVO_FLAT_COLOUR(getter, setter, field)                                                                        \
    std::optional<QColor> SYFlatButton::getter() const                                                                 \
    {                                                                                                                  \
        return m_colours.field;                                                                                        \
    }                                                                                                                  \
    void SYFlatButton::setter(const std::optional<QColor>& color)                                                      \
    {                                                                                                                  \
        m_colours.field = color;                                                                                       \
        animateColorWithState(m_state);                                                                                \
    }

ORVO_FLAT_COLOUR(borderNormalColor, setBorderNormalColor, borderNormal)
ORVO_FLAT_COLOUR(borderHighlightColor, setBorderHighlightColor, borderHighlight)
ORVO_FLAT_COLOUR(backgroundNormalColor, setBackgroundNormalColor, backgroundNormal)
ORVO_FLAT_COLOUR(backgroundHighlightColor, setBackgroundHighlightColor, backgroundHighlight)
ORVO_FLAT_COLOUR(imageNormalColor, setImageNormalColor, imageNormal)
ORVO_FLAT_COLOUR(imageHighlightColor, setImageHighlightColor, imageHighlight)
ORVO_FLAT_COLOUR(titleNormalColor, setTitleNormalColor, titleNormal)
ORVO_FLAT_COLOUR(titleHighlightColor, setTitleHighlightColor, titleHighlight)

#undef ORVO_FLAT_COLOUR

bool SYFlatButton::mouseDown() const
{
    return m_mouseDown;
}

void SYFlatButton::setMouseDown(bool down)
{
    m_mouseDown = down;
}

int SYFlatButton::state() const
{
    return m_state;
}

void SYFlatButton::setState(int state)
{
    m_state = state;
    animateColorWithState(state);
}

OptionalString SYFlatButton::title() const
{
    return m_title;
}

void SYFlatButton::setTitle(const OptionalString& title)
{
    m_title = title;
    setText(title.value_or(QString()));
    setupTitleLayer();
    updateGeometry();
}

QImage SYFlatButton::image() const
{
    return m_image;
}

void SYFlatButton::setImage(const QImage& image)
{
    m_image = image;
    setupImageLayer();
}

int SYFlatButton::imagePosition() const
{
    return m_imagePosition;
}

void SYFlatButton::setImagePosition(int position)
{
    m_imagePosition = position;
    setupImageLayer();
    setupTitleLayer();
}

bool SYFlatButton::imageHugsTitle() const
{
    return m_imageHugsTitle;
}

void SYFlatButton::setImageHugsTitle(bool hugs)
{
    m_imageHugsTitle = hugs;
}

void SYFlatButton::setFrame(const QRect& frame)
{
    // resizeEvent lays the title out once the new size has arrived.
    setGeometry(frame);
    setupTitleLayer();
}

double SYFlatButton::alphaValue() const
{
    return m_alpha;
}

FlatLayer* SYFlatButton::layer() const
{
    return m_layer.get();
}

FlatLayer* SYFlatButton::imageLayer() const
{
    return m_imageLayer.get();
}

FlatTextLayer* SYFlatButton::titleLayer() const
{
    return m_titleLayer.get();
}

void SYFlatButton::setup()
{
    m_layer->setFrame(QRectF(rect()));
    m_layer->setMasksToBounds(true);
    // Shown until the first colour update replaces it.
    m_layer->setBackgroundColor(QColor(Qt::red));
    // Decided here only: enabling or disabling later keeps it.
    m_alpha = isEnabled() ? 1.0 : 0.5;
}

void SYFlatButton::setupImageLayer()
{
    if (m_image.isNull() || m_imagePosition == 0) {
        m_imageLayer->removeFromSuperlayer();
        update();
        return;
    }
    const QSizeF imageSize = m_image.deviceIndependentSize();
    const QSizeF title = titleSize();
    const FlatButtonLayout::Input in{static_cast<double>(width()),
                                     static_cast<double>(height()),
                                     imageSize.width(),
                                     imageSize.height(),
                                     title.width(),
                                     title.height(),
                                     m_spacing,
                                     m_imagePosition,
                                     m_imageHugsTitle};
    m_imageLayer->setFrame(QRectF(rect()));
    auto mask = std::make_unique<FlatLayer>();
    mask->setFrame(FlatButtonLayout::maskFrame(in));
    mask->setContents(m_image);
    m_imageLayer->setMask(std::move(mask));
    m_layer->addSublayer(m_imageLayer.get());
    update();
}

void SYFlatButton::setupTitleLayer()
{
    if (!m_title || m_imagePosition == 1) {
        m_titleLayer->removeFromSuperlayer();
        update();
        return;
    }
    const QSizeF imageSize = m_image.isNull() ? QSizeF() : m_image.deviceIndependentSize();
    const QSizeF title = titleSize();
    const FlatButtonLayout::Input in{static_cast<double>(width()),
                                     static_cast<double>(height()),
                                     imageSize.width(),
                                     imageSize.height(),
                                     title.width(),
                                     title.height(),
                                     m_spacing,
                                     m_imagePosition,
                                     m_imageHugsTitle};
    m_titleLayer->setFrame(FlatButtonLayout::titleFrame(in));
    m_titleLayer->setString(*m_title);
    m_titleLayer->setFont(font());
    m_titleLayer->setFontSize(QFontInfo(font()).pointSizeF());
    m_layer->addSublayer(m_titleLayer.get());
    update();
}

void SYFlatButton::removeAllAnimations()
{
    m_layer->removeAllAnimations();
    for (FlatLayer* layer : m_layer->sublayers()) {
        layer->removeAllAnimations();
    }
}

void SYFlatButton::animateColorWithState(int state)
{
    removeAllAnimations();
    const FlatButtonColours::Set set = m_colours.forState(state);
    animateLayer(m_layer.get(), set.border, borderColorKey, set.duration);
    animateLayer(m_layer.get(), set.background, backgroundColorKey, set.duration);
    animateLayer(m_imageLayer.get(), set.image, backgroundColorKey, set.duration);
    animateLayer(m_titleLayer.get(), set.title, foregroundColorKey, set.duration);
}

void SYFlatButton::animateLayer(FlatLayer* layer, const std::optional<QColor>& color, const QString& keyPath,
                                double duration)
{
    const std::optional<QColor> current = layer->colorForKeyPath(keyPath);
    if (current == color) {
        return;
    }
    FlatColorAnimation animation;
    animation.keyPath = keyPath;
    animation.fromValue = current;
    animation.toValue = color;
    animation.duration = duration;
    animation.removedOnCompletion = false;
    layer->addAnimation(animation, keyPath);
    layer->setColorForKeyPath(keyPath, color);
    scheduleRepaint();
}

bool SYFlatButton::hitTest(const QPointF& point) const
{
    return isEnabled() && QRectF(rect()).contains(point);
}

void SYFlatButton::mouseDown(QEvent* /*event*/)
{
    applyPress(FlatButtonPress::Event::Press);
}

void SYFlatButton::mouseEntered(QEvent* /*event*/)
{
    applyPress(FlatButtonPress::Event::Enter);
}

void SYFlatButton::mouseExited(QEvent* /*event*/)
{
    applyPress(FlatButtonPress::Event::Exit);
}

void SYFlatButton::mouseUp(QEvent* /*event*/)
{
    applyPress(FlatButtonPress::Event::Release);
}

QSize SYFlatButton::sizeHint() const
{
    const QSizeF title = titleSize();
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(title.width() + 2 * metrics.height())),
            static_cast<int>(std::ceil(std::max(title.height(), metrics.height()) * 2.2))};
}

void SYFlatButton::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setOpacity(m_alpha);
    m_layer->setFrame(QRectF(rect()));
    m_layer->paint(&painter, FlatLayer::currentTime());
    if (hasFocus()) {
        // The keyboard focus ring, as the platform draws it around a focused control.
        QColor ring = palette().color(QPalette::Highlight);
        ring.setAlphaF(0.9f);
        painter.setPen(QPen(palette().color(QPalette::Base), 1.5));
        painter.setBrush(Qt::NoBrush);
        const double radius = std::max(0.0, m_cornerRadius - 1.5);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), radius, radius);
        painter.setPen(QPen(ring, 1.5));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), m_cornerRadius, m_cornerRadius);
    }
}

void SYFlatButton::keyPressEvent(QKeyEvent* event)
{
    // Return and Enter press a focused button like Space does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void SYFlatButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pointerInside = true;
    mouseDown(event);
}

void SYFlatButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    mouseUp(event);
}

void SYFlatButton::mouseMoveEvent(QMouseEvent* event)
{
    // While the button holds the mouse, crossing its edge counts as leaving or entering.
    if (m_tracking && event->buttons().testFlag(Qt::LeftButton)) {
        pointerInside(rect().contains(event->position().toPoint()));
    }
}

void SYFlatButton::enterEvent(QEnterEvent* /*event*/)
{
    if (m_tracking) {
        pointerInside(true);
    }
}

void SYFlatButton::leaveEvent(QEvent* /*event*/)
{
    if (m_tracking) {
        pointerInside(false);
    }
}

void SYFlatButton::resizeEvent(QResizeEvent* event)
{
    QAbstractButton::resizeEvent(event);
    setupTitleLayer();
}

void SYFlatButton::changeEvent(QEvent* event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        setupTitleLayer();
        updateGeometry();
    }
}

bool SYFlatButton::hitButton(const QPoint& pos) const
{
    return hitTest(QPointF(pos));
}

void SYFlatButton::applyPress(FlatButtonPress::Event event)
{
    const FlatButtonPress::Step step = FlatButtonPress::step({m_state, m_mouseDown}, event, isEnabled(), m_momentary);
    m_mouseDown = step.next.mouseDown;
    if (step.flip) {
        setState(step.next.state);
    }
    if (step.sendAction) {
        emit clicked(false);
    }
}

void SYFlatButton::pointerInside(bool inside)
{
    if (inside == m_pointerInside) {
        return;
    }
    m_pointerInside = inside;
    if (inside) {
        mouseEntered(nullptr);
    } else {
        mouseExited(nullptr);
    }
}

QSizeF SYFlatButton::titleSize() const
{
    if (!m_title) {
        return {};
    }
    const QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(*m_title), metrics.height()};
}

void SYFlatButton::scheduleRepaint()
{
    update();
    if (m_layer->isAnimating(FlatLayer::currentTime()) && !m_animationTimer->isActive()) {
        m_animationTimer->start();
    }
}
