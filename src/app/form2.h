// The preview window: the listing read back from disk and painted as the
// display will show it, green for a clear dot, black for a set one.
#pragma once

#include "app/shared_state.h"
#include "preview/dot_walk.h"

#include <QDialog>
#include <QFrame>
#include <QImage>
#include <QPushButton>

namespace quillon {

// The drawing surface. The dots are kept in an image, so they come back after
// the window has been covered or minimised.
class LcdPicture : public QFrame, public DotSurface {
    Q_OBJECT
public:
    explicit LcdPicture(QWidget* parent = nullptr);
    void Erase() override;
    void SetDot(int x, int y, RgbValue colour) override;
    // What has been painted so far; transparent where no dot is.
    const QImage& Dots() const { return dots_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage dots_;
};

class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(SharedState& state, QWidget* owner);

    void ShowButton_Click();
    void ReadListing();

    LcdPicture* LcdPic;
    QPushButton* ShowButton;
    DrawPosition Position;

private:
    SharedState& state_;
};

}  // namespace quillon
