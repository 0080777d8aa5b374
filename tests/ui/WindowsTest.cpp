// The settings dialog, the viewer, the error text and the shortcuts, each
// driven through its widgets.

#include <functional>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "UiTestSupport.h"
#include "ui/ArchiveEditor.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;
using imagecodec::Format;

namespace {

// What the settings dialog shows: the format, the box and whether the label
// and the list can be used.
QString Shows(TOKRightDlg& d)
{
    auto* combo = d.findChild<QComboBox*>("ComboBox1");
    const bool label = d.findChild<QLabel*>("Label1")->isEnabled();
    return QStringLiteral("%1, %2, %3")
        .arg(combo->currentText(),
             d.findChild<QCheckBox*>("CheckBox1")->isChecked() ? "checked" : "unchecked",
             label != combo->isEnabled() ? "half greyed"
             : label                     ? "enabled"
                                         : "greyed");
}

// The settings applied: the target format, the format picked last and
// whether conversion is on.
QString Applied(const Settings& s)
{
    return QStringLiteral("format %1, choice %2, %3")
        .arg(static_cast<int>(s.TargetFormat))
        .arg(s.FormatChoice)
        .arg(s.ConvertEnabled ? "on" : "off");
}

// Runs the settings command; `act` works the modal dialog and closes it.
// Returns what the dialog showed when it opened.
QString RunSettings(Session& s, const std::function<void(TOKRightDlg&)>& act)
{
    QString shown = "not shown";
    TOKRightDlg& dialog = s.windows.OKRightDlg;
    QTimer::singleShot(0, &dialog, [&] {
        shown = Shows(dialog);
        act(dialog);
        if (dialog.isVisible()) {
            shown = "left open";
            dialog.reject();
        }
    });
    s.main.Settings1Click();
    return shown;
}

} // namespace

class WindowsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { uitest::SpeakEnglish(); }

    // A pick is remembered however the dialog is closed but applied only by
    // OK; so is the box, and unchecking it resets the format.
    void settingsApplyOnlyOnOk_data()
    {
        QTest::addColumn<int>("closeWay");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void settingsApplyOnlyOnOk()
    {
        QFETCH(int, closeWay);
        const struct {
            // Up moves the closed list one entry up, as a user picks with
            // the keyboard.
            bool up, toggle, ok;
            QString shows, applied;
        } steps[] = {
            {true, false, false, "32-bit bitmap (.BMP), checked, enabled",
             "format 2, choice 1, on"},
            {false, false, true, "PNG image (.PNG), checked, enabled", "format 1, choice 1, on"},
            {false, true, false, "PNG image (.PNG), checked, enabled", "format 1, choice 1, on"},
            {false, false, true, "PNG image (.PNG), unchecked, greyed", "format 2, choice 2, off"},
            {false, true, true, "32-bit bitmap (.BMP), unchecked, greyed",
             "format 2, choice 2, on"},
        };
        Session s;
        for (const auto& step : steps) {
            const QString shown = RunSettings(s, [&](TOKRightDlg& d) {
                if (step.up)
                    QTest::keyClick(d.findChild<QComboBox*>("ComboBox1"), Qt::Key_Up);
                if (step.toggle)
                    d.findChild<QCheckBox*>("CheckBox1")->click();
                if (step.ok)
                    d.findChild<QPushButton*>("OKBtn")->click();
                else if (closeWay == 0)
                    d.findChild<QPushButton*>("CancelBtn")->click();
                else if (closeWay == 1)
                    QTest::keyClick(&d, Qt::Key_Escape);
                else
                    d.close();
            });
            QCOMPARE(shown, step.shows);
            QCOMPARE(Applied(s.main.settings()), step.applied);
        }
    }

    void placement_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("zoom");
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<QRect>("expected");
        for (int zoom : {1, 2, 4, 8})
            QTest::addRow("20x30 own size at %dX", zoom)
                << QSize(20, 30) << zoom << false << QRect(126, 161, 20, 30);
        QTest::newRow("20x30 stretched 8X")
            << QSize(20, 30) << 8 << true << QRect(56, 56, 160, 240);
        QTest::newRow("100x50 stretched 4X, width cut")
            << QSize(100, 50) << 4 << true << QRect(16, 76, 240, 200);
        QTest::newRow("480x640 squeezed at 1X")
            << QSize(480, 640) << 1 << true << QRect(16, 16, 240, 320);
        QTest::newRow("300x400 overflows")
            << QSize(300, 400) << 1 << false << QRect(-14, -24, 300, 400);
        QTest::newRow("239 wide") << QSize(239, 10) << 1 << false << QRect(16, 171, 239, 10);
        QTest::newRow("241 wide") << QSize(241, 10) << 1 << false << QRect(16, 171, 241, 10);
        QTest::newRow("nothing loaded") << QSize(0, 0) << 8 << true << QRect(136, 176, 0, 0);
    }
    void placement()
    {
        QFETCH(QSize, picture);
        QFETCH(int, zoom);
        QFETCH(bool, stretch);
        QFETCH(QRect, expected);
        QCOMPARE(PicturePlacement(picture, zoom, stretch), expected);
    }

    // A 2 x 1 icon, red and transparent, at 4X stretched: crisp pixels, the
    // transparent one and the area around black.
    void viewerDrawsZoomedPixelsCrispOnBlack()
    {
        QTemporaryDir dir;
        const fs::path folder = dir.path().toStdString();
        imaging::Bitmap icon(2, 1);
        icon.At(0, 0) = 0xFFFF0000;
        icon.At(1, 0) = 0x00FFFFFF;
        WriteBytes(folder / "icon.k", imagecodec::EncodeMotoBitmap32(icon, "icon.k"));

        TForm2 viewer;
        viewer.SourceFile = folder / "icon.k";
        QCOMPARE(viewer.Zoom, 1);
        auto* combo = viewer.findChild<QComboBox*>("ComboBox1");
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->placeholderText(), QString("Zoom"));

        viewer.DrawPicture();
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        viewer.findChild<QCheckBox*>("CheckBox1")->click();
        QCOMPARE(viewer.PictureRect(), QRect(132, 174, 8, 4));
        // Decoded in memory: nothing is written beside the member.
        QCOMPARE(Files(folder), QStringList{Q(folder / "icon.k")});

        const QImage shot = viewer.grab().toImage();
        const QRgb red = 0xFF0000, black = 0;
        const struct {
            int x, y;
            QRgb colour;
        } pixels[] = {
            {16, 16, black}, {255, 335, black}, {131, 175, black}, {132, 174, red},
            {135, 177, red}, {136, 174, black}, {139, 177, black}, {140, 175, black},
        };
        for (const auto& p : pixels)
            QCOMPARE(QString::number(shot.pixel(p.x, p.y) & 0xFFFFFF, 16),
                     QString::number(p.colour, 16));
    }

    // "." is added after a last character that sorts after it.
    void errorText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("dotted");
        QTest::newRow("letter") << "a.ezx: cannot open" << true;
        QTest::newRow("full stop") << "done." << false;
        QTest::newRow("digit") << "size 5" << true;
        QTest::newRow("slash, just after") << "in /tmp/" << true;
        QTest::newRow("hyphen, just before") << "a -" << false;
        QTest::newRow("Cyrillic") << QString::fromUtf8("Значок") << true;
        QTest::newRow("empty") << "" << false;
    }
    void errorText()
    {
        QFETCH(QString, message);
        QFETCH(bool, dotted);
        QCOMPARE(ErrorText(message.toStdString()), dotted ? message + '.' : message);
    }

    void shortcuts_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("inViewer");
        QTest::addColumn<QString>("firstDialog");
        // In the main window, and in the viewer after the user clicked it.
        for (bool viewer : {false, true}) {
            QTest::addRow("Ctrl+O opens, viewer %d", viewer)
                << int(Qt::Key_O) << viewer << "open: Open EZX file";
            QTest::addRow("Ctrl+S packs, viewer %d", viewer)
                << int(Qt::Key_S) << viewer << "open: Select folder and file to take icons from";
            QTest::addRow("Ctrl+N does nothing, viewer %d", viewer)
                << int(Qt::Key_N) << viewer << "";
        }
    }
    void shortcuts()
    {
        QFETCH(int, key);
        QFETCH(bool, inViewer);
        QFETCH(QString, firstDialog);
        Session s;
        s.main.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        QWidget* target = &s.main;
        if (inViewer) {
            s.SetPreview(true);
            s.Open();
            s.dialogs.titles.clear();
            QApplication::setActiveWindow(target = &s.windows.Form2);
        }
        QTest::keyClick(target, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(s.dialogs.titles.join('|'), firstDialog);
    }

    // With an editor open beside the main window, each window's Ctrl+S and
    // Ctrl+O are its own.
    void shortcutsOfTheEditorAreItsOwn()
    {
        Session s;
        s.main.show();
        QTemporaryDir dir;
        const fs::path archive = fs::path(dir.path().toStdString()) / "iconres.ezx";
        WriteTestArchive(archive);
        ArchiveEditor editor(s.dialogs);
        editor.show();
        QVERIFY(editor.OpenArchive(Q(archive)));
        QVERIFY(editor.RemoveMembers({0}));
        QApplication::setActiveWindow(&editor);
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTest::keyClick(&editor, Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(!editor.isWindowModified() && !editor.Document().Busy());
        QTest::keyClick(&editor, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(s.dialogs.titles.join('|'), QString("open: Open EZX file"));
        QCOMPARE(s.dialogs.asked.back().directory, Q(archive.parent_path()));
        QApplication::setActiveWindow(&s.main);
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        QTest::keyClick(&s.main, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(s.dialogs.titles.last(), QString("open: Select folder and file to take icons from"));
    }

    // The viewer shows as a window of the main window, which keeps the
    // keyboard. A dialog opened then is a modal window of the main window,
    // which the window system stacks above it and above the viewer.
    void dialogOpensAboveTheViewer()
    {
        Session s;
        s.main.show();
        QVERIFY(QTest::qWaitForWindowActive(&s.main));
        s.SetPreview(true);
        s.Open();
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::activeWindow(), &s.main);
        TForm2& viewer = s.windows.Form2;
        QVERIFY(!(viewer.windowFlags() & Qt::WindowStaysOnTopHint));
        QString seen;
        TOKRightDlg& dialog = s.windows.OKRightDlg;
        QTimer::singleShot(0, &dialog, [&] {
            seen = QStringLiteral("%1, modal %2, viewer %3")
                       .arg(dialog.parentWidget()->objectName())
                       .arg(QApplication::activeModalWidget() == &dialog)
                       .arg(viewer.isVisible());
            dialog.reject();
        });
        s.main.Settings1Click();
        QCOMPARE(seen, QString("SDIAppForm, modal 1, viewer 1"));
        for (QWidget* window : std::initializer_list<QWidget*>{&dialog, &viewer})
            QCOMPARE(window->windowHandle()->transientParent(), s.main.windowHandle());
    }

    // Captions stay inside their places whatever the font; a window placed
    // at a fixed position stays on a small screen.
    void layoutFitsItsPlaces()
    {
        Session s;
        for (QWidget* w : {s.windows.OKRightDlg.findChild<QWidget*>("Label1"),
                           s.windows.OKRightDlg.findChild<QWidget*>("CheckBox1"),
                           s.main.findChild<QWidget*>("CheckBox1")})
            QVERIFY2(w->sizeHint().width() <= w->width() && w->width() <= 158,
                     qPrintable(w->objectName()));
        // A 280 x 423 window asked to stand at 360, 220.
        QCOMPARE(ClampToScreen({360, 220}, {280, 423}, {0, 0, 1024, 768}), QPoint(360, 220));
        QCOMPARE(ClampToScreen({360, 220}, {280, 423}, {0, 0, 640, 600}), QPoint(360, 177));
        QCOMPARE(ClampToScreen({360, 220}, {280, 423}, {1024, 0, 600, 480}), QPoint(1024, 57));
        QCOMPARE(ClampToScreen({360, 220}, {280, 423}, {0, 0, 200, 300}), QPoint(0, 0));
    }
};

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
