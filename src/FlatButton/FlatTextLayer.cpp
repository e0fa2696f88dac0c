#include "FlatButton/FlatTextLayer.h"

#include <QPainter>

QString FlatTextLayer::string() const
{
    return m_string;
}

void FlatTextLayer::setString(const QString& string)
{
    m_string = string;
}

QFont FlatTextLayer::font() const
{
    return m_font;
}

void FlatTextLayer::setFont(const QFont& font)
{
    m_font = font;
}

double FlatTextLayer::fontSize() const
{
    return m_fontSize;
}

void FlatTextLayer::setFontSize(double size)
{
    m_fontSize = size;
}

std::optional<QColor> FlatTextLayer::foregroundColor() const
{
    return m_foregroundColor;
}

void FlatTextLayer::setForegroundColor(const std::optional<QColor>& color)
{
    m_foregroundColor = color;
}

std::optional<QColor> FlatTextLayer::colorForKeyPath(const QString& keyPath) const
{
    if (keyPath == QLatin1String("foregroundColor")) {
        return m_foregroundColor;
    }
    return FlatLayer::colorForKeyPath(keyPath);
}

void FlatTextLayer::setColorForKeyPath(const QString& keyPath, const std::optional<QColor>& color)
{
    if (keyPath == QLatin1String("foregroundColor")) {
        m_foregroundColor = color;
    } else {
        FlatLayer::setColorForKeyPath(keyPath, color);
    }
}

void FlatTextLayer::paintContents(QPainter* painter, qint64 now) const
{
    FlatLayer::paintContents(painter, now);
    const auto color = presentationColor(QStringLiteral("foregroundColor"), now);
    if (!color || m_string.isEmpty()) {
        return;
    }
    painter->save();
    QFont font = m_font;
    if (m_fontSize > 0.0) {
        font.setPointSizeF(m_fontSize);
    }
    painter->setFont(font);
    painter->setPen(*color);
    painter->drawText(frame(), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, m_string);
    painter->restore();
}
