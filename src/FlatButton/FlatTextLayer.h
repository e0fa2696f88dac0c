#pragma once

#include "FlatButton/FlatLayer.h"

#include <QFont>
#include <QString>

// A layer that draws one text from its top-left corner in its font, size and foreground colour.
class FlatTextLayer : public FlatLayer
{
public:
    QString string() const;
    void setString(const QString& string);
    QFont font() const;
    void setFont(const QFont& font);
    double fontSize() const;
    void setFontSize(double size);
    std::optional<QColor> foregroundColor() const;
    void setForegroundColor(const std::optional<QColor>& color);

    std::optional<QColor> colorForKeyPath(const QString& keyPath) const override;
    void setColorForKeyPath(const QString& keyPath, const std::optional<QColor>& color) override;

protected:
    void paintContents(QPainter* painter, qint64 now) const override;

private:
    QString m_string;
    QFont m_font;
    double m_fontSize = 0.0;
    std::optional<QColor> m_foregroundColor;
};
