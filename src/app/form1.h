// The main window: browse for a picture, read it in, convert it, preview it.
#pragma once

#include "app/browse_lists.h"
#include "app/shared_state.h"
#include "intake/bitmap_reader.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <filesystem>

namespace quillon {

class Form2;

// Window geometry is laid out in twips; the screen has 15 twips to a pixel.
inline constexpr int TwipsPerPixel = 15;
QRect FromTwips(int left, int top, int width, int height);

// The window icon, shared by both windows.
QIcon QuillonIcon();
// The window font: the 8.25-point sans-serif dialog font.
QFont DialogFont();
// Shrinks a control's font in quarter points until `text` fits its box.
void FitCaption(QWidget* control, const QString& text);
// The light control colours both windows are drawn in, whatever the desktop's
// palette: the read-outs' fixed blue, green and grey stay readable on them.
QPalette WindowPalette();
// The folder the lists start in: the program's folder for a build or a portable
// copy the user can write to; the working folder for an installed copy, whoever
// runs it, and for a program folder the user cannot write to.
QString StartFolder(const QString& programFolder, const QString& workingFolder);

// A label for a path: wraps at any character and, if even two lines are too
// few, leaves out the middle; the whole path is in its tool tip.
class PathLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void setText(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(SharedState& state, QWidget* parent = nullptr);
    ~Form1() override;

    // Event handlers and window operations.
    void Form_Load();
    void Init_Form();
    void Drive1_Change();
    void Dir1_Change();
    void File1_DblClick();
    // A picture named on the command line: its volume, folder and name shown
    // in the lists, then read as a double-click on it reads it.
    void OpenPicture(const std::filesystem::path& file);
    void Init_Selection();
    void Init_Conversion();
    void ConvertButton_Click();
    void PreviewButton_Click();
    void ResetButton_Click();
    void ExitButton_Click();
    void Show_Status();

    Form2* PreviewWindow() const { return form2_; }

    // The window's own variables.
    QString ProgramFolder;  // the folder of the running program, read by Init_Form
    RGBQUAD Palette0;
    RGBQUAD Palette1;
    QString ConvertStatus;

    // Controls, in their order of declaration.
    QPushButton* ExitButton;
    QPushButton* ResetButton;
    QPushButton* ConvertButton;
    QPushButton* PreviewButton;
    FileList* File1;
    DirList* Dir1;
    DriveList* Drive1;
    QFrame* Frame1;
    QFrame* Frame2;
    QLabel* FileLabel;
    QLabel* DirLabel;
    QLabel* DriverLabel;
    QLabel* CopyRightLabel;
    // In Frame1.
    QLabel* PreviewPic;
    QLabel* ColorValue;
    QLabel* WidthValue;
    QLabel* HeightValue;
    QLabel* ColorLabel;
    QLabel* WidthLabel;
    QLabel* HeightLabel;
    // In Frame2.
    QRadioButton* NormalOption;
    QRadioButton* InverseOption;
    QFrame* Frame3;
    QLabel* StatusValue;
    QLabel* ProgressPer;
    QLabel* PercentLabel;
    QLabel* StatusLabel;
    QLabel* ProgressLabel;
    QLabel* OutFileLabel;
    PathLabel* OutFileValue;

private:
    void LayOut();
    void LayOutPicture();
    void LayOutCommands();
    void LayOutBrowsing();
    void LayOutButtons();
    void ShowReadError(const QString& path, const QString& problem);
    void SetProgress(int percent);

    SharedState& state_;
    Form2* form2_ = nullptr;

    // The accepted picture: where it lies and its pixels.
    std::filesystem::path pictureFolder_;
    std::filesystem::path pictureName_;
    MonoPicture picture_;
};

}  // namespace quillon
