#include "ui/Windows.h"

#include <algorithm>
#include <cstring>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/imaging/Fit.h"
#include "core/imaging/Imaging.h"

namespace zefir::ui {

namespace {

#include "ui/zefir.xpm"

template <typename W> W* Place(QWidget* parent, const char* name, QRect geometry)
{
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

// A label laid out inside the place the layout gives it.
QLabel* PlaceLabel(QWidget* parent, const char* name, QRect geometry, const QString& text,
                   Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* label = Place<QLabel>(parent, name, geometry);
    label->setText(text);
    label->setAlignment(alignment | Qt::AlignVCenter);
    FitText(*label, geometry.width());
    return label;
}

// The frame around a client area, as ClientSize takes it off.
QSize OuterSize(QSize client)
{
    return client + QSize(8, 34);
}

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QSize outer = OuterSize(window.size());
    const QRect available = screen->availableGeometry();
    PlaceOnScreen(window, available.center() - QPoint(outer.width() / 2, outer.height() / 2),
                  outer);
}

} // namespace

// How long the progress window waits to be shown on the screen; a window
// that never is (on a hidden desktop, say) must not hold up the work.
constexpr qint64 kExposeWaitMs = 500;

constexpr QSize kProgressOuterSize{347, 93};
constexpr QSize kViewerOuterSize{280, 423};

QSize ClientSize(QSize outer)
{
    // Four-pixel borders and a 26-pixel title bar.
    return outer - QSize(8, 34);
}

QPoint ClampToScreen(QPoint topLeft, QSize outer, QRect available)
{
    const int x =
        std::max(std::min(topLeft.x(), available.right() + 1 - outer.width()), available.left());
    const int y =
        std::max(std::min(topLeft.y(), available.bottom() + 1 - outer.height()), available.top());
    return {x, y};
}

void PlaceOnScreen(QWidget& window, QPoint topLeft, QSize outer)
{
    const QScreen* screen = window.screen();
    window.move(screen ? ClampToScreen(topLeft, outer, screen->availableGeometry()) : topLeft);
}

void FitText(QWidget& widget, int width)
{
    // Below this the text is no longer readable; it is better cut.
    constexpr int kSmallestPixels = 8;
    QFont font = widget.font();
    int pixels = QFontInfo(font).pixelSize();
    while (widget.sizeHint().width() > width && pixels > kSmallestPixels) {
        font.setPixelSize(--pixels);
        widget.setFont(font);
    }
}

QString FromUtf8(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string ToUtf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

QString ApplicationTitle()
{
    return QCoreApplication::translate("zefir::ui", "ROKR E2 EZX parser and compiler");
}

QString WithLines(QString text, const QStringList& lines)
{
    constexpr qsizetype kMaxLines = 25;
    for (qsizetype i = 0; i < lines.size() && i < kMaxLines; ++i)
        text += QLatin1Char('\n') + lines[i];
    if (lines.size() > kMaxLines)
        text +=
            QLatin1Char('\n') + QCoreApplication::translate("zefir::ui", "... and %n more.",
                                                            nullptr, int(lines.size() - kMaxLines));
    return text;
}

QFont PixelFont(const QString& family, int pixels)
{
    QFont font(family);
    font.setPixelSize(pixels);
    return font;
}

// Through UTF-8 on every system: a narrow path would go through the
// system's code page, which on Windows lacks most characters. Qt's dialogs
// give paths with "/"; they take the system's separators here, so that a
// message joining a chosen folder and a file under it shows one kind.
fs::path ToPath(const QString& path)
{
    return PathFromUtf8(ToUtf8(QDir::toNativeSeparators(path)));
}

QString ToQString(const fs::path& path)
{
    return FromUtf8(Utf8Of(path));
}

QIcon ApplicationIcon()
{
    return QIcon(QPixmap(zefir_xpm));
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(tr("About"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(298, 218);
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));

    auto* panel = Place<QFrame>(this, "Panel1", {8, 8, 281, 161});
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);

    // The labels stand centred in the panel.
    auto* product = PlaceLabel(panel, "ProductName", {64, 24, 166, 62}, QStringLiteral("Zefir "),
                               Qt::AlignHCenter);
    QFont big = PixelFont(QStringLiteral("Arial"), 53);
    big.setBold(true);
    product->setFont(big);
    QPalette red = product->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    product->setPalette(red);

    PlaceLabel(panel, "Label1", {48, 88, 182, 13}, tr("ROKR E2 EZX file parser and compiler"),
               Qt::AlignHCenter);
    PlaceLabel(panel, "Version", {104, 112, 53, 13}, tr("Version 0.3"), Qt::AlignHCenter);
    PlaceLabel(panel, "Credit", {64, 128, 144, 13}, tr("Made for ROKR E2 skinners"),
               Qt::AlignHCenter);

    auto* ok = Place<QPushButton>(this, "OKButton", {120, 178, 65, 31});
    ok->setText(tr("OK"));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event)
{
    CentreOnScreen(*this);
    QDialog::showEvent(event);
}

TOKRightDlg::TOKRightDlg(Settings& settings, QWidget* parent)
    : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("OKRightDlg"));
    setWindowTitle(tr("Settings"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(221, 323);
    // The size of the usual dialog font the layout was made for.
    setFont(PixelFont(font().family(), 11));

    auto* bevel = Place<QFrame>(this, "Bevel1", {8, 8, 201, 249});
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);

    CheckBox1 = Place<QCheckBox>(this, "CheckBox1", {32, 24, 129, 17});
    CheckBox1->setText(tr("Enable conversion"));
    CheckBox1->setChecked(true);
    FitText(*CheckBox1, CheckBox1->width());

    Label1 =
        PlaceLabel(this, "Label1", {32, 72, 158, 13}, tr("Set target file format for bitmaps"));

    ComboBox1 = Place<QComboBox>(this, "ComboBox1", {32, 96, 153, 21});
    ComboBox1->addItems({tr("GIF image (.GIF)"), tr("PNG image (.PNG)"), tr("32-bit bitmap (.BMP)"),
                         tr("JPEG image (.JPG)")});
    ComboBox1->setMaxVisibleItems(4);

    auto* ok = Place<QPushButton>(this, "OKBtn", {132, 286, 75, 25});
    ok->setText(tr("OK"));
    ok->setDefault(true);
    auto* cancel = Place<QPushButton>(this, "CancelBtn", {36, 286, 75, 25});
    cancel->setText(tr("Cancel"));
    cancel->setAutoDefault(false);

    setTabOrder(ok, cancel);
    setTabOrder(cancel, ComboBox1);
    setTabOrder(ComboBox1, CheckBox1);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ComboBox1, &QComboBox::activated, this, &TOKRightDlg::ComboBox1Select);
    connect(CheckBox1, &QCheckBox::toggled, this, &TOKRightDlg::CheckBox1Click);
}

bool TOKRightDlg::ConversionChecked() const
{
    return CheckBox1->isChecked();
}

void TOKRightDlg::showEvent(QShowEvent* event)
{
    CentreOnScreen(*this);
    FormShow();
    QDialog::showEvent(event);
}

void TOKRightDlg::FormShow()
{
    ComboBox1->setCurrentIndex(m_settings.FormatChoice);
}

void TOKRightDlg::ComboBox1Select(int index)
{
    m_settings.FormatChoice = index;
}

void TOKRightDlg::CheckBox1Click(bool checked)
{
    Label1->setEnabled(checked);
    ComboBox1->setEnabled(checked);
}

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    // A title bar without buttons: the work cannot be closed half-way.
    setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    // It takes no input; the keyboard stays where the user left it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(tr("Please wait..."));
    setFont(PixelFont(QStringLiteral("Tahoma"), 11));
    setFixedSize(ClientSize(kProgressOuterSize));

    ProgressBar1 = Place<QProgressBar>(this, "ProgressBar1", {16, 24, 305, 17});
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TForm1::Show()
{
    PlaceOnScreen(*this, {150, 100}, kProgressOuterSize);
    ProgressBar1->setValue(0);
    show();
    raise();
    // Nothing is painted before the window system reports the window on the
    // screen, which it does through an event. Only that kind of event is
    // let through here: user input waits until the work is done.
    QElapsedTimer waited;
    waited.start();
    const auto onScreen = [this] {
        return testAttribute(Qt::WA_Mapped) && windowHandle() && windowHandle()->isExposed();
    };
    while (!onScreen() && waited.elapsed() < kExposeWaitMs) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(1);
    }
    repaint();
}

void TForm1::SetCaption(std::string_view caption)
{
    setWindowTitle(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    // Painting flushes the window system's queue, which carries the title.
    repaint();
}

void TForm1::SetPosition(int position)
{
    ProgressBar1->setValue(position);
    ProgressBar1->repaint();
}

void TForm1::Close()
{
    hide();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

QRect PicturePlacement(QSize picture, int zoom, bool stretch, QRect area)
{
    int w = picture.width();
    int h = picture.height();
    if (stretch) {
        w = std::min(w * zoom, area.width());
        h = std::min(h * zoom, area.height());
    }
    // C++ division truncates toward zero, as the placement wants for
    // pictures larger than the area.
    int x = (area.width() - w) / 2 + area.left();
    int y = (area.height() - h) / 2 + area.top();
    return {x, y, w, h};
}

QImage ImageFromBitmap(const imaging::Bitmap& bitmap)
{
    if (bitmap.width == 0 || bitmap.height == 0 ||
        bitmap.pixels.size() != static_cast<std::size_t>(bitmap.width) * bitmap.height)
        return {};
    QImage image(static_cast<int>(bitmap.width), static_cast<int>(bitmap.height),
                 QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    for (std::uint32_t y = 0; y < bitmap.height; ++y)
        std::memcpy(image.scanLine(static_cast<int>(y)), bitmap.Row(y),
                    std::size_t{bitmap.width} * 4);
    return image;
}

Icon DecodeIcon(std::string_view name, std::span<const std::byte> bytes, const fs::path& source,
                std::uint32_t keptSide)
{
    imagecodec::PhonePicture phone = imagecodec::DecodePhonePicture(name, bytes, source);
    Icon icon;
    icon.size =
        QSize(static_cast<int>(phone.picture.width), static_cast<int>(phone.picture.height));
    if (keptSide > 0 && (phone.picture.width > keptSide || phone.picture.height > keptSide))
        phone.picture = imaging::FitPicture(phone.picture, keptSide);
    // Premultiplied, the form painting is fastest with; it draws the same.
    icon.image =
        ImageFromBitmap(phone.picture).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return icon;
}

TForm2::TForm2(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form2"));
    // A tool window: the window system keeps it above the main window and
    // below the dialogs, and lists it with the main window, not on its own.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(tr("Icon Viewer"));
    setWindowIcon(ApplicationIcon());
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    setFixedSize(ClientSize(kViewerOuterSize));
    PlaceOnScreen(*this, {360, 220}, kViewerOuterSize);

    ComboBox1 = Place<QComboBox>(this, "ComboBox1", {168, 350, 89, 21});
    ComboBox1->addItems(
        {QStringLiteral("1X"), QStringLiteral("2X"), QStringLiteral("4X"), QStringLiteral("8X")});
    ComboBox1->setPlaceholderText(tr("Zoom"));
    ComboBox1->setCurrentIndex(-1);

    CheckBox1 = Place<QCheckBox>(this, "CheckBox1", {16, 352, 73, 17});
    CheckBox1->setText(tr("Stretch"));
    FitText(*CheckBox1, CheckBox1->width());

    connect(ComboBox1, &QComboBox::activated, this, &TForm2::ComboBox1Select);
    connect(CheckBox1, &QCheckBox::clicked, this, &TForm2::CheckBox1Click);
}

void TForm2::DrawPicture()
{
    m_picture = QImage();
    m_kind = imagecodec::ImageKind::ikUnknown;
    m_content = imagecodec::MotoImageContent::Other;
    m_whyNot.clear();
    PlacePicture();

    // The name gives the kind and a raw picture's size; the file is read
    // once, whole. Any picture file fits under the cap, a member far less.
    const std::string name = Utf8Of(SourceFile.filename());
    const std::vector<std::byte> bytes = fileio::ReadFile(SourceFile, imaging::kMaxPictureFileSize);
    m_kind = imagecodec::DetectImageKind(name, bytes);
    if (m_kind == imagecodec::ImageKind::ikMotoImage)
        m_content = imagecodec::MotoImageHolds(bytes);
    try {
        m_picture = DecodeIcon(name, bytes, SourceFile).image;
    } catch (const IoError& e) {
        // A Moto Image is the user's GIF or PNG file under the phone's
        // extension, and one that cannot be decoded is simply not drawn, as
        // is a file that gives no picture. A damaged Moto Bitmap or raw
        // picture is reported.
        if (m_kind != imagecodec::ImageKind::ikMotoImage && e.kind() != ErrorKind::Refused)
            throw;
        m_whyNot = QString::fromStdString(e.message());
    }
    PlacePicture();
}

void TForm2::ComboBox1Select(int index)
{
    Zoom = 1 << index;
    PlacePicture();
}

void TForm2::CheckBox1Click()
{
    PlacePicture();
}

void TForm2::PlacePicture()
{
    m_rect = PicturePlacement(m_picture.size(), Zoom, CheckBox1->isChecked());
    update();
}

void TForm2::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(kPictureArea, Qt::black);
    // Without SmoothPixmapTransform the scaling is nearest-neighbour, so a
    // zoomed icon keeps crisp pixels. Transparent pixels show the black.
    if (!m_picture.isNull() && !m_rect.isEmpty())
        painter.drawImage(m_rect, m_picture);
}

} // namespace zefir::ui
