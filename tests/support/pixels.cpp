#include "support/pixels.h"

#include <QApplication>
#include <QImage>
#include <QWidget>

#include <cmath>

namespace quillon::test {

namespace {

double Luminance(const QColor& colour)
{
    const auto linear = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

QPalette Desktop(const QColor& window, const QColor& text, const QColor& base, const QColor& highlight,
                 const QColor& disabledText)
{
    QPalette palette(text, window, window.lighter(130), window.darker(150), window.darker(120), text, Qt::white, base,
                     window);
    palette.setColor(QPalette::Highlight, highlight);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, disabledText);
    return palette;
}

}  // namespace

double ContrastRatio(const QColor& one, const QColor& other)
{
    const double a = Luminance(one) + 0.05;
    const double b = Luminance(other) + 0.05;
    return a > b ? a / b : b / a;
}

TextPixels MeasureText(QWidget* window, const QRect& area, const std::function<void(bool hidden)>& hide)
{
    const QImage shown = window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    hide(true);
    const QImage behind = window->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    hide(false);
    TextPixels text;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            if (shown.pixel(x, y) == behind.pixel(x, y))
                continue;
            ++text.count;
            const double contrast = ContrastRatio(shown.pixelColor(x, y), behind.pixelColor(x, y));
            if (contrast > text.contrast) {
                text.contrast = contrast;
                text.strongest = shown.pixelColor(x, y);
            }
        }
    }
    return text;
}

QPalette LightDesktop()
{
    return Desktop(QColor(239, 239, 239), Qt::black, Qt::white, QColor(48, 140, 198), QColor(190, 190, 190));
}

QPalette DarkDesktop()
{
    return Desktop(QColor(53, 53, 53), QColor(238, 238, 236), QColor(45, 45, 45), QColor(21, 83, 158),
                   QColor(145, 145, 145));
}

DesktopPalette::DesktopPalette(const QPalette& palette) : saved_(QApplication::palette())
{
    QApplication::setPalette(palette);
}

DesktopPalette::~DesktopPalette()
{
    QApplication::setPalette(saved_);
}

}  // namespace quillon::test
