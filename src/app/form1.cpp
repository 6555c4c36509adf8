#include "app/form1.h"

#include "app/form2.h"
#include "app/path_text.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QScreen>

namespace quillon {

QRect FromTwips(int left, int top, int width, int height)
{
    return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel, height / TwipsPerPixel};
}

QIcon QuillonIcon()
{
    static const QIcon icon(QStringLiteral(":/quillon/quillon.xpm"));
    return icon;
}

QFont DialogFont()
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

void FitCaption(QWidget* control, const QString& text)
{
    // Room for the text: a button or option button needs some for its frame or mark.
    int room = control->contentsRect().width();
    if (control->inherits("QAbstractButton"))
        room -= control->inherits("QRadioButton") ? 20 : 8;
    QFont font = control->font();
    while (QFontMetrics(font).horizontalAdvance(text) > room && font.pointSizeF() > 6.0) {
        font.setPointSizeF(font.pointSizeF() - 0.25);
        control->setFont(font);
    }
}

QPalette WindowPalette()
{
    // Every role in every group, so that nothing of a dark desktop palette shows through.
    struct Role {
        QPalette::ColorRole role;
        QColor normal;
        QColor disabled;
    };
    const QColor face(246, 246, 246);  // light enough for the green path to keep 4.5 : 1
    const QColor grey(100, 100, 100);
    const Role roles[] = {
        {QPalette::WindowText, Qt::black, grey},
        {QPalette::Button, face, face},
        {QPalette::Light, Qt::white, Qt::white},
        {QPalette::Midlight, QColor(232, 232, 232), QColor(232, 232, 232)},
        {QPalette::Dark, QColor(160, 160, 160), QColor(160, 160, 160)},
        {QPalette::Mid, QColor(184, 184, 184), QColor(184, 184, 184)},
        {QPalette::Text, Qt::black, grey},
        {QPalette::BrightText, Qt::white, Qt::white},
        {QPalette::ButtonText, Qt::black, grey},
        {QPalette::Base, Qt::white, face},
        {QPalette::Window, face, face},
        {QPalette::Shadow, QColor(105, 105, 105), QColor(105, 105, 105)},
        {QPalette::Highlight, QColor(30, 100, 170), QColor(145, 145, 145)},
        {QPalette::HighlightedText, Qt::white, Qt::white},
        {QPalette::Link, QColor(0, 0, 192), grey},
        {QPalette::LinkVisited, QColor(128, 0, 128), grey},
        {QPalette::AlternateBase, face, face},
        {QPalette::ToolTipBase, QColor(255, 255, 220), QColor(255, 255, 220)},
        {QPalette::ToolTipText, Qt::black, Qt::black},
        {QPalette::PlaceholderText, grey, grey},
    };
    QPalette palette;
    for (const Role& role : roles) {
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, role.role, role.normal);
        palette.setColor(QPalette::Disabled, role.role, role.disabled);
    }
    return palette;
}

QString StartFolder(const QString& programFolder, const QString& workingFolder)
{
    const QFileInfo program(programFolder);
    // An installed copy (cmake --install, the package) has its menu entry in
    // <prefix>/share beside <prefix>/bin; root may write to /usr/bin, but
    // nobody keeps pictures there.
    const bool installed = QFileInfo::exists(programFolder + QStringLiteral("/../share/applications/quillon.desktop"));
    return program.isDir() && program.isWritable() && !installed ? programFolder : workingFolder;
}

void PathLabel::setText(const QString& text)
{
    QLabel::setText(text);
    setToolTip(text);
}

void PathLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect box = contentsRect();
    QString shown = text();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
    // Leave out the middle until the rest fits the lines there are: the most
    // characters kept that still fit, found by halving (a path can run to
    // thousands of characters, and every try lays the text out anew).
    const auto fits = [&](const QString& candidate) {
        return fontMetrics().boundingRect(box, flags, candidate).height() <= box.height();
    };
    const auto keeping = [&](int keep) {
        return text().left(keep / 2) + QStringLiteral("…") + text().right(keep - keep / 2);
    };
    if (shown.size() > 3 && !fits(shown)) {
        int low = 3;  // kept even when nothing fits
        int high = static_cast<int>(shown.size()) - 1;
        while (low < high) {
            const int middle = (low + high + 1) / 2;
            if (fits(keeping(middle)))
                low = middle;
            else
                high = middle - 1;
        }
        shown = keeping(low);
    }
    painter.drawText(box, flags, shown);
}

Form1::Form1(SharedState& state, QWidget* parent)
    : QWidget(parent), ProgramFolder(QCoreApplication::applicationDirPath()), state_(state)
{
    LayOut();
}

Form1::~Form1() = default;

namespace {

void Named(QWidget* control, const char* name, const QRect& place)
{
    control->setObjectName(QLatin1String(name));
    control->setGeometry(place);
}

QLabel* Caption(QWidget* in, const char* name, const QRect& place, const QString& caption)
{
    auto* control = new QLabel(caption, in);
    Named(control, name, place);
    control->setFocusPolicy(Qt::NoFocus);
    FitCaption(control, caption);
    return control;
}

QFrame* Box(QWidget* in, const char* name, const QRect& place)
{
    auto* control = new QFrame(in);
    Named(control, name, place);
    control->setFrameStyle(QFrame::Box | QFrame::Sunken);  // an etched box, no caption
    return control;
}

void Coloured(QLabel* control, QColor colour)
{
    QPalette palette = control->palette();
    palette.setColor(QPalette::WindowText, colour);
    control->setPalette(palette);
}

}  // namespace

// The controls are made in the window's order of declaration: frames and what
// they hold first, so that the command buttons, which belong to the window
// itself, lie above them.
void Form1::LayOut()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quillon-0.1"));
    setWindowIcon(QuillonIcon());
    setFont(DialogFont());
    setPalette(WindowPalette());
    setFixedSize(466, 545);
    LayOutPicture();
    LayOutCommands();
    LayOutBrowsing();
    LayOutButtons();
}

void Form1::LayOutPicture()
{
    Frame1 = Box(this, "Frame1", FromTwips(360, 2640, 6255, 3015));
    PreviewPic = new QLabel(Frame1);
    Named(PreviewPic, "PreviewPic", FromTwips(1080, 600, 4335, 2055));
    PreviewPic->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    PreviewPic->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PreviewPic->setFocusPolicy(Qt::StrongFocus);
    ColorValue = Caption(Frame1, "ColorValue", FromTwips(4080, 240, 1935, 285), {});
    WidthValue = Caption(Frame1, "WidthValue", FromTwips(2640, 240, 615, 285), {});
    HeightValue = Caption(Frame1, "HeightValue", FromTwips(1200, 240, 615, 285), {});
    for (QLabel* value : {ColorValue, WidthValue, HeightValue})
        Coloured(value, QColor(0, 0, 192));
    ColorLabel = Caption(Frame1, "ColorLabel", FromTwips(3480, 240, 495, 255), QStringLiteral("Color :"));
    WidthLabel = Caption(Frame1, "WidthLabel", FromTwips(1920, 240, 615, 255), QStringLiteral("Width :"));
    HeightLabel = Caption(Frame1, "HeightLabel", FromTwips(480, 240, 615, 255), QStringLiteral("Height :"));
}

void Form1::LayOutCommands()
{
    Frame2 = Box(this, "Frame2", FromTwips(360, 5640, 6255, 1935));
    Frame3 = Box(Frame2, "Frame3", FromTwips(240, 120, 4575, 735));
    NormalOption = new QRadioButton(QStringLiteral("Normal"), Frame2);
    Named(NormalOption, "NormalOption", FromTwips(480, 360, 975, 375));
    InverseOption = new QRadioButton(QStringLiteral("Inverse"), Frame2);
    Named(InverseOption, "InverseOption", FromTwips(1560, 360, 975, 375));
    for (QRadioButton* option : {NormalOption, InverseOption}) {
        option->raise();  // above Frame3
        FitCaption(option, option->text());
    }
    NormalOption->setChecked(true);
    InverseOption->setEnabled(false);
    StatusValue = Caption(Frame2, "StatusValue", FromTwips(3120, 1080, 1095, 255), {});
    ProgressPer = Caption(Frame2, "ProgressPer", FromTwips(1200, 1080, 375, 255), {});
    StatusValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgressPer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PercentLabel = Caption(Frame2, "PercentLabel", FromTwips(1680, 1080, 255, 255), QStringLiteral("%"));
    StatusLabel = Caption(Frame2, "StatusLabel", FromTwips(2400, 1080, 615, 255), QStringLiteral("Status :"));
    ProgressLabel = Caption(Frame2, "ProgressLabel", FromTwips(360, 1080, 735, 255), QStringLiteral("Progress :"));
    OutFileLabel = Caption(Frame2, "OutFileLabel", FromTwips(360, 1440, 855, 255), QStringLiteral("Output File :"));
    OutFileValue = new PathLabel(Frame2);
    Named(OutFileValue, "OutFileValue", FromTwips(1320, 1440, 4695, 375));
    OutFileValue->setFocusPolicy(Qt::NoFocus);
    Coloured(OutFileValue, QColor(0, 128, 0));
}

void Form1::LayOutBrowsing()
{
    File1 = new FileList(this);
    Named(File1, "File1", FromTwips(3480, 720, 3135, 1845));
    Dir1 = new DirList(this);
    Named(Dir1, "Dir1", FromTwips(360, 900, 2895, 1665));
    Drive1 = new DriveList(this);
    Named(Drive1, "Drive1", FromTwips(960, 240, 2295, 315));
    FileLabel = Caption(this, "FileLabel", FromTwips(3480, 360, 1575, 255), QStringLiteral("Files Name (*.bmp):"));
    DirLabel = Caption(this, "DirLabel", FromTwips(360, 600, 975, 255), QStringLiteral("Directory:"));
    DriverLabel = Caption(this, "DriverLabel", FromTwips(360, 240, 615, 255), QStringLiteral("Driver:"));
    CopyRightLabel = Caption(this, "CopyRightLabel", FromTwips(360, 7680, 6255, 495), {});
    Coloured(CopyRightLabel, QColor(64, 64, 64));
    QFont notice(QStringLiteral("Arial"));
    notice.setPointSizeF(8.25);
    notice.setWeight(QFont::Normal);
    CopyRightLabel->setFont(notice);
}

void Form1::LayOutButtons()
{
    const auto button = [&](const char* name, const QRect& place, const QString& caption, bool enabled) {
        auto* control = new QPushButton(caption, this);
        Named(control, name, place);
        control->setEnabled(enabled);
        control->setAutoDefault(false);
        control->raise();  // above Frame2 and Frame3
        FitCaption(control, caption);
        return control;
    };
    ExitButton = button("ExitButton", FromTwips(5520, 6480, 855, 375), QStringLiteral("Exit"), true);
    ResetButton = button("ResetButton", FromTwips(5520, 6000, 855, 375), QStringLiteral("Reset"), true);
    ConvertButton = button("ConvertButton", FromTwips(3120, 6000, 855, 375), QStringLiteral("Convert"), false);
    PreviewButton = button("PreviewButton", FromTwips(4080, 6000, 855, 375), QStringLiteral("Preview"), false);

    // Focus follows the tab indexes, not the picture: Preview comes before Convert.
    const QList<QWidget*> tabOrder{Drive1,        Dir1,        File1,      PreviewButton, PreviewPic,
                                   ConvertButton, ResetButton, ExitButton, InverseOption, NormalOption};
    for (qsizetype k = 1; k < tabOrder.size(); ++k)
        setTabOrder(tabOrder[k - 1], tabOrder[k]);

    connect(Drive1, &DriveList::Change, this, &Form1::Drive1_Change);
    connect(Dir1, &DirList::Change, this, &Form1::Dir1_Change);
    connect(File1, &FileList::DblClick, this, &Form1::File1_DblClick);
    connect(ConvertButton, &QPushButton::clicked, this, &Form1::ConvertButton_Click);
    connect(PreviewButton, &QPushButton::clicked, this, &Form1::PreviewButton_Click);
    connect(ResetButton, &QPushButton::clicked, this, &Form1::ResetButton_Click);
    connect(ExitButton, &QPushButton::clicked, this, &Form1::ExitButton_Click);
}

void Form1::Form_Load()
{
    hide();
    Init_Form();
    // Centred on the screen; once shown, the window frame's size is known too.
    const QPoint centre = screen()->availableGeometry().center();
    move(centre - rect().center());
    show();
    move(pos() + centre - frameGeometry().center());
}

void Form1::Init_Form()
{
    CopyRightLabel->setText(
        QStringLiteral("Copyright (C) 2001-2002\r\n"
                       "Quillon: two-colour pictures made into 122 x 32 LCD data tables"));
    ProgressPer->setText(QStringLiteral("0"));

    const QString startFolder = StartFolder(ProgramFolder, QDir::currentPath());
    Drive1->SetDriveOf(startFolder);  // a change of volume runs the browsing chain right here
    Dir1->SetPath(startFolder);

    // The picture box: 127 x 37 pixels, centred across Frame1 and 150 twips
    // below its middle; worked in twips, in single precision.
    PreviewPic->resize(127, 37);
    const float picWidth = static_cast<float>(PreviewPic->width() * TwipsPerPixel);
    const float picHeight = static_cast<float>(PreviewPic->height() * TwipsPerPixel);
    const float top = (static_cast<float>(Frame1->height() * TwipsPerPixel) + 300.0f) / 2.0f - picHeight / 2.0f;
    const float left = static_cast<float>(Frame1->width() * TwipsPerPixel) / 2.0f - picWidth / 2.0f;
    PreviewPic->move(qRound(left / TwipsPerPixel), qRound(top / TwipsPerPixel));
}

void Form1::Drive1_Change()
{
    // A volume whose root cannot be listed leaves the folder where it was.
    if (!Dir1->SetPath(Drive1->Drive()))
        Drive1->ShowDriveOf(Dir1->Path());
}

void Form1::Dir1_Change()
{
    File1->SetPath(Dir1->RawPath());
    Drive1->ShowDriveOf(Dir1->Path());  // going up past a mount point leaves its volume
}

void Form1::ResetButton_Click()
{
    PreviewPic->clear();
    InverseOption->setEnabled(false);
    NormalOption->setChecked(true);
    PreviewButton->setEnabled(false);
    ConvertButton->setEnabled(false);
    for (QLabel* value : {HeightValue, WidthValue, ColorValue, StatusValue, static_cast<QLabel*>(OutFileValue)})
        value->clear();
    OutFileValue->setToolTip({});
    ProgressPer->setText(QStringLiteral("0"));
    ConvertStatus = QStringLiteral("F");
    state_.OutputPath.clear();
}

void Form1::ExitButton_Click()
{
    // Nothing is asked or saved; with the last window gone the process ends.
    close();
}

void Form1::Show_Status()
{
    if (ConvertStatus == QLatin1String("S")) {
        StatusValue->setText(QStringLiteral("Successed"));
        OutFileValue->setText(ShownPath(state_.OutputPath));
    } else {
        StatusValue->setText(QStringLiteral("Failed"));
        OutFileValue->setText({});
    }
}

void Form1::SetProgress(int percent)
{
    ProgressPer->setText(QString::number(percent));
    ProgressPer->repaint();  // the conversion holds the event loop: paint now
}

}  // namespace quillon
