#include "ui/Screenshots.h"

#include <cstdio>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>

#include "ui/ArchiveEditor.h"
#include "ui/Dialogs.h"
#include "ui/MainWindow.h"

namespace zefir::ui {

namespace {

// Extracts into a given folder and shows no dialog of its own; any message
// is printed, so a failure is not silent.
class ScreenshotDialogs final : public IDialogs {
public:
    explicit ScreenshotDialogs(QString folder) : m_folder(std::move(folder)) {}

    std::optional<FileAnswer> OpenFile(QWidget*, const FileRequest&) override { return {}; }
    std::optional<FileAnswer> SaveFile(QWidget*, const FileRequest&) override { return {}; }
    std::optional<QString> Folder(QWidget*, const QString&, const QString&) override
    {
        return m_folder;
    }
    void Message(QWidget*, MessageKind, const QString& title, const QString& text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
        ++failures;
    }
    // Nothing is replaced while the pictures are taken.
    Answer Ask(QWidget*, const Question&) override { return Answer::Cancel; }

    int failures = 0;

private:
    QString m_folder;
};

// Lets the window manager frame and place the windows and the windows paint.
void Settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300) {
        QApplication::processEvents();
        QThread::msleep(10);
    }
}

bool SavePixmap(const QPixmap& shot, const QDir& folder, const char* name)
{
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (shot.save(path))
        return true;
    std::fprintf(stderr, "zefir: cannot write %s\n", qPrintable(path));
    return false;
}

// The window with its frame as the window manager draws it, when there is
// one; otherwise its contents alone.
bool Save(QWidget& window, const QDir& folder, const char* name)
{
    window.show();
    window.raise();
    Settle();
    // A window manager may take a moment longer to frame a window.
    for (int i = 0; i < 10 && window.frameGeometry() == window.geometry(); ++i)
        Settle();
    const QRect frame = window.frameGeometry();
    QScreen* screen = window.screen();
    if (screen && frame != window.geometry())
        return SavePixmap(
            screen->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()), folder,
            name);
    return SavePixmap(window.grab(), folder, name);
}

} // namespace

int TakeScreenshots(const QString& folder, const QString& archive)
{
    QTemporaryDir work;
    const QDir out(folder);
    if (!work.isValid() || !QDir().mkpath(folder)) {
        std::fprintf(stderr, "zefir: cannot create the folders for screenshots\n");
        return 1;
    }
    ScreenshotDialogs dialogs(work.path());
    ZefirWindows windows(dialogs);
    TSDIAppForm& main = windows.SDIAppForm;
    main.show();

    main.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();
    main.OpenArchive(archive);
    auto* list = main.findChild<QListWidget*>(QStringLiteral("ListBox1"));
    // The battery, when the archive has it, shows transparency and zoom.
    const auto battery = list->findItems(QStringLiteral("status_battery"), Qt::MatchStartsWith);
    if (!battery.isEmpty())
        list->setCurrentItem(battery.constFirst());

    auto* zoom = windows.Form2.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    zoom->setCurrentIndex(2);
    windows.Form2.ComboBox1Select(2);
    windows.Form2.findChild<QCheckBox*>(QStringLiteral("CheckBox1"))->click();

    // The windows together as a user works with them: the viewer showing
    // and Settings open above it. Then each alone.
    Settle();
    windows.OKRightDlg.show();
    windows.OKRightDlg.raise();
    Settle();
    const QRect all = main.frameGeometry()
                          .united(windows.Form2.frameGeometry())
                          .united(windows.OKRightDlg.frameGeometry())
                          .adjusted(-16, -16, 16, 16)
                          .intersected(main.screen()->geometry());
    bool saved =
        SavePixmap(main.screen()->grabWindow(0, all.x(), all.y(), all.width(), all.height()), out,
                   "desktop.png");
    saved = saved && Save(windows.OKRightDlg, out, "settings.png");
    windows.OKRightDlg.hide();
    saved = saved && Save(windows.Form2, out, "viewer.png");
    windows.Form2.hide();
    saved = saved && Save(main, out, "main.png");
    windows.Form1.Show();
    windows.Form1.SetCaption(
        QCoreApplication::translate("zefir::archive", "Extracting icons").toStdString());
    windows.Form1.SetPosition(40);
    saved = saved && Save(windows.Form1, out, "progress.png");
    windows.Form1.Close();
    saved = saved && Save(windows.AboutBox, out, "about.png");
    windows.AboutBox.hide();
    windows.SDIAppForm.hide();

    // The Archive Editor on the same archive, its first icon chosen.
    ArchiveEditor editor(dialogs);
    editor.resize(900, 640);
    editor.show();
    editor.OpenArchive(archive);
    Settle();
    saved = saved && Save(editor, out, "editor.png");
    return saved && dialogs.failures == 0 ? 0 : 1;
}

} // namespace zefir::ui
