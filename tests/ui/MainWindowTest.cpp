// The main window's commands, driven through its widgets with scripted
// dialogs, on archives and folders made in a temporary folder.

#include <algorithm>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "UiTestSupport.h"
#include "core/archive/EzxFormat.h"
#include "ui/MainWindow.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;
using imagecodec::Format;

namespace {

const QStringList kPictureFilterNames = {"BMP Image (*.bmp)", "GIF Image (*.gif)",
                                         "PNG Image (*.png)"};
const QStringList kPhoneFilterNames = {"Moto Bitmap 18-bit (*.k)", "Moto Bitmap 32-bit (*.k)",
                                       "Moto Image (*.g)"};

QByteArray ToBytes(const std::vector<std::byte>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

std::set<std::string> MemberNames(const fs::path& archivePath)
{
    archive::ArchiveReader reader(archivePath);
    std::set<std::string> names;
    for (std::size_t i = 0; i < reader.entries().size(); ++i)
        names.insert(reader.ReadName(i));
    return names;
}

// Calls `act` with the progress window's caption and bar position each
// time the bar is painted.
class PaintWatcher : public QObject {
public:
    PaintWatcher(TForm1& form, std::function<void(const QString&, int)> act)
        : m_form(form), m_bar(*form.findChild<QProgressBar*>("ProgressBar1")), m_act(std::move(act))
    {
        m_bar.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            m_act(m_form.windowTitle(), m_bar.value());
        return false;
    }

private:
    TForm1& m_form;
    QProgressBar& m_bar;
    std::function<void(const QString&, int)> m_act;
};

// A run of the program on the test archive in a fresh temporary folder.
struct Session {
    QTemporaryDir dir;
    fs::path root{dir.path().toStdString()};
    fs::path archive = root / "iconres.ezx";
    fs::path work = root / "work";
    ScriptedDialogs dialogs;
    ZefirWindows windows{dialogs};
    TSDIAppForm& main = windows.SDIAppForm;

    Session()
    {
        fs::create_directories(work);
        WriteTestArchive(archive);
    }

    QListWidget* List() { return main.findChild<QListWidget*>("ListBox1"); }
    QString Info() { return main.findChild<QLabel*>("Label1")->text(); }
    QStringList Names()
    {
        QStringList names;
        for (int i = 0; i < List()->count(); ++i)
            names << List()->item(i)->text();
        return names;
    }

    void SetPreview(bool on)
    {
        auto* box = main.findChild<QCheckBox*>("CheckBox1");
        if (box->isChecked() != on)
            box->click();
    }

    void Open()
    {
        dialogs.AnswerFile(Q(archive));
        dialogs.AnswerFolder(Q(work));
        main.FileOpen1Execute();
    }

    // Selects a member as a click in the list does.
    void Select(const QString& name)
    {
        List()->setCurrentRow(-1);
        const auto items = List()->findItems(name, Qt::MatchExactly);
        QVERIFY(!items.isEmpty());
        List()->setCurrentItem(items.constFirst());
    }

    void WriteFile(const fs::path& path, const std::vector<std::byte>& bytes)
    {
        WriteBytes(path, ToBytes(bytes));
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void openListsSortedIgnoringCaseAndPreviewsTheFirst()
    {
        Session s;
        // A user's own file where the preview picture used to go.
        WriteBytes(s.work / "temp.bmp", "mine");
        s.SetPreview(true);
        s.Open();

        QCOMPARE(s.Names(), kSortedNames);
        QCOMPARE(s.List()->currentRow(), 0);
        QCOMPARE(s.Info(), QString("a.k  16x16   18-bit BMP"));
        QVERIFY(s.windows.Form2.isVisible());
        QCOMPARE(s.main.settings().WorkFolder, s.work);
        QVERIFY(fs::exists(s.work / "raws" / "a.k"));
        QVERIFY(fs::exists(s.work / "icons" / "conv.dat"));

        QCOMPARE(s.dialogs.shown.size(), std::size_t{2});
        const Shown& open = s.dialogs.shown[0];
        QVERIFY(open.kind == Shown::Kind::Open);
        QCOMPARE(open.title, QString("Open EZX file"));
        QCOMPARE(open.file.filters, QStringList{"EZX files (*.ezx)"});
        const Shown& folder = s.dialogs.shown[1];
        QVERIFY(folder.kind == Shown::Kind::Folder);
        QCOMPARE(folder.title, QString("Select a folder to save icons"));
        QCOMPARE(folder.file.directory, Q(s.root));

        QCOMPARE(FileStart(s.work / "temp.bmp", 10), QByteArray("mine"));
        QCOMPARE(FilesStartingWith(Q(s.root), "temp"), QStringList{Q(s.work / "temp.bmp")});
        QCOMPARE(FilesStartingWith(s.main.PreviewFolder(), ""), QStringList{});
    }

    void infoLine_data()
    {
        QTest::addColumn<QString>("member");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("info");
        QTest::newRow("18-bit") << "a.k" << 2 << "a.k  16x16   18-bit BMP";
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
        QCOMPARE(s.dialogs.Messages().size(), std::size_t{0});
        QCOMPARE(FilesStartingWith(s.main.PreviewFolder(), ""), QStringList{});
    }

    void openWithoutPreviewKeepsTheInfoLine()
    {
        Session s;
        s.SetPreview(true);
        s.Open();
        s.Select("Z.k");
        const QString before = s.Info();
        s.SetPreview(false);
        QVERIFY(!s.windows.Form2.isVisible());
        s.Open();
        QCOMPARE(s.Info(), before);
        QVERIFY(!s.windows.Form2.isVisible());
        QCOMPARE(s.Names(), kSortedNames);
    }

    void cancellingTheFolderExtractsNextToTheArchive()
    {
        Session s;
        s.dialogs.AnswerFile(Q(s.archive));
        s.dialogs.CancelFolder();
        s.main.FileOpen1Execute();
        QCOMPARE(s.main.settings().WorkFolder, s.root);
        QVERIFY(fs::exists(s.root / "raws" / "b.k"));
        QCOMPARE(s.Names(), kSortedNames);
    }

    void cancellingTheFirstDialogOnlyHidesTheViewer_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("title");
        QTest::newRow("open") << 0 << "Open EZX file";
        QTest::newRow("pack") << 1 << "Select folder and file to take icons from";
        QTest::newRow("convert image") << 2 << "Open picture";
        QTest::newRow("convert all") << 3 << "Select source image folder";
    }
    void cancellingTheFirstDialogOnlyHidesTheViewer()
    {
        QFETCH(int, command);
        QFETCH(QString, title);
        Session s;
        s.SetPreview(true);
        s.Open();
        QVERIFY(s.windows.Form2.isVisible());
        const QString info = s.Info();
        const std::size_t before = s.dialogs.shown.size();

        s.dialogs.CancelFile();
        const std::function<void()> commands[] = {
            [&] { s.main.FileOpen1Execute(); }, [&] { s.main.FileSave1Execute(); },
            [&] { s.main.Convertimage1Click(); }, [&] { s.main.Convertall2Click(); }};
        commands[command]();

        QVERIFY(!s.windows.Form2.isVisible());
        QCOMPARE(s.dialogs.shown.size(), before + 1);
        QCOMPARE(s.dialogs.shown.back().title, title);
        QCOMPARE(s.Names(), kSortedNames);
        QCOMPARE(s.Info(), info);
        QCOMPARE(s.main.settings().WorkFolder, s.work);
        QVERIFY(s.main.findChild<QCheckBox*>("CheckBox1")->isChecked());
    }

    void errorBoxShowsTheMessageUnderTheApplicationTitle()
    {
        Session s;
        const fs::path missing = s.root / "missing.ezx";
        s.dialogs.AnswerFile(Q(missing));
        s.dialogs.AnswerFolder(Q(s.work));
        s.main.FileOpen1Execute();
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].messageKind == MessageKind::Critical);
        QCOMPARE(messages[0].title, QString("ROKR E2 EZX parser and compiler"));
        QCOMPARE(messages[0].text, Q(missing) + ": cannot open: No such file or directory.");
        QVERIFY(!s.windows.Form1.isVisible());
    }

    void memberFileThatCannotBeCreatedIsNamedFirst()
    {
        Session s;
        // A folder in the way of the third member.
        fs::create_directories(s.work / "raws" / "a.k" / "inside");
        s.Open();
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[0].title, QString("Error"));
        QCOMPARE(messages[0].text, Q(s.work / "raws" / "a.k"));
        QCOMPARE(messages[1].title, kApplicationTitle);
        QVERIFY(messages[1].text.startsWith(Q(s.work / "raws" / "a.k") + ": "));
        // The members before it are listed.
        QCOMPARE(s.Names(), (QStringList{"b.k", "Z.k"}));
    }

    void savePicture_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QByteArray>("signature");
        QTest::newRow("BMP Image") << 0 << QByteArray("BM");
        QTest::newRow("GIF Image") << 1 << QByteArray("GIF8");
        QTest::newRow("PNG Image") << 2 << QByteArray("\x89PNG");
    }
    void savePicture()
    {
        QFETCH(int, filter);
        QFETCH(QByteArray, signature);
        Session s;
        s.Open();
        s.Select("b.k");
        const fs::path target = s.root / "saved.picture";
        s.dialogs.AnswerFile(Q(target), filter);
        s.main.findChild<QPushButton*>("Button1")->click();

        const Shown& save = s.dialogs.shown.back();
        QVERIFY(save.kind == Shown::Kind::Save);
        QCOMPARE(save.title, QString("Save picture as"));
        QCOMPARE(save.file.filters, kPictureFilterNames);
        QCOMPARE(save.file.fileName, QString());
        QCOMPARE(FileStart(target, signature.size()), signature);
        QCOMPARE(s.dialogs.Messages().size(), std::size_t{0});
    }

    void savePictureWithoutAMemberDoesNothing()
    {
        Session s;
        s.main.findChild<QPushButton*>("Button1")->click();
        QCOMPARE(s.dialogs.shown.size(), std::size_t{0});
    }

    void savePictureThatWritesNothingSaysWhy()
    {
        Session s;
        s.Open();
        s.Select("unknown.bin");
        const fs::path target = s.root / "out.png";
        s.dialogs.AnswerFile(Q(target), 2);
        s.main.Button1Click();
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].messageKind == MessageKind::Information);
        QVERIFY(messages[0].text.startsWith("Nothing was written for unknown.bin: "));
        QVERIFY(!fs::exists(target));
    }

    // The filter the source was picked with decides the direction.
    void convertImage_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("openFilter");
        QTest::addColumn<int>("saveFilter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("signature");
        QTest::newRow("Moto Bitmap to PNG")
            << "m.k" << 0 << 2 << "out.png" << QByteArray("\x89PNG");
        QTest::newRow("Moto Bitmap to BMP") << "m.k" << 0 << 0 << "out.png" << QByteArray("BM");
        QTest::newRow("BMP to 18-bit") << "p.bmp" << 1 << 0 << "out.k" << QByteArray("");
        QTest::newRow("PNG always to Moto Image")
            << "p.png" << 1 << 0 << "out.g" << QByteArray("\x89PNG");
        QTest::newRow("BMP with Moto Files filter") << "p.bmp" << 0 << 0 << "" << QByteArray();
    }
    void convertImage()
    {
        QFETCH(QString, source);
        QFETCH(int, openFilter);
        QFETCH(int, saveFilter);
        QFETCH(QString, written);
        QFETCH(QByteArray, signature);
        Session s;
        s.WriteFile(s.root / "m.k", imagecodec::EncodeMotoBitmap18(Picture(6, 5), "m.k"));
        s.WriteFile(s.root / "p.bmp", imaging::EncodePicture(Picture(6, 5), "image/bmp", "p.bmp"));
        s.WriteFile(s.root / "p.png", imaging::EncodePicture(Picture(6, 5), "image/png", "p.png"));
        const fs::path sourcePath = s.root / source.toStdString();

        s.dialogs.AnswerFile(Q(sourcePath), openFilter);
        s.dialogs.AnswerFile(Q(s.root / "out.png"), saveFilter);
        s.main.Convertimage1Click();

        QCOMPARE(s.dialogs.shown.size(), std::size_t(written.isEmpty() ? 3 : 2));
        const Shown& save = s.dialogs.shown[1];
        QCOMPARE(save.title, QString("Save picture as"));
        QCOMPARE(save.file.fileName, Q(sourcePath));
        QCOMPARE(save.file.filters, openFilter == 0 ? kPictureFilterNames : kPhoneFilterNames);
        QStringList outputs = FilesStartingWith(Q(s.root), "out");
        if (written.isEmpty()) {
            QCOMPARE(outputs, QStringList{});
            QCOMPARE(s.dialogs.Messages().size(), std::size_t{1});
            QVERIFY(s.dialogs.Messages()[0].text.startsWith("Nothing was written for p.bmp"));
        } else {
            QCOMPARE(outputs, QStringList{Q(s.root / written.toStdString())});
            QCOMPARE(FileStart(s.root / written.toStdString(), signature.size()), signature);
            QCOMPARE(s.dialogs.Messages().size(), std::size_t{0});
        }
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
        QTest::newRow(".g") << "c.g" << fromPhone << ".hidden.k";
        QTest::newRow(".K") << "OTHER.K" << fromPhone << ".hidden.k";
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
        s.WriteFile(source / "a.k", imagecodec::EncodeMotoBitmap18(Picture(4, 4), "a.k"));
        s.WriteFile(source / "c.g", imaging::EncodePicture(Picture(4, 4), "image/png", "c.g"));
        s.WriteFile(source / "p.bmp", imaging::EncodePicture(Picture(4, 4), "image/bmp", "p"));
        s.WriteFile(source / ".hidden.k", imagecodec::EncodeMotoBitmap18(Picture(4, 4), "h"));
        s.main.settings().TargetFormat = Format::Png;

        s.dialogs.AnswerFile(Q(source / picked.toStdString()), 1);
        s.dialogs.AnswerFolder(Q(target));
        s.main.Convertall2Click();

        const Shown& folder = s.dialogs.shown[1];
        QVERIFY(folder.kind == Shown::Kind::Folder);
        QCOMPARE(folder.title, QString("Select target image folder"));
        QStringList made = QDir(Q(target)).entryList(QDir::Files, QDir::Name);
        QCOMPARE(made, written);
        if (made.contains("a.bmp"))
            QCOMPARE(FileStart(target / "a.bmp", 4), QByteArray("\x89PNG"));
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t(leftOut.isEmpty() ? 0 : 1));
        if (!leftOut.isEmpty())
            QVERIFY(messages[0].text.contains("\n" + leftOut + ": "));
    }

    // A phone file picked packs phone files as they are, anything else packs
    // pictures converted back; the setting is the same afterwards.
    void packModeFollowsThePickedFile_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("convertBefore");
        QTest::addColumn<QStringList>("members");
        const QStringList phone = {"a.k", "c.g"}, converted = {"b.k"};
        QTest::newRow(".k, setting on") << "a.k" << true << phone;
        QTest::newRow(".G, setting off") << "X.G" << false << phone;
        QTest::newRow(".bmp, setting off") << "b.bmp" << false << converted;
        QTest::newRow(".png, setting on") << "x.png" << true << converted;
        QTest::newRow("no extension, setting off") << "anything" << false << converted;
    }
    void packModeFollowsThePickedFile()
    {
        QFETCH(QString, picked);
        QFETCH(bool, convertBefore);
        QFETCH(QStringList, members);
        Session s;
        const fs::path folder = s.root / "pack";
        fs::create_directories(folder);
        s.WriteFile(folder / "a.k", imagecodec::EncodeMotoBitmap18(Picture(4, 4), "a.k"));
        s.WriteFile(folder / "c.g", imaging::EncodePicture(Picture(4, 4), "image/png", "c.g"));
        s.WriteFile(folder / "b.bmp", imaging::EncodePicture(Picture(4, 4), "image/bmp", "b.bmp"));
        s.main.settings().ConvertEnabled = convertBefore;

        const fs::path output = s.root / "out.ezx";
        s.dialogs.AnswerFile(Q(folder / picked.toStdString()));
        s.dialogs.AnswerFile(Q(output));
        s.main.FileSave1Execute();

        const Shown& save = s.dialogs.shown.back();
        QCOMPARE(save.title, QString("Select file to save EZX"));
        QCOMPARE(save.file.fileName, QString("iconres.ezx"));
        QCOMPARE(save.file.directory, Q(folder));
        QCOMPARE(s.dialogs.Messages().size(), std::size_t{0});
        std::set<std::string> expected;
        for (const QString& m : members)
            expected.insert(m.toStdString());
        QVERIFY(MemberNames(output) == expected);
        QCOMPARE(s.main.settings().ConvertEnabled, convertBefore);
    }

    void packFailureKeepsTheSetting_data()
    {
        QTest::addColumn<bool>("convertBefore");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void packFailureKeepsTheSetting()
    {
        QFETCH(bool, convertBefore);
        Session s;
        s.Open();
        s.main.settings().ConvertEnabled = convertBefore;
        s.dialogs.AnswerFile(Q(s.work / "raws" / "a.k"));
        s.dialogs.AnswerFile(Q(s.root / "no such folder" / "out.ezx"));
        s.main.FileSave1Execute();
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(messages[0].title, kApplicationTitle);
        QVERIFY(messages[0].text.startsWith(Q(s.root / "no such folder" / "out.ezx") + ": "));
        QCOMPARE(s.main.settings().ConvertEnabled, convertBefore);
        QVERIFY(!s.windows.Form1.isVisible());
    }

    void cancellingThePackSaveDialogWritesNothing()
    {
        Session s;
        s.Open();
        s.dialogs.AnswerFile(Q(s.work / "raws" / "a.k"));
        s.dialogs.CancelFile();
        s.main.FileSave1Execute();
        QVERIFY(s.dialogs.AllAnswered());
        QCOMPARE(s.dialogs.Messages().size(), std::size_t{0});
        QStringList archives;
        for (const QString& f : FilesStartingWith(Q(s.root), ""))
            if (f.endsWith(".ezx") && f != Q(s.archive))
                archives << f;
        QCOMPARE(archives, QStringList{});
    }

    void packOfAFolderWithoutFilesSaysSo()
    {
        Session s;
        const fs::path folder = s.root / "empty";
        fs::create_directories(folder);
        WriteBytes(folder / "readme.txt", "text");
        s.dialogs.AnswerFile(Q(folder / "x.k"));
        s.dialogs.AnswerFile(Q(s.root / "out.ezx"));
        s.main.FileSave1Execute();
        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].messageKind == MessageKind::Information);
        QVERIFY(messages[0].text.startsWith("Nothing was packed"));
        QVERIFY(!fs::exists(s.root / "out.ezx"));
    }

    // Extract with conversion, add a picture the map does not know, pack the
    // icons folder back: the newcomer is reported as left out.
    void packReportsWhatWasLeftOut()
    {
        Session s;
        s.Open();
        const fs::path icons = s.work / "icons";
        s.WriteFile(icons / "extra.png", imaging::EncodePicture(Picture(2, 2), "image/png", "x"));
        const fs::path output = s.root / "new.ezx";
        s.dialogs.AnswerFile(Q(icons / "a.bmp"), 1);
        s.dialogs.AnswerFile(Q(output));
        s.main.FileSave1Execute();

        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY(messages[0].messageKind == MessageKind::Information);
        QVERIFY(messages[0].text.contains("\nextra.png: not in the conversion map"));
        const auto names = MemberNames(output);
        for (const char* name : {"a.k", "b.k", "Z.k", "C.g", "d.g"})
            QVERIFY2(names.count(name) == 1, name);
        QVERIFY(names.count("extra.g") == 0);
    }

    void fileGoneWhilePackingIsNotFound()
    {
        Session s;
        const fs::path folder = s.root / "pack";
        fs::create_directories(folder);
        s.WriteFile(folder / "a.k", imagecodec::EncodeMotoBitmap18(Picture(4, 4), "a.k"));
        s.WriteFile(folder / "c.g", imaging::EncodePicture(Picture(4, 4), "image/png", "c.g"));
        // c.g disappears once the archive's members are being written.
        PaintWatcher remover(s.windows.Form1, [&](const QString& caption, int) {
            if (caption == "Packing icons")
                fs::remove(folder / "c.g");
        });
        s.dialogs.AnswerFile(Q(folder / "a.k"));
        s.dialogs.AnswerFile(Q(s.root / "out.ezx"));
        s.main.FileSave1Execute();

        const auto messages = s.dialogs.Messages();
        QCOMPARE(messages.size(), std::size_t{2});
        QCOMPARE(messages[0].title, QString("Not Found"));
        QCOMPARE(messages[0].text, QString("c.g"));
        QCOMPARE(messages[1].title, kApplicationTitle);
        QCOMPARE(messages[1].text, Q(folder / "c.g") + ": cannot open: No such file or directory.");
        QVERIFY(!fs::exists(s.root / "out.ezx"));
    }

    // Every caption and position is painted while the command runs, without
    // the event loop.
    void progressPositionsSeenByTheWindow()
    {
        Session s;
        std::vector<std::pair<QString, int>> seen;
        PaintWatcher watcher(s.windows.Form1, [&](const QString& caption, int position) {
            if (seen.empty() || seen.back() != std::make_pair(caption, position))
                seen.emplace_back(caption, position);
        });
        s.Open();
        const std::vector<std::pair<QString, int>> extracting = {
            {"Please wait...", 0},    {"Extracting icons", 0},  {"Extracting icons", 17},
            {"Extracting icons", 33}, {"Extracting icons", 50}, {"Extracting icons", 67},
            {"Extracting icons", 83}, {"Extracting icons", 100}};
        QVERIFY(seen == extracting);
        QVERIFY(!s.windows.Form1.isVisible());

        seen.clear();
        s.dialogs.AnswerFile(Q(s.work / "raws" / "a.k"));
        s.dialogs.AnswerFile(Q(s.root / "out.ezx"));
        s.main.FileSave1Execute();
        // raws holds three .k and two .g files.
        const std::vector<std::pair<QString, int>> packing = {{"Extracting icons", 0},
                                                              {"Searching for files", 0},
                                                              {"Retrieving skin structure", 0},
                                                              {"Retrieving skin structure", 25},
                                                              {"Retrieving skin structure", 50},
                                                              {"Retrieving skin structure", 75},
                                                              {"Retrieving skin structure", 100},
                                                              {"Retrieving skin structure", 0},
                                                              {"Packing icons", 0},
                                                              {"Packing icons", 25},
                                                              {"Packing icons", 50},
                                                              {"Packing icons", 75},
                                                              {"Packing icons", 100}};
        QVERIFY(seen == packing);
        QCOMPARE(s.windows.Form1.pos(), QPoint(150, 100));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
