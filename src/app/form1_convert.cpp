// The main window's Convert command: the accepted picture written as a listing
// next to it, lit dots from the colour-table entry that Normal or Inverse picks.
#include "app/form1.h"
#include "app/path_text.h"
#include "convert/geometry.h"
#include "formats/listing_writer.h"
#include "files/input_file.h"
#include "files/replace_file.h"

#include <QDir>
#include <QMessageBox>

namespace quillon {

namespace {

// Writes the listing into its place, opened before the picture is walked so
// that a place that cannot be written fails before the progress counts.
template <typename Write>
Result<void> SaveListing(const std::filesystem::path& path, const std::filesystem::path& picture, Write&& write)
{
    if (files::SameFile(path, picture))
        return Failure{"It is the picture itself; the picture is left as it is."};
    Result<std::unique_ptr<files::Replacement>> replacement = files::BeginReplacement(path, files::Place::Derived);
    if (!replacement)
        return Failure{replacement.Error()};
    if (Result<void> written = (*replacement)->Write(write()); !written)
        return written;
    return (*replacement)->Commit();
}

}  // namespace

void Form1::ConvertButton_Click()
{
    Init_Conversion();
    if (state_.InfoHeader.biBitCount == 1) {
        CountPagesAndBlocks(state_);
        const RgbValue onColour = NormalOption->isChecked() ? ColourOf(Palette0) : ColourOf(Palette1);
        const Result<void> saved = SaveListing(state_.OutputPath, pictureFolder_ / pictureName_, [&] {
            return WriteListing(
                state_, onColour, [this](int x, int y) { return picture_.Pixel(x, y); },
                [this](int percent) { SetProgress(percent); });
        });
        if (saved) {
            ProgressPer->setText(QStringLiteral("100"));
            ConvertStatus = QStringLiteral("S");
            PreviewButton->setEnabled(true);
        } else {
            // The earlier listing, if any, is as it was; the status below says Failed.
            QMessageBox box(
                QMessageBox::Warning, QStringLiteral("Listing Write Error"),
                QStringLiteral("The listing could not be written:\n%1\n\n%2")
                    .arg(QDir::toNativeSeparators(ShownPath(state_.OutputPath)), QString::fromStdString(saved.Error())),
                QMessageBox::Ok, this);
            box.exec();
        }
    } else {
        PreviewButton->setEnabled(false);
    }
    Show_Status();
}

}  // namespace quillon
