#include "ui/CanvasStatus.h"

#include <QLabel>
#include <QStatusBar>

#include <cmath>

#include "model/HeightScale.h"
#include "model/ImageSurface.h"

namespace {

QLabel* MakeLabel(const char* name, QStatusBar* bar)
{
    auto* label = new QLabel(bar);
    label->setObjectName(QLatin1String(name));
    bar->addWidget(label);
    return label;
}

void SetShown(QLabel* label, const QString& text)
{
    label->setText(text);
    label->setVisible(!text.isEmpty());
}

}  // namespace

CanvasStatus::CanvasStatus(QStatusBar* bar)
    : QObject(bar),
      position_(MakeLabel("StatusPosition", bar)),
      sum_(MakeLabel("StatusSum", bar)),
      height_(MakeLabel("StatusHeight", bar)),
      zoom_(MakeLabel("StatusZoom", bar))
{
}

QString CanvasStatus::PositionText(QPoint pixel)
{
    return QStringLiteral("%1, %2").arg(pixel.x()).arg(pixel.y());
}

QString CanvasStatus::SumText(int channelSum)
{
    return QStringLiteral("%1/%2").arg(channelSum).arg(kMaxChannelSum);
}

QString CanvasStatus::HeightText(int channelSum)
{
    // Always a full stop: QString::number ignores the locale.
    return QString::number(HeightOfSum(channelSum), 'f', 2);
}

QString CanvasStatus::ZoomText(double zoom)
{
    const double percent = zoom * 100;
    if (percent >= 99.95)
        return QString::number(std::lround(percent)) + QLatin1Char('%');
    // Three significant digits; 'g' drops the trailing zeros.
    return QString::number(percent, 'g', 3) + QLatin1Char('%');
}

void CanvasStatus::show(const std::optional<QPoint>& pixel, const ImageSurface& surface, double zoom)
{
    QString position, sum, height;
    if (pixel) {
        position = PositionText(*pixel);
        const Picture& picture = surface.picture();
        if (picture.kind == PictureKind::Bitmap && !picture.pixelsUnusable && pixel->x() < picture.width &&
            pixel->y() < picture.height) {
            const ColourValue colour = surface.pixel(pixel->x(), pixel->y());
            const int channels = RedOf(colour) + GreenOf(colour) + BlueOf(colour);
            sum = SumText(channels);
            height = HeightText(channels);
        }
    }
    SetShown(position_, position);
    SetShown(sum_, sum);
    SetShown(height_, height);
    SetShown(zoom_, ZoomText(zoom));
}
