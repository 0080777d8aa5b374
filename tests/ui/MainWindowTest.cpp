// The main window's commands, driven through its widgets with scripted
// dialogs, on archives and folders made in a temporary folder.

#include <functional>
#include <string_view>
#include <utility>

#include <QProgressBar>
#include <QPushButton>

#include "UiTestSupport.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;
using imagecodec::Format;

namespace {

const QStringList kPictureFilters = {"BMP Image (*.bmp)", "GIF Image (*.gif)", "PNG Image (*.png)"};
const QStringList kPhoneFilters = {"Moto Bitmap 18-bit (*.k)", "Moto Bitmap 32-bit (*.k)",
                                   "Moto Image (*.g)"};

QStringList MemberNames(const fs::path& archivePath)
{
    archive::ArchiveReader reader(archivePath);
    QStringList names;
    for (std::size_t i = 0; i < reader.entries().size(); ++i)
        names << QString::fromStdString(reader.ReadName(i));
    names.sort();
    return names;
}

// Calls `act` with the progress window's caption and bar position each
// time the bar is painted.
struct PaintWatcher : QObject {
    std::function<void(const QString&, int)> act;

    PaintWatcher(TForm1& form, std::function<void(const QString&, int)> a) : act(std::move(a))
    {
        form.findChild<QProgressBar*>("ProgressBar1")->installEventFilter(this);
    }
    bool eventFilter(QObject* bar, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            act(static_cast<QWidget*>(bar)->window()->windowTitle(),
                static_cast<QProgressBar*>(bar)->value());
        return false;
    }
};

// Colours equal within what the phone's 5- and 6-bit channels keep.
bool Near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 8 && std::abs(qGreen(a) - qGreen(b)) <= 8 &&
           std::abs(qBlue(a) - qBlue(b)) <= 8;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { uitest::SpeakEnglish(); }

    void openListsSortedIgnoringCaseAndPreviewsTheFirst()
    {
        Session s;
        // A user's own file where the preview picture used to go.
        WriteBytes(s.work / "temp.bmp", std::string_view("mine"));
        s.SetPreview(true);
        s.Open();

        QCOMPARE(s.Names(), kSortedNames);
        QCOMPARE(s.List()->currentRow(), 0);
        QCOMPARE(s.Info(), QString("a.k  16x16   18-bit BMP"));
        QVERIFY(s.windows.Form2.isVisible());
        QCOMPARE(s.main.settings().WorkFolder, s.work);
        QVERIFY(fs::exists(s.work / "raws" / "a.k"));
        QVERIFY(fs::exists(s.work / "icons" / "conv.dat"));
        QCOMPARE(s.dialogs.titles,
                 (QStringList{"open: Open EZX file", "folder: Select a folder to save icons"}));
        QCOMPARE(s.dialogs.asked.at(0).filters, QStringList{"EZX files (*.ezx)"});
        // The folder dialog proposes the archive's folder.
        QCOMPARE(s.dialogs.asked.at(1).directory, Q(s.root));
        // The preview writes no picture file, so the user's stays.
        QCOMPARE(FileStart(s.work / "temp.bmp", 10), QByteArray("mine"));
        QCOMPARE(Files(s.root, {"temp*"}), QStringList{Q(s.work / "temp.bmp")});

        // Without the preview, opening again leaves the info line alone.
        s.Select("Z.k");
        const QString info = s.Info();
        s.SetPreview(false);
        QVERIFY(!s.windows.Form2.isVisible());
        s.Open();
        QCOMPARE(s.Info(), info);
        QVERIFY(!s.windows.Form2.isVisible());
        QCOMPARE(s.Names(), kSortedNames);
    }

    // Opening again over files the user edited asks once, naming how many;
    // Cancel leaves them, and the list empty.
    void openAsksBeforeReplacingEditedFiles()
    {
        for (Answer answer : {Answer::Yes, Answer::Cancel}) {
            Session s;
            s.Open();
            WriteBytes(s.work / "icons" / "a.bmp", std::string_view("edited"));
            WriteBytes(s.work / "raws" / "b.k", std::string_view("edited"));
            s.dialogs.answers = {answer};
            s.Open();
            QCOMPARE(s.dialogs.questions,
                     QStringList{ApplicationTitle() + ": 2 files in " + Q(s.work) +
                                 " differ from what extraction writes (" +
                                 Q(fs::path("raws") / "b.k") + ", " + Q(fs::path("icons") / "a.bmp") +
                                 "). Replace them?"});
            QCOMPARE(s.Names(), answer == Answer::Yes ? kSortedNames : QStringList{});
            QCOMPARE(FileStart(s.work / "icons" / "a.bmp", 6) == "edited", answer != Answer::Yes);
        }
    }

    void infoLine_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("info");
        QTest::newRow("18-bit as JPEG") << "b.k" << 3 << "b.k  20x30   18-bit BMP";
        QTest::newRow("32-bit") << "Z.k" << 2 << "Z.k  8x8   32-bit BMP";
        QTest::newRow("Moto Image PNG") << "C.g" << 2 << "C.g  5x7   PNG";
        QTest::newRow("Moto Image GIF") << "d.g" << 2 << "d.g  3x4   GIF";
        QTest::newRow("raw as BMP") << "logo(4x10).raw" << 2 << "logo(4x10).raw  4x10   PNG";
        QTest::newRow("raw as GIF") << "logo(4x10).raw" << 0 << "logo(4x10).raw  4x10   GIF";
        QTest::newRow("unknown") << "unknown.bin" << 2 << "unknown.bin  0x0   PNG";
    }
    void infoLine()
    {
        QFETCH(QString, member);
        QFETCH(int, format);
        QFETCH(QString, info);
        Session s;
        s.SetPreview(true);
        s.Open();
        s.main.settings().TargetFormat = static_cast<Format>(format);
        s.Select(member);
        QCOMPARE(s.Info(), info);
        s.dialogs.ExpectMessage({});
        // The member's own picture is drawn, and nothing is written for it.
        TForm2& viewer = s.windows.Form2;
        if (!viewer.PictureSize().isEmpty()) {
            const QRgb drawn = viewer.grab().toImage().pixel(viewer.PictureRect().center());
            QVERIFY2(Near(drawn, Picture(1, 1).At(0, 0)), qPrintable(QString::number(drawn, 16)));
        }
        QCOMPARE(Files(s.root, {"temp*"}), QStringList{});
    }

    // A member file changed on disk after extraction: one that gives no
    // picture shows 0x0 quietly; a damaged Moto Bitmap, or a missing file, is an error, and the
    // info line keeps its last text.
    void previewOfAChangedMemberFile_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<QByteArray>("bytes"); // empty: the file is removed
        QTest::addColumn<QString>("info");
        QTest::addColumn<QString>("error");
        const QString before = "a.k  16x16   18-bit BMP";
        QTest::newRow("Moto Image holding a BMP")
            << "C.g" << QByteArray("BM\0\0\0\0", 6) << "C.g  0x0   PNG"
            << "";
        QTest::newRow("Moto Image, damaged GIF")
            << "d.g" << QByteArray("GIF89a\1") << "d.g  0x0   GIF"
            << "";
        QTest::newRow("damaged Moto Bitmap") << "b.k" << QByteArray("\1\2\3") << before << "b.k: ";
        QTest::newRow("removed") << "Z.k" << QByteArray() << before << "Z.k: cannot open";
    }
    void previewOfAChangedMemberFile()
    {
        QFETCH(QString, member);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, info);
        QFETCH(QString, error);
        Session s;
        s.SetPreview(true);
        s.Open();
        QCOMPARE(s.Info(), QString("a.k  16x16   18-bit BMP"));
        const fs::path file = s.work / "raws" / member.toStdString();
        if (bytes.isEmpty())
            fs::remove(file);
        else
            WriteBytes(file, bytes);
        s.Select(member);
        QCOMPARE(s.Info(), info);
        s.dialogs.ExpectMessage(error.isEmpty() ? QString()
                                                : kError + Q(s.work / "raws") + QDir::separator() + error);
    }

    void cancellingTheFirstDialogOnlyHidesTheViewer_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("open") << 0;
        QTest::newRow("pack") << 1;
        QTest::newRow("convert image") << 2;
        QTest::newRow("convert all") << 3;
    }
    void cancellingTheFirstDialogOnlyHidesTheViewer()
    {
        QFETCH(int, command);
        void (TSDIAppForm::*const commands[])() = {
            &TSDIAppForm::FileOpen1Execute, &TSDIAppForm::FileSave1Execute,
            &TSDIAppForm::Convertimage1Click, &TSDIAppForm::Convertall2Click};
        Session s;
        s.SetPreview(true);
        s.Open();
        const QString info = s.Info();
        const qsizetype before = s.dialogs.titles.size();
        (s.main.*commands[command])();

        QVERIFY(!s.windows.Form2.isVisible());
        QCOMPARE(s.dialogs.titles.size(), before + 1);
        QCOMPARE(s.Names(), kSortedNames);
        QCOMPARE(s.Info(), info);
        QCOMPARE(s.main.settings().WorkFolder, s.work);
        QVERIFY(s.main.findChild<QCheckBox*>("CheckBox1")->isChecked());
    }

    void errorBoxShowsTheMessageUnderTheProgramTitle()
    {
        Session s;
        const fs::path missing = s.root / "missing.ezx";
        s.dialogs.files.push_back({Q(missing)});
        s.main.FileOpen1Execute();
        QCOMPARE(s.dialogs.messages,
                 QStringList{kError + Q(missing) + ": cannot open: No such file or directory."});
        QVERIFY(!s.windows.Form1.isVisible());
    }

    // Cancelling the folder dialog extracts next to the archive. A member
    // file that cannot be created there is named in a box of its own first.
    void memberFileThatCannotBeCreatedIsNamedFirst()
    {
        Session s;
        const QString blocked = Q(s.root / "raws" / "a.k");
        // A folder in the way of the third member.
        fs::create_directories(s.root / "raws" / "a.k" / "inside");
        s.dialogs.files.push_back({Q(s.archive)});
        s.main.FileOpen1Execute();

        QCOMPARE(s.main.settings().WorkFolder, s.root);
        QVERIFY(fs::exists(s.root / "raws" / "b.k"));
        QCOMPARE(s.dialogs.messages.size(), 2);
        QCOMPARE(s.dialogs.messages[0], "critical Error: " + blocked);
        QVERIFY(s.dialogs.messages[1].startsWith(kError + blocked + ": "));
        QVERIFY(!s.windows.Form1.isVisible());
        // The members before it are listed.
        QCOMPARE(s.Names(), (QStringList{"b.k", "Z.k"}));
    }

    // Save Picture converts the selected member, Convert image a picked file
    // (-1 and any other open filter below). The save filter picks the format;
    // for Convert image the open filter decides the direction, not the
    // extension. A source that gives no picture is named.
    void convertOnePicture_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("openFilter");
        QTest::addColumn<int>("saveFilter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("signature");
        QTest::newRow("save as BMP") << "b.k" << -1 << 0 << "out.png" << QByteArray("BM");
        QTest::newRow("save as GIF") << "b.k" << -1 << 1 << "out.png" << QByteArray("GIF8");
        QTest::newRow("save as PNG") << "b.k" << -1 << 2 << "out.png" << QByteArray("\x89PNG");
        QTest::newRow("save unknown kind") << "unknown.bin" << -1 << 2 << "" << QByteArray();
        QTest::newRow("Moto Bitmap to PNG")
            << "m.k" << 0 << 2 << "out.png" << QByteArray("\x89PNG");
        QTest::newRow("Moto Bitmap to BMP") << "m.k" << 0 << 0 << "out.png" << QByteArray("BM");
        // A Moto Bitmap starts with its width, height and bit depth.
        QTest::newRow("BMP to 18-bit")
            << "p.bmp" << 1 << 0 << "out.k" << QByteArray::fromHex("040000000400000012");
        QTest::newRow("BMP to 32-bit")
            << "p.bmp" << 1 << 1 << "out.k" << QByteArray::fromHex("040000000400000020");
        QTest::newRow("PNG always to Moto Image")
            << "p.png" << 1 << 0 << "out.g" << QByteArray("\x89PNG");
        QTest::newRow("BMP with Moto Files filter") << "p.bmp" << 0 << 0 << "" << QByteArray();
    }
    void convertOnePicture()
    {
        QFETCH(QString, source);
        QFETCH(int, openFilter);
        QFETCH(int, saveFilter);
        QFETCH(QString, written);
        QFETCH(QByteArray, signature);
        Session s;
        const QString sourcePath = Q(s.root / source.toStdString());
        if (openFilter < 0) {
            s.Open();
            s.Select(source);
        } else {
            for (const char* name : {"m.k", "p.bmp", "p.png"})
                WritePicture(s.root / name);
            s.dialogs.files.push_back({sourcePath, openFilter});
        }
        s.dialogs.files.push_back({Q(s.root / "out.png"), saveFilter});
        if (openFilter < 0)
            s.main.findChild<QPushButton*>("Button1")->click();
        else
            s.main.Convertimage1Click();

        QStringList titles{"save: Save picture as"};
        if (openFilter >= 0)
            titles.prepend("open: Open picture");
        QCOMPARE(s.dialogs.titles.mid(openFilter < 0 ? 2 : 0), titles);
        const FileRequest& save = s.dialogs.asked.back();
        QCOMPARE(QFileInfo(save.fileName).completeBaseName(),
                 QFileInfo(openFilter < 0 ? "" : sourcePath).completeBaseName());
        QCOMPARE(save.filters, openFilter < 1 ? kPictureFilters : kPhoneFilters);
        const fs::path out = written.isEmpty() ? fs::path() : s.root / written.toStdString();
        QCOMPARE(Files(s.root, {"out*"}), written.isEmpty() ? QStringList{} : QStringList{Q(out)});
        QCOMPARE(FileStart(out, signature.size()), signature);
        s.dialogs.ExpectMessage(
            written.isEmpty() ? kNote + "Nothing was written for " + source + ": " : QString());
    }

    // The name proposed is the source's with the extension of the filter the
    // dialog opens with, the one chosen last time. A name typed without an
    // extension gets the chosen filter's; the source itself is refused.
    void convertImageNames()
    {
        const struct {
            const char* source;
            int filter;
            const char *typed, *expected; // the name proposed, or else the file written
        } cases[] = {
            {"m.k", 0, "", "m.bmp"},          {"m.k", 1, "", "m.gif"},
            {"m.k", 2, "", "m.png"},          {"p.bmp", 0, "", "p.k"},
            {"p.bmp", 1, "", "p.k"},          {"p.bmp", 2, "", "p.g"},
            // Whatever was chosen last, a PNG becomes a Moto Image.
            {"p.png", 0, "", "p.g"},          {"p.png", 1, "", "p.g"},
            {"a.v2.k", 2, "", "a.v2.png"},    {"m.k", 2, "out", "out.png"},
            {"p.bmp", 0, "sub/../p.bmp", ""},
        };
        for (const auto& c : cases) {
            Session s;
            const fs::path source = s.root / c.source;
            const int open = source.extension() == ".k" ? 0 : 1;
            fs::create_directories(s.root / "sub");
            WritePicture(source);
            const QByteArray before = FileStart(source, 1 << 20);
            // A first conversion leaves the save filter chosen.
            s.dialogs.files = {{Q(source), open},
                               {Q(s.root / "first"), c.filter},
                               {Q(source), open},
                               {Q(s.root / c.typed), c.filter}};
            if (!*c.typed)
                s.dialogs.files.pop_back();
            s.main.Convertimage1Click();
            s.dialogs.messages.clear();
            s.main.Convertimage1Click();
            if (!*c.typed)
                QCOMPARE(s.dialogs.asked.back().fileName, Q(s.root / c.expected));
            else
                QCOMPARE(Files(s.root, {"out*"}),
                         *c.expected ? QStringList{Q(s.root / c.expected)} : QStringList{});
            QCOMPARE(FileStart(source, 1 << 20), before);
            s.dialogs.ExpectMessage(*c.typed && !*c.expected ? " is the file being converted" : "");
        }
    }

    void savePictureWithoutAMemberDoesNothing()
    {
        Session s;
        s.main.findChild<QPushButton*>("Button1")->click();
        QCOMPARE(s.dialogs.titles, QStringList{});
    }

    // A phone file picked converts the folder's phone files into the target
    // format, Moto Bitmaps named ".bmp"; anything else converts pictures to
    // the phone.
    void convertAll_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QString>("leftOut");
        const QStringList fromPhone = {"a.bmp", "c.png"}, toPhone = {"p.k"};
        QTest::newRow(".g") << "c.g" << fromPhone << "\n.hidden.k: ";
        QTest::newRow(".K") << "OTHER.K" << fromPhone << "\n.hidden.k: ";
        QTest::newRow(".bmp") << "p.bmp" << toPhone << "";
        QTest::newRow("no extension") << "anything" << toPhone << "";
    }
    void convertAll()
    {
        QFETCH(QString, picked);
        QFETCH(QStringList, written);
        QFETCH(QString, leftOut);
        Session s;
        const fs::path source = s.root / "source", target = s.root / "target";
        fs::create_directories(source);
        fs::create_directories(target);
        for (const char* name : {"a.k", "c.g", "p.bmp", ".hidden.k"})
            WritePicture(source / name);
        s.main.settings().TargetFormat = Format::Png;
        s.dialogs.files.push_back({Q(source / picked.toStdString()), 1});
        s.dialogs.folders.push_back(Q(target));
        s.main.Convertall2Click();

        QCOMPARE(s.dialogs.titles, (QStringList{"open: Select source image folder",
                                                "folder: Select target image folder"}));
        QCOMPARE(QDir(Q(target)).entryList(QDir::Files | QDir::Hidden, QDir::Name), written);
        if (written.contains("a.bmp"))
            QCOMPARE(FileStart(target / "a.bmp", 4), QByteArray("\x89PNG"));
        s.dialogs.ExpectMessage(leftOut);
        QVERIFY(s.main.findChild<QLabel*>("StatusLine")
                    ->text()
                    .startsWith(QString("Converted %1 file").arg(written.size())));
    }

    // A phone file picked packs phone files as they are, anything else packs
    // pictures converted back; the setting is the same afterwards, also after
    // a failure. A cancelled save dialog writes nothing; a folder without
    // files to pack is reported.
    void pack_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("convertBefore");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QStringList>("members");
        QTest::addColumn<QString>("told");
        const QStringList phone = {"a.k", "c.g"}, converted = {"b.k"}, none;
        const QString out = "out.ezx", bad = "none/out.ezx";
        // Every file not packed is told about.
        const QString notPhone = "\nb.bmp: not a phone file (.k, .g or .raw)";
        const QString notPicture = "\na.k: not a picture packing converts (.bmp, .gif or .png)";
        QTest::newRow(".k, setting on") << "a.k" << true << out << phone << notPhone;
        QTest::newRow(".G, setting off") << "X.G" << false << out << phone << notPhone;
        QTest::newRow(".bmp, setting off") << "b.bmp" << false << out << converted << notPicture;
        QTest::newRow(".png, setting on") << "x.png" << true << out << converted << notPicture;
        QTest::newRow("no extension, setting off")
            << "any" << false << out << converted << notPicture;
        const QString badShown = QDir::toNativeSeparators(bad) + ": ";
        QTest::newRow("fails, .k, setting on") << "a.k" << true << bad << none << badShown;
        QTest::newRow("fails, .bmp, setting off") << "b.bmp" << false << bad << none << badShown;
        QTest::newRow("save cancelled") << "a.k" << true << "" << none << "";
        QTest::newRow("no file to pack")
            << "empty/x.k" << true << out << none << kNote + "Nothing was packed";
    }
    void pack()
    {
        QFETCH(QString, picked);
        QFETCH(bool, convertBefore);
        QFETCH(QString, output);
        QFETCH(QStringList, members);
        QFETCH(QString, told);
        Session s;
        const fs::path folder = s.root / "pack";
        fs::create_directories(folder / "empty");
        for (const char* name : {"a.k", "c.g", "b.bmp"})
            WritePicture(folder / name);
        WriteBytes(folder / "empty" / "readme.txt", std::string_view("text"));
        s.main.settings().ConvertEnabled = convertBefore;
        s.dialogs.files.push_back({Q(folder / picked.toStdString())});
        if (!output.isEmpty())
            s.dialogs.files.push_back({Q(s.root / output.toStdString())});
        s.main.FileSave1Execute();

        QCOMPARE(s.dialogs.titles, (QStringList{"open: Select folder and file to take icons from",
                                                "save: Select file to save EZX"}));
        QCOMPARE(s.dialogs.asked.at(1).fileName, QString("iconres.ezx"));
        QCOMPARE(s.dialogs.asked.at(1).directory, Q((folder / picked.toStdString()).parent_path()));
        QCOMPARE(s.main.settings().ConvertEnabled, convertBefore);
        s.dialogs.ExpectMessage(told);
        // Only an archive with members is new.
        const fs::path archive = s.root / output.toStdString();
        QStringList archives = Files(s.root, {"*.ezx"});
        QCOMPARE(archives.removeAll(Q(s.archive)), 1);
        QCOMPARE(archives, members.isEmpty() ? QStringList{} : QStringList{Q(archive)});
        if (!members.isEmpty())
            QCOMPARE(MemberNames(archive), members);
    }

    // Extract with conversion, add a picture the map does not know, pack the
    // icons folder back: the newcomer is reported as left out.
    void packReportsWhatWasLeftOut()
    {
        Session s;
        s.Open();
        const fs::path icons = s.work / "icons";
        WritePicture(icons / "extra.png");
        s.dialogs.files.push_back({Q(icons / "a.bmp"), 1});
        s.dialogs.files.push_back({Q(s.root / "new.ezx")});
        s.main.FileSave1Execute();
        s.dialogs.ExpectMessage("\nextra.png: not in the conversion map");
        QCOMPARE(MemberNames(s.root / "new.ezx"),
                 (QStringList{"C.g", "Z.k", "a.k", "b.k", "d.g", "logo(4x10).raw"}));
    }

    void fileGoneWhilePackingIsNotFound()
    {
        Session s;
        const fs::path folder = s.root / "pack";
        fs::create_directories(folder);
        WritePicture(folder / "a.k");
        WritePicture(folder / "c.g");
        // c.g disappears once the archive's members are being written.
        PaintWatcher remover(s.windows.Form1, [&](const QString& caption, int) {
            if (caption == "Packing icons")
                fs::remove(folder / "c.g");
        });
        s.dialogs.files = {{Q(folder / "a.k")}, {Q(s.root / "out.ezx")}};
        s.main.FileSave1Execute();

        QCOMPARE(s.dialogs.messages,
                 (QStringList{"critical Not Found: c.g",
                              kError + Q(folder / "c.g") +
                                  ": cannot open: No such file or directory."}));
        QVERIFY(!fs::exists(s.root / "out.ezx"));
        QVERIFY(!s.windows.Form1.isVisible());
    }

    // Every caption and position is painted while the command runs, without
    // the event loop; each showing starts at its place with an empty bar.
    void progressPositionsSeenByTheWindow()
    {
        Session s;
        QStringList seen, expected;
        PaintWatcher watcher(s.windows.Form1, [&](const QString& caption, int position) {
            const QString now = caption + ' ' + QString::number(position);
            if (seen.isEmpty() || seen.last() != now)
                seen << now;
        });
        const auto expect = [&](const QString& caption, std::initializer_list<int> positions) {
            for (int position : positions)
                expected << caption + ' ' + QString::number(position);
        };
        s.Open();
        expect("Please wait...", {0});
        expect("Extracting icons", {0, 17, 33, 50, 67, 83, 100});
        QCOMPARE(seen, expected);
        QVERIFY(!s.windows.Form1.isVisible());

        seen.clear();
        expected.clear();
        s.windows.Form1.move(400, 300);
        s.dialogs.files = {{Q(s.work / "raws" / "a.k")}, {Q(s.root / "out.ezx")}};
        s.main.FileSave1Execute();
        // raws holds three .k, two .g and one .raw file.
        expect("Extracting icons", {0});
        expect("Searching for files", {0});
        expect("Retrieving skin structure", {0, 20, 40, 60, 80, 100, 0});
        expect("Packing icons", {0, 20, 40, 60, 80, 100});
        QCOMPARE(seen, expected);
        QCOMPARE(s.windows.Form1.pos(), QPoint(150, 100));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
