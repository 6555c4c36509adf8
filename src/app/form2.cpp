#include "app/form2.h"

#include "app/form1.h"
#include "app/path_text.h"
#include "preview/listing_reader.h"

#include <QDir>
#include <QMessageBox>
#include <QPainter>

namespace quillon {

LcdPicture::LcdPicture(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
}

void LcdPicture::Erase()
{
    dots_.fill(Qt::transparent);
    update();
}

void LcdPicture::SetDot(int x, int y, RgbValue colour)
{
    if (!dots_.valid(x, y))
        return;
    dots_.setPixel(x, y, qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF));
    update(contentsRect().x() + x, contentsRect().y() + y, 1, 1);
}

void LcdPicture::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    QImage sized(contentsRect().size(), QImage::Format_ARGB32);
    sized.fill(Qt::transparent);
    if (!dots_.isNull()) {
        QPainter copy(&sized);
        copy.drawImage(0, 0, dots_);
    }
    dots_ = sized;
}

void LcdPicture::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), dots_);
}

Form2::Form2(SharedState& state, QWidget* owner) : QDialog(owner), state_(state)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("LCD Preview"));
    setWindowIcon(QuillonIcon());
    setFont(DialogFont());
    setPalette(WindowPalette());
    // Closed by its close box or, as any dialog, by Escape.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(290, 232);

    LcdPic = new LcdPicture(this);
    LcdPic->setObjectName(QStringLiteral("LcdPic"));
    LcdPic->setGeometry(FromTwips(120, 0, 4095, 2775));
    ShowButton = new QPushButton(QStringLiteral("Show"), this);
    ShowButton->setObjectName(QStringLiteral("ShowButton"));
    ShowButton->setGeometry(FromTwips(1440, 3000, 1575, 375));
    setTabOrder(LcdPic, ShowButton);
    connect(ShowButton, &QPushButton::clicked, this, &Form2::ShowButton_Click);
}

void Form2::ShowButton_Click()
{
    ReadListing();
}

void Form2::ReadListing()
{
    const Result<void> read = quillon::ReadListing(state_.OutputPath, state_, Position, *LcdPic);
    if (!read) {
        QMessageBox box(
            QMessageBox::Warning, QStringLiteral("Listing Read Error"),
            QStringLiteral("The listing could not be read:\n%1\n\n%2")
                .arg(QDir::toNativeSeparators(ShownPath(state_.OutputPath)), QString::fromStdString(read.Error())),
            QMessageBox::Ok, this);
        box.exec();
    }
}

void Form1::PreviewButton_Click()
{
    if (!form2_)
        form2_ = new Form2(state_, this);
    form2_->LcdPic->Erase();  // each opening starts empty, until Show is pressed
    form2_->exec();
}

}  // namespace quillon
