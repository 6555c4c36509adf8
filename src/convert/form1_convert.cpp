// The main window's Convert command: the accepted picture written as a listing
// next to it, lit dots from the colour-table entry that Normal or Inverse picks.
#include "app/form1.h"
#include "convert/geometry.h"
#include "convert/listing_writer.h"

#include <QDir>
#include <QMessageBox>

namespace quillon {

void Form1::ConvertButton_Click()
{
    Init_Conversion();
    if (state_.InfoHeader.biBitCount == 1) {
        CountPagesAndBlocks(state_);
        const RgbValue onColour = NormalOption->isChecked() ? ColourOf(Palette0) : ColourOf(Palette1);
        const std::string listing = WriteListing(
            state_, onColour, [this](int x, int y) { return picture_.Pixel(x, y); },
            [this](int percent) { SetProgress(percent); });
        const QString problem = SaveListing(state_.OutputPath, listing);
        if (problem.isEmpty()) {
            ProgressPer->setText(QStringLiteral("100"));
            ConvertStatus = QStringLiteral("S");
            PreviewButton->setEnabled(true);
        } else {
            // The earlier listing, if any, is as it was; the status below says Failed.
            QMessageBox box(QMessageBox::Warning, QStringLiteral("Listing Write Error"),
                            QStringLiteral("The listing could not be written:\n%1\n\n%2")
                                .arg(QDir::toNativeSeparators(state_.OutputPath), problem),
                            QMessageBox::Ok, this);
            box.exec();
        }
    } else {
        PreviewButton->setEnabled(false);
    }
    Show_Status();
}

}  // namespace quillon
