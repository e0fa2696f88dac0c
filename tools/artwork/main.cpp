// Draws the plugin's own artwork into a folder at build time: "moreInfoImage.png", "importantStar.png" and
// "wendra-icon-rotated-new.png", each with an "@2x" version for dense screens.

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

namespace {

using Drawing = std::function<void(QPainter&)>;

bool render(const QString& folder, const QString& name, int size, const Drawing& draw)
{
    for (const int scale : {1, 2}) {
        QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(scale, scale);
            draw(painter);
        }
        const QString file = folder + QLatin1Char('/') + name + (scale == 2 ? QStringLiteral("@2x") : QString()) +
                             QStringLiteral(".png");
        if (!image.save(file, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return false;
        }
    }
    return true;
}

// A ringed "i" in the slate grey of secondary controls.
void drawMoreInfo(QPainter& p)
{
    const QColor slate(0x5b, 0x66, 0x72);
    p.setPen(QPen(slate, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(1.25, 1.25, 15.5, 15.5));
    p.setPen(Qt::NoPen);
    p.setBrush(slate);
    p.drawEllipse(QRectF(8.0, 4.6, 2.0, 2.0));
    p.drawRoundedRect(QRectF(8.1, 7.6, 1.8, 6.0), 0.9, 0.9);
}

// A small five-pointed red star: the mandatory-field marker.
void drawImportantStar(QPainter& p)
{
    QPainterPath star;
    const QPointF centre(4.0, 4.2);
    for (int i = 0; i < 10; ++i) {
        const double radius = i % 2 == 0 ? 4.0 : 1.7;
        const double angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const QPointF point = centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
        i == 0 ? star.moveTo(point) : star.lineTo(point);
    }
    star.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x24, 0x24));
    p.drawPath(star);
}

// The product mark: a rounded tile turned on its corner, blue shading, two white chevrons meeting like a "W".
void drawWendraIcon(QPainter& p)
{
    p.save();
    p.translate(40, 40);
    p.rotate(45);
    QLinearGradient shade(QPointF(-27, -27), QPointF(27, 27));
    shade.setColorAt(0.0, QColor(0x2b, 0x9a, 0xe6));
    shade.setColorAt(1.0, QColor(0x0a, 0x5c, 0x99));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(-26, -26, 52, 52), 11, 11);
    p.restore();

    QPainterPath mark;
    mark.moveTo(22, 31);
    mark.lineTo(31, 51);
    mark.lineTo(40, 36);
    mark.lineTo(49, 51);
    mark.lineTo(58, 31);
    p.setPen(QPen(Qt::white, 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(mark);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = render(folder, QStringLiteral("moreInfoImage"), 18, drawMoreInfo) &&
                    render(folder, QStringLiteral("importantStar"), 8, drawImportantStar) &&
                    render(folder, QStringLiteral("wendra-icon-rotated-new"), 80, drawWendraIcon);
    return ok ? 0 : 1;
}
