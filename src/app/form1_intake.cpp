// The main window's picture intake: a double-click in the file list reads the
// picture, accepts or rejects it, and prepares the window for converting it.
#include "app/form1.h"
#include "app/path_text.h"
#include "files/input_file.h"
#include "intake/listing_name.h"

#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>

#include <cerrno>

namespace quillon {

namespace {

// The platform's loader must see the same picture that our reading saw.
bool LoaderAgrees(const QImage& image, const MonoPicture& picture)
{
    if (image.isNull() || image.width() != picture.width || image.height() != picture.height)
        return false;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const QColor shown = image.pixelColor(x, y);
            if (Rgb(shown.red(), shown.green(), shown.blue()) != picture.Pixel(x, y))
                return false;
        }
    }
    return true;
}

}  // namespace

void Form1::ShowReadError(const QString& path, const QString& problem)
{
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Picture Read Error"),
        QStringLiteral("The picture could not be read:\n%1\n\n%2").arg(QDir::toNativeSeparators(path), problem),
        QMessageBox::Ok, this);
    box.exec();
}

void Form1::OpenPicture(const std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(file, error).lexically_normal();
    const std::filesystem::path folder = path.parent_path();
    Drive1->SetDriveOf(ShownPath(folder));
    Dir1->SetPath(folder);
    if (File1->Path() == ShownPath(folder) && File1->Highlight(path.filename())) {
        File1_DblClick();
        return;
    }
    // Not in the list: gone, or not a name the list shows (*.bmp).
    const bool exists = std::filesystem::exists(path, error);
    ShowReadError(ShownPath(path), exists ? QStringLiteral("Only pictures named *.bmp are read.")
                                          : QString::fromStdString(files::ErrorText(ENOENT)));
    ResetButton_Click();
}

void Form1::File1_DblClick()
{
    // The name as the file system spells it, UTF-8 or not.
    const std::filesystem::path file = File1->FilePath();
    if (file.empty())
        return;
    const QString path = ShownPath(file);

    // The file is read once and closed; everything below works on these bytes,
    // so the picture shown and the picture converted cannot differ.
    const Result<std::string> bytes = files::ReadStart(file, ReadLimit, "a picture file");
    std::string problemText = bytes.Error();
    PictureRead read;
    if (bytes) {
        read = ReadPicture(
            std::span(reinterpret_cast<const std::uint8_t*>(bytes->data()), static_cast<std::size_t>(bytes->size())));
        if (read.outcome == PictureRead::Outcome::Unreadable)
            problemText = read.problem;
    }
    QString problem = QString::fromStdString(problemText);
    QImage image;
    if (problem.isEmpty() && read.outcome == PictureRead::Outcome::Accepted) {
        image = QImage::fromData(reinterpret_cast<const uchar*>(bytes->data()), static_cast<int>(bytes->size()), "BMP");
        if (image.isNull())
            problem = QStringLiteral("The picture loader cannot show this file.");
        else if (!LoaderAgrees(image, read.picture))
            problem = QStringLiteral("The picture loader reads other pixels from this file than its headers describe.");
    }
    if (!problem.isEmpty()) {
        ShowReadError(path, problem);
        ResetButton_Click();
        return;
    }

    state_.FileHeader = read.fileHeader;
    state_.InfoHeader = read.infoHeader;
    if (read.hasColourTable) {
        Palette0 = read.colourTable[0];
        Palette1 = read.colourTable[1];
    }

    if (read.outcome == PictureRead::Outcome::Rejected) {
        // The window keeps the previous picture until the box is closed.
        QMessageBox box(QMessageBox::NoIcon, QLatin1String(SizeErrorTitle), QString::fromStdString(SizeErrorPrompt()),
                        QMessageBox::Ok, this);
        box.exec();
        ResetButton_Click();
        return;
    }

    PreviewPic->setPixmap(QPixmap::fromImage(image));
    const BITMAPINFOHEADER& info = state_.InfoHeader;
    HeightValue->setText(QString::number(info.biHeight));
    WidthValue->setText(QString::number(info.biWidth));
    ColorValue->setText(QStringLiteral("%1 Bits  (%2 Colors)").arg(info.biBitCount).arg(1 << info.biBitCount));
    pictureFolder_ = file.parent_path();
    pictureName_ = file.filename();
    picture_ = std::move(read.picture);
    Init_Selection();
}

void Form1::Init_Selection()
{
    InverseOption->setEnabled(state_.InfoHeader.biBitCount == 1);
    NormalOption->setChecked(true);
    PreviewButton->setEnabled(false);
    ConvertButton->setEnabled(true);
    StatusValue->clear();
    OutFileValue->setText({});
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    // Named after the picture that was accepted, whatever the lists show now.
    state_.OutputPath = ListingPath(pictureFolder_, pictureName_);
}

void Form1::Init_Conversion()
{
    StatusValue->clear();
    OutFileValue->setText({});
    PreviewButton->setEnabled(false);
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    state_.OutputPath = ListingPath(pictureFolder_, pictureName_);
}

}  // namespace quillon
