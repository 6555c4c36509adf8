// Readability measured from what the windows paint: contrast ratios of pixels
// and the palettes of a light and a dark desktop.
#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>

#include <functional>

class QWidget;

namespace quillon::test {

// The contrast ratio of two colours, 1 to 21, from their relative luminance.
double ContrastRatio(const QColor& one, const QColor& other);

// The pixels of a text, told apart from a second grab without it.
struct TextPixels {
    int count = 0;          // pixels the text changed
    double contrast = 1.0;  // its strongest pixel against what is behind it
    QColor strongest;       // that pixel's colour
};
// Grabs `area` of `window` as shown, then again while `hidden` has taken the
// text away (it puts it back afterwards).
TextPixels MeasureText(QWidget* window, const QRect& area, const std::function<void(bool hidden)>& hide);

// The palettes of an ordinary light desktop (Qt's Fusion colours) and of a dark one.
QPalette LightDesktop();
QPalette DarkDesktop();

// Sets the application's palette, as a desktop would, for as long as it lives.
class DesktopPalette {
public:
    explicit DesktopPalette(const QPalette& palette);
    ~DesktopPalette();
    DesktopPalette(const DesktopPalette&) = delete;
    DesktopPalette& operator=(const DesktopPalette&) = delete;

private:
    QPalette saved_;
};

}  // namespace quillon::test
