#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "core/archive/Progress.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imagecodec/PhonePictures.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;

namespace zefir::imaging {
struct Bitmap;
}

namespace zefir::ui {

namespace fs = std::filesystem;

// Heads the task-bar entry and every error box.
QString ApplicationTitle();

// Paths travel between Qt and the core in the file system's own encoding.
fs::path ToPath(const QString& path);
QString ToQString(const fs::path& path);

// The settings of one run; nothing is stored between runs.
struct Settings {
    bool ConvertEnabled = true;
    imagecodec::Format TargetFormat = imagecodec::Format::Bmp;
    // The format last picked in the settings dialog, kept even when the
    // dialog is cancelled.
    int FormatChoice = 2;
    bool ShowPreview = false;
    // Where the last archive was extracted; empty before the first.
    fs::path WorkFolder;
};

// Member names and core messages are UTF-8 text.
QString FromUtf8(std::string_view text);
std::string ToUtf8(const QString& text);
// `text` with `lines` under it, one a line; a long list is cut so that the
// box showing it still fits on the screen.
QString WithLines(QString text, const QStringList& lines);

// The windows' sizes are given as outer sizes, title bar and borders
// included; this is the client size within a typical frame.
QSize ClientSize(QSize outer);
// The layouts were made for fonts of these pixel sizes; a family the system
// lacks falls back to a similar one.
QFont PixelFont(const QString& family, int pixels);
// The window icon of the main window and the viewer.
QIcon ApplicationIcon();

// Where a window whose frame is `outer` goes when asked to stand at
// `topLeft`: there, unless that puts part of it off `available`, the
// screen's free area; then as close as it fits, its top-left corner kept
// on the screen when the window is larger than the screen.
QPoint ClampToScreen(QPoint topLeft, QSize outer, QRect available);
// Moves a top-level window to `topLeft` on its screen, clamped as above;
// `outer` is its size with the frame.
void PlaceOnScreen(QWidget& window, QPoint topLeft, QSize outer);

// Fonts differ from system to system: a text wider than the place the
// layout gives it is set smaller, down to a readable size, rather than
// crossing its neighbours or its window's border.
void FitText(QWidget& widget, int width);

// The program's dialogs are windows of the main window (`parent`), so they
// open above it and above the viewer and have no task-bar entry of their
// own; they still stand at the centre of the screen.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
};

class TOKRightDlg : public QDialog {
    Q_OBJECT
public:
    // The dialog reads and writes FormatChoice of `settings` directly.
    explicit TOKRightDlg(Settings& settings, QWidget* parent = nullptr);

    bool ConversionChecked() const;

public slots:
    void ComboBox1Select(int index);
    void CheckBox1Click(bool checked);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    Settings& m_settings;
    QCheckBox* CheckBox1;
    QLabel* Label1;
    QComboBox* ComboBox1;
};

// The progress window. Extraction and packing run on the GUI thread without
// returning to the event loop, so every change is painted at once; no
// events are processed, so no user input can reach the program meanwhile.
// A window of the main window (`parent`): no task-bar entry of its own.
class TForm1 : public QWidget, public archive::IProgress {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);

    void Show() override;
    void SetCaption(std::string_view caption) override;
    void SetPosition(int position) override;
    void Close() override;

protected:
    // Window managers that offer a close button anyway get no answer: the
    // window goes when the work is done.
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* ProgressBar1;
};

// The black area the viewer draws on: the phone's 240 x 320 screen.
inline constexpr QRect kPictureArea{16, 16, 240, 320};

// Where the viewer draws a picture of `picture` pixels: without stretching at
// its own size, with stretching `zoom` times larger but no larger than the
// area on each side; centred on the area, the half difference truncated
// toward zero, so a picture larger than the area overflows it on both sides.
QRect PicturePlacement(QSize picture, int zoom, bool stretch, QRect area = kPictureArea);

// A core picture as a QImage; both hold non-premultiplied 0xAARRGGBB values.
QImage ImageFromBitmap(const imaging::Bitmap& bitmap);

// A phone file's picture as the windows draw it: decoded in memory from its
// name and bytes, at its own size, or shrunk to fit `keptSide` a side when
// larger (0 keeps every pixel). Throws IoError as the core's decoder does:
// Refused when the file gives no picture (no phone kind, a raw picture
// without its size, a Moto Image of neither GIF nor PNG), Damaged or
// OverLimit when its bytes are refused.
struct Icon {
    QSize size; // the picture's own size, before any shrinking
    QImage image;
};
Icon DecodeIcon(std::string_view name, std::span<const std::byte> bytes, const fs::path& source,
                std::uint32_t keptSide = 0);

// The icon viewer. It reads the member's file once, decodes it in memory,
// keeps the picture and only draws it; zoom and "Stretch" place it anew.
// A window of the main window (`parent`): it stays above the main window
// but not above the program's dialogs or other programs, has no task-bar
// entry of its own, and shows without taking the keyboard from the main
// window, so the member list keeps its arrow keys.
class TForm2 : public QWidget {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

    int Zoom = 1;
    // The member's file, as extraction wrote it.
    fs::path SourceFile;

    // Reads and decodes SourceFile and redraws. Throws IoError when the file
    // cannot be read or a Moto Bitmap or raw picture is damaged; a file that
    // gives no picture, and a Moto Image whose picture cannot be decoded,
    // are drawn as nothing, 0 x 0.
    void DrawPicture();

    QSize PictureSize() const { return m_picture.size(); }
    imagecodec::ImageKind SourceKind() const { return m_kind; }
    // What a Moto Image holds; Other for every other kind.
    imagecodec::MotoImageContent SourceContent() const { return m_content; }
    // Why there is no picture to draw; empty when there is one.
    const QString& WhyNoPicture() const { return m_whyNot; }
    QRect PictureRect() const { return m_rect; }

public slots:
    void ComboBox1Select(int index);
    void CheckBox1Click();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PlacePicture();

    QComboBox* ComboBox1;
    QCheckBox* CheckBox1;
    QImage m_picture;
    QRect m_rect;
    imagecodec::ImageKind m_kind = imagecodec::ImageKind::ikUnknown;
    imagecodec::MotoImageContent m_content = imagecodec::MotoImageContent::Other;
    QString m_whyNot;
};

} // namespace zefir::ui
