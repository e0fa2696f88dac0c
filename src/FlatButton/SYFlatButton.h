#pragma once

#include "FlatButton/FlatButtonColours.h"
#include "FlatButton/FlatButtonPress.h"
#include "FlatButton/FlatLayer.h"
#include "FlatButton/FlatTextLayer.h"
#include "Platform/Log/OptionalString.h"

#include <QAbstractButton>
#include <QImage>

#include <memory>

class QTimer;

// A push button made only of layers: a backing layer with corner, border and background, an image silhouette and
// a title. Its colours come in a normal and a highlight set that follow the state; it tracks the mouse itself.
class SYFlatButton : public QAbstractButton
{
    Q_OBJECT
    Q_PROPERTY(bool imageHugsTitle READ imageHugsTitle WRITE setImageHugsTitle)

public:
    explicit SYFlatButton(QWidget* parent = nullptr);
    ~SYFlatButton() override;

    // Loaded from a window layout: enter and exit events start to arrive.
    void awakeFromNib();

    bool momentary() const;
    void setMomentary(bool momentary);
    double onAnimateDuration() const;
    void setOnAnimateDuration(double seconds);
    double offAnimateDuration() const;
    void setOffAnimateDuration(double seconds);
    double cornerRadius() const;
    void setCornerRadius(double radius);
    double borderWidth() const;
    void setBorderWidth(double width);
    double spacing() const;
    void setSpacing(double spacing);
    std::optional<QColor> borderNormalColor() const;
    void setBorderNormalColor(const std::optional<QColor>& color);
    std::optional<QColor> borderHighlightColor() const;
    void setBorderHighlightColor(const std::optional<QColor>& color);
    std::optional<QColor> backgroundNormalColor() const;
    void setBackgroundNormalColor(const std::optional<QColor>& color);
    std::optional<QColor> backgroundHighlightColor() const;
    void setBackgroundHighlightColor(const std::optional<QColor>& color);
    std::optional<QColor> imageNormalColor() const;
    void setImageNormalColor(const std::optional<QColor>& color);
    std::optional<QColor> imageHighlightColor() const;
    void setImageHighlightColor(const std::optional<QColor>& color);
    std::optional<QColor> titleNormalColor() const;
    void setTitleNormalColor(const std::optional<QColor>& color);
    std::optional<QColor> titleHighlightColor() const;
    void setTitleHighlightColor(const std::optional<QColor>& color);
    bool mouseDown() const;
    void setMouseDown(bool down);

    // 0 off, 1 on, -1 mixed; setting it applies that state's colours.
    int state() const;
    void setState(int state);
    // The title; absent removes the title layer, empty keeps it.
    OptionalString title() const;
    void setTitle(const OptionalString& title);
    // The image whose opacity makes the silhouette; a null image is no image.
    QImage image() const;
    void setImage(const QImage& image);
    int imagePosition() const;
    void setImagePosition(int position);
    bool imageHugsTitle() const;
    void setImageHugsTitle(bool hugs);
    // Moves and resizes the button; only the title is laid out again.
    void setFrame(const QRect& frame);
    // The opacity decided when the button was made: 1.0 enabled, 0.5 disabled.
    double alphaValue() const;

    FlatLayer* layer() const;
    FlatLayer* imageLayer() const;
    FlatTextLayer* titleLayer() const;

    void setup();
    void setupImageLayer();
    void setupTitleLayer();
    void removeAllAnimations();
    void animateColorWithState(int state);
    void animateLayer(FlatLayer* layer, const std::optional<QColor>& color, const QString& keyPath, double duration);
    // No hit while disabled.
    bool hitTest(const QPointF& point) const;

    // The press state machine; the events are not looked at and may be null.
    void mouseDown(QEvent* event);
    void mouseEntered(QEvent* event);
    void mouseExited(QEvent* event);
    void mouseUp(QEvent* event);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void applyPress(FlatButtonPress::Event event);
    void pointerInside(bool inside);
    QSizeF titleSize() const;
    void scheduleRepaint();

    FlatButtonColours m_colours;
    bool m_momentary = false;
    double m_cornerRadius = 0.0;
    double m_borderWidth = 0.0;
    double m_spacing = 0.0;
    bool m_mouseDown = false;
    int m_state = 0;
    OptionalString m_title;
    QImage m_image;
    int m_imagePosition = 0;
    bool m_imageHugsTitle = false;
    double m_alpha = 1.0;
    bool m_tracking = false;
    bool m_pointerInside = false;
    std::unique_ptr<FlatLayer> m_layer;
    std::unique_ptr<FlatLayer> m_imageLayer;
    std::unique_ptr<FlatTextLayer> m_titleLayer;
    QTimer* m_animationTimer = nullptr;
};
