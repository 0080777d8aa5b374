// The settings dialog, the viewer, the progress window, the error text and
// the shortcuts, each driven through its widgets.

#include <functional>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/MainWindow.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;
using imagecodec::Format;

class WindowsTest : public QObject {
    Q_OBJECT

private:
    // Runs the settings command; `act` works the modal dialog while it is
    // open, then the dialog is closed the way `close` does it.
    void RunSettings(ZefirWindows& windows, const std::function<void(TOKRightDlg&)>& act,
                     const std::function<void(TOKRightDlg&)>& close)
    {
        bool ran = false;
        QTimer::singleShot(0, &windows.OKRightDlg, [&] {
            QVERIFY(windows.OKRightDlg.isVisible());
            act(windows.OKRightDlg);
            close(windows.OKRightDlg);
            ran = true;
        });
        windows.SDIAppForm.Settings1Click();
        QVERIFY(ran);
        QVERIFY(!windows.OKRightDlg.isVisible());
    }

    static QComboBox* Combo(TOKRightDlg& d) { return d.findChild<QComboBox*>("ComboBox1"); }
    static QCheckBox* Check(TOKRightDlg& d) { return d.findChild<QCheckBox*>("CheckBox1"); }
    static void Ok(TOKRightDlg& d) { d.findChild<QPushButton*>("OKBtn")->click(); }
    static void Cancel(TOKRightDlg& d) { d.findChild<QPushButton*>("CancelBtn")->click(); }
    static void Escape(TOKRightDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }
    static void CloseBox(TOKRightDlg& d) { d.close(); }
    // Picks an entry as a user does, with the keyboard on the closed list.
    static void Pick(TOKRightDlg& d, int index)
    {
        QComboBox* combo = Combo(d);
        combo->setFocus();
        while (combo->currentIndex() < index)
            QTest::keyClick(combo, Qt::Key_Down);
        while (combo->currentIndex() > index)
            QTest::keyClick(combo, Qt::Key_Up);
    }

private slots:
    void settingsStartShowingBitmapWithConversion()
    {
        ScriptedDialogs dialogs;
        ZefirWindows windows(dialogs);
        RunSettings(
            windows,
            [](TOKRightDlg& d) {
                QCOMPARE(Combo(d)->currentText(), QString("32-bit bitmap (.BMP)"));
                QVERIFY(Check(d)->isChecked());
                QVERIFY(Combo(d)->isEnabled());
            },
            Ok);
        const Settings& s = windows.SDIAppForm.settings();
        QCOMPARE(s.TargetFormat, Format::Bmp);
        QVERIFY(s.ConvertEnabled);
    }

    void settingsPickThenCancelIsRememberedNotApplied_data()
    {
        QTest::addColumn<int>("closeWay");
        QTest::newRow("Cancel") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close box") << 2;
    }
    void settingsPickThenCancelIsRememberedNotApplied()
    {
        QFETCH(int, closeWay);
        const std::function<void(TOKRightDlg&)> closers[] = {Cancel, Escape, CloseBox};
        ScriptedDialogs dialogs;
        ZefirWindows windows(dialogs);
        const Settings& s = windows.SDIAppForm.settings();

        RunSettings(
            windows, [](TOKRightDlg& d) { Pick(d, 1); }, closers[closeWay]);
        QCOMPARE(s.TargetFormat, Format::Bmp);
        QCOMPARE(s.FormatChoice, 1);

        RunSettings(
            windows,
            [](TOKRightDlg& d) { QCOMPARE(Combo(d)->currentText(), QString("PNG image (.PNG)")); },
            Ok);
        QCOMPARE(s.TargetFormat, Format::Png);
        QVERIFY(s.ConvertEnabled);
    }

    void settingsDisablingResetsTheFormat()
    {
        ScriptedDialogs dialogs;
        ZefirWindows windows(dialogs);
        const Settings& s = windows.SDIAppForm.settings();

        RunSettings(
            windows, [](TOKRightDlg& d) { Pick(d, 0); }, Ok);
        QCOMPARE(s.TargetFormat, Format::Gif);

        RunSettings(
            windows, [](TOKRightDlg& d) { Check(d)->click(); }, Ok);
        QVERIFY(!s.ConvertEnabled);
        QCOMPARE(s.TargetFormat, Format::Bmp);
        QCOMPARE(s.FormatChoice, 2);

        RunSettings(
            windows,
            [](TOKRightDlg& d) {
                QCOMPARE(Combo(d)->currentText(), QString("32-bit bitmap (.BMP)"));
                Check(d)->click();
            },
            Ok);
        QVERIFY(s.ConvertEnabled);
        QCOMPARE(s.TargetFormat, Format::Bmp);
    }

    void settingsUncheckThenCancelKeepsTheBoxForNextTime()
    {
        ScriptedDialogs dialogs;
        ZefirWindows windows(dialogs);
        const Settings& s = windows.SDIAppForm.settings();

        RunSettings(
            windows, [](TOKRightDlg& d) { Check(d)->click(); }, Cancel);
        QVERIFY(s.ConvertEnabled);

        RunSettings(
            windows,
            [](TOKRightDlg& d) {
                QVERIFY(!Check(d)->isChecked());
                QVERIFY(!Combo(d)->isEnabled());
                QVERIFY(!d.findChild<QLabel*>("Label1")->isEnabled());
            },
            Ok);
        QVERIFY(!s.ConvertEnabled);
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
        imaging::Bitmap icon(2, 1);
        icon.At(0, 0) = 0xFFFF0000;
        icon.At(1, 0) = 0x00FFFFFF;
        const fs::path source = fs::path(dir.path().toStdString()) / "icon.k";
        const auto bytes = imagecodec::EncodeMotoBitmap32(icon, source);
        WriteBytes(source, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<qsizetype>(bytes.size())));

        TForm2 viewer;
        viewer.SourceFile = source;
        viewer.PictureFile = fs::path(dir.path().toStdString()) / "temp.png";
        viewer.PreviewFormat = Format::Png;
        QCOMPARE(viewer.Zoom, 1);
        auto* combo = viewer.findChild<QComboBox*>("ComboBox1");
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->placeholderText(), QString("Zoom"));

        viewer.DrawPicture();
        combo->setCurrentIndex(2);
        emit combo->activated(2);
        viewer.findChild<QCheckBox*>("CheckBox1")->click();
        QCOMPARE(viewer.Zoom, 4);
        QCOMPARE(viewer.PictureRect(), QRect(132, 174, 8, 4));
        QVERIFY(!QFile::exists(Q(viewer.PictureFile)));

        const QImage shot = viewer.grab().toImage();
        const QRgb red = qRgb(255, 0, 0), black = qRgb(0, 0, 0);
        struct Pixel {
            int x, y;
            QRgb colour;
        } const pixels[] = {
            {16, 16, black}, {255, 335, black}, {131, 175, black}, {132, 174, red},
            {135, 177, red}, {136, 174, black}, {139, 177, black}, {140, 175, black},
        };
        for (const Pixel& p : pixels)
            QCOMPARE(QString::number(shot.pixel(p.x, p.y) & 0xFFFFFF, 16),
                     QString::number(p.colour & 0xFFFFFF, 16));
    }

    void progressShowsEachTimeAtItsPlaceWithAnEmptyBar()
    {
        TForm1 form;
        auto* bar = form.findChild<QProgressBar*>("ProgressBar1");
        QCOMPARE(form.windowTitle(), QString("Please wait..."));
        QVERIFY(!form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        for (int round = 0; round < 2; ++round) {
            form.Show();
            QCOMPARE(form.pos(), QPoint(150, 100));
            QCOMPARE(bar->value(), 0);
            form.SetCaption("Extracting icons");
            form.SetPosition(75);
            QCOMPARE(form.windowTitle(), QString("Extracting icons"));
            QCOMPARE(bar->value(), 75);
            form.move(400, 300);
            form.Close();
            QVERIFY(!form.isVisible());
        }
    }

    void errorText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "a.ezx: cannot open"
                                << "a.ezx: cannot open.";
        QTest::newRow("full stop") << "done."
                                   << "done.";
        QTest::newRow("digit sorts after") << "size 5"
                                           << "size 5.";
        QTest::newRow("slash sorts after") << "in /tmp/"
                                           << "in /tmp/.";
        QTest::newRow("closing parenthesis sorts before") << "(0x10 bytes)"
                                                          << "(0x10 bytes)";
        QTest::newRow("hyphen sorts before") << "a -"
                                             << "a -";
        QTest::newRow("Cyrillic") << QString::fromUtf8("Значок") << QString::fromUtf8("Значок.");
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QCOMPARE(ErrorText(message.toStdString()), shown);
    }

    void shortcuts_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("firstDialog");
        QTest::newRow("Ctrl+O opens") << int(Qt::Key_O) << "Open EZX file";
        QTest::newRow("Ctrl+S packs")
            << int(Qt::Key_S) << "Select folder and file to take icons from";
        QTest::newRow("Ctrl+N does nothing") << int(Qt::Key_N) << "";
    }
    void shortcuts()
    {
        QFETCH(int, key);
        QFETCH(QString, firstDialog);
        ScriptedDialogs dialogs;
        ZefirWindows windows(dialogs);
        windows.SDIAppForm.show();
        QApplication::setActiveWindow(&windows.SDIAppForm);
        QVERIFY(QTest::qWaitForWindowActive(&windows.SDIAppForm));
        QTest::keyClick(&windows.SDIAppForm, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(dialogs.Titles().join('|'), firstDialog);
    }
};

QTEST_MAIN(WindowsTest)
#include "WindowsTest.moc"
