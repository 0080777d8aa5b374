// The Archive Editor driven as the mouse and keyboard drive it: drops sent
// to the gallery, in-place renames, the unsaved-changes question answered
// through the scripted dialogs; results read back with the core.

#include <numeric>

#include <QDir>
#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSortFilterProxyModel>
#include <QStandardPaths>
#include <QStatusBar>
#include <QUndoStack>
#include <QWheelEvent>

#include "UiTestSupport.h"
#include "core/FileIo.h"
#include "core/archive/ArchiveModel.h"
#include "core/imagecodec/PhonePictures.h"
#include "ui/ArchiveEditor.h"
#include "ui/ArchiveEditorGallery.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;

namespace {

using Bytes = std::vector<std::byte>;

// How the editor's questions begin.
const QString kTitle = ApplicationTitle() + ": ";

// The editor on a test archive of one member of each kind.
struct Editor {
    QTemporaryDir dir;
    fs::path root{dir.path().toStdString()};
    fs::path archive = root / "iconres.ezx";
    ScriptedDialogs dialogs;
    ArchiveEditor editor{dialogs};

    Editor()
    {
        WriteTestArchive(archive);
        editor.resize(900, 600);
        editor.show();
        // The menus' shortcuts reach an active window only.
        if (!QTest::qWaitForWindowActive(&editor))
            qFatal("the editor window is not activated");
        if (!editor.OpenArchive(Q(archive)))
            qFatal("the test archive does not open");
    }

    // Until the conversions and saves started have ended.
    void Settle() { QTRY_VERIFY(!editor.Document().Busy()); }

    int Row(const char* name) const { return int(editor.Archive().FindOne(name)); }
    Bytes Data(const char* name) const
    {
        return editor.Archive().Data(editor.Archive().FindOne(name));
    }

    QStringList Shown()
    {
        QStringList names;
        for (int i = 0; i < editor.Shown().rowCount(); ++i)
            names << editor.Shown().index(i, 0).data().toString();
        return names;
    }

    // Drags `file` from outside and drops it on `row`'s tile, or on the
    // empty area below the tiles when row is -1, as a file manager does.
    void Drop(const fs::path& file, int row) { Drop(std::vector<fs::path>{file}, row); }
    // On the gallery, or the details view when it is shown.
    void Drop(const std::vector<fs::path>& files, int row)
    {
        QAbstractItemView& view = editor.Details().isVisible()
                                      ? static_cast<QAbstractItemView&>(editor.Details())
                                      : editor.View();
        QPoint at(view.viewport()->width() - 2, view.viewport()->height() - 2);
        if (row >= 0) {
            const QModelIndex index = editor.Shown().mapFromSource(editor.Gallery().index(row));
            view.scrollTo(index);
            at = view.visualRect(index).center();
        }
        QMimeData mime;
        QList<QUrl> urls;
        for (const fs::path& file : files)
            urls << QUrl::fromLocalFile(Q(file));
        mime.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &drop);
        Settle();
    }
};

} // namespace

class ArchiveEditorTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // Without an organisation, Windows keeps no settings at all; test
        // mode does not move the registry, hence a name of the tests' own.
        QCoreApplication::setOrganizationName(QStringLiteral("zefir-tests"));
        // Every editor starts in the gallery.
        QSettings().remove("ArchiveEditor/details");
        uitest::SpeakEnglish();
    }

    void opensTheExampleWithATileForEveryMember()
    {
        const fs::path example = fs::path(ZEFIR_SOURCE_DIR) / "examples" / "iconres.ezx";
        ScriptedDialogs dialogs;
        ArchiveEditor editor(dialogs);
        editor.show();
        QVERIFY(editor.OpenArchive(Q(example)));
        const archive::ArchiveModel core(example);
        QCOMPARE(editor.View().model()->rowCount(), int(core.size()));
        QTRY_VERIFY(editor.Gallery().AllLoaded());
        for (std::size_t i = 0; i < core.size(); ++i) {
            const auto info = imagecodec::InspectPhonePicture(core.Name(i), core.Data(i));
            const Tile& tile = editor.Gallery().TileAt(int(i));
            QVERIFY2(tile.state == TileState::Ready, qPrintable(tile.whyNot));
            QCOMPARE(tile.width, info.width);
            QCOMPARE(tile.height, info.height);
        }
        QCOMPARE(editor.windowTitle(), QString("iconres.ezx[*] - Archive Editor"));
        QVERIFY(!editor.isWindowModified());
        dialogs.ExpectMessage({});
    }

    void filterAndSortChooseTheTiles()
    {
        const struct {
            const char* filter;
            bool byName;
            QStringList names;
            const char* count; // empty: not shown
        } cases[] = {
            {"", false, {"b.k", "Z.k", "a.k", "d.g", "C.g", "logo(4x10).raw", "unknown.bin"}, ""},
            {"", true, kSortedNames, ""},
            {"K", true, {"a.k", "b.k", "unknown.bin", "Z.k"}, "4 of 7 shown"},
            {".G", false, {"d.g", "C.g"}, "2 of 7 shown"},
            {"nothing", true, {}, "0 of 7 shown"},
        };
        Editor e;
        const auto* count = e.editor.findChild<QLabel*>("ShownInfo");
        for (const auto& c : cases) {
            e.editor.findChild<QLineEdit*>("FilterEdit")->setText(c.filter);
            e.editor.findChild<QComboBox*>("SortBox")->setCurrentIndex(c.byName ? 1 : 0);
            QCOMPARE(e.Shown(), c.names);
            QCOMPARE(count->isVisible(), *c.count != 0);
            if (*c.count)
                QCOMPARE(count->text(), QString(c.count));
        }
    }

    void tilesTellKindSizeAndWhyNot()
    {
        Editor e;
        QTRY_VERIFY(e.editor.Gallery().AllLoaded());
        const struct {
            const char* name;
            TileState state;
            const char* summary;
        } cases[] = {
            {"a.k", TileState::Ready, "Moto Bitmap (18-bit), 16 x 16, 848 bytes"},
            {"Z.k", TileState::Ready, "Moto Bitmap (32-bit), 8 x 8, 272 bytes"},
            {"logo(4x10).raw", TileState::Ready, "Raw picture, 4 x 10, 86 bytes"},
            {"unknown.bin", TileState::Unknown, "Unknown, 3 bytes, no picture"},
        };
        for (const auto& c : cases) {
            const QModelIndex index = e.editor.Gallery().index(e.Row(c.name));
            QCOMPARE(static_cast<TileState>(index.data(GalleryModel::StateRole).toInt()), c.state);
            QCOMPARE(index.data(GalleryModel::SummaryRole).toString(), QString(c.summary));
        }
        // Tooltips are rich text, which wraps; names are not markup.
#ifdef _WIN32
        // Windows refuses "<" and ">" in a name; "&" still is markup.
        const char* markup = "x&b.k";
        const char* escaped = "x&amp;b.k";
#else
        const char* markup = "x<b>&.k";
        const char* escaped = "x&lt;b&gt;&amp;.k";
#endif
        QVERIFY(e.editor.RenameMember(e.Row("a.k"), markup).isEmpty());
        const QString tip = e.editor.Gallery().index(e.Row(markup)).data(Qt::ToolTipRole).toString();
        QVERIFY(Qt::mightBeRichText(tip));
        QVERIFY2(tip.contains(escaped), qPrintable(tip));
        // A damaged member gets a placeholder that says why.
        const int damaged = e.Row(markup);
        e.editor.Document().ApplyReplace(damaged, {std::byte{9}});
        QTRY_COMPARE(e.editor.Gallery().TileAt(damaged).state, TileState::Failed);
        QVERIFY(!e.editor.Gallery().TileAt(damaged).whyNot.isEmpty());
        // The reason, which may be long, in a paragraph that wraps.
        QVERIFY(e.editor.Gallery()
                    .index(damaged)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .contains("<p>Cannot be shown: " +
                              e.editor.Gallery().TileAt(damaged).whyNot.toHtmlEscaped()));
    }

    void dropReplacesUndoRedoAndSave()
    {
        Editor e;
        const fs::path png = e.root / "new.png";
        WritePicture(png, Picture(12, 12));
        const Bytes before = e.Data("b.k");
        const auto expected =
            imagecodec::ConvertForMember("b.k", before, "new.png", ReadAll(png), png);

        e.editor.SelectRow(e.Row("a.k"));
        e.Drop(png, e.Row("b.k"));
        QCOMPARE(e.Data("b.k"), expected.bytes);
        QCOMPARE(e.editor.CurrentRow(), e.Row("b.k"));
        QCOMPARE(e.editor.statusBar()->currentMessage(),
                 QString("b.k is now 12 x 12 pixels (it was 20 x 30)"));
        QVERIFY(e.editor.isWindowModified());
        QCOMPARE(e.editor.UndoStack().undoText(), QString("Replace b.k"));

        e.editor.UndoStack().undo();
        QCOMPARE(e.Data("b.k"), before);
        QVERIFY(!e.editor.isWindowModified());
        e.editor.UndoStack().redo();
        QCOMPARE(e.Data("b.k"), expected.bytes);

        QVERIFY(e.editor.FileSaveExecute());
        e.Settle();
        QVERIFY(!e.editor.isWindowModified());
        const archive::ArchiveModel saved(e.archive);
        QCOMPARE(saved.size(), std::size_t{7});
        QCOMPARE(saved.Data(saved.FindOne("b.k")), expected.bytes);
        e.dialogs.ExpectMessage({});
    }

    void dropOnTheEmptyAreaAdds()
    {
        Editor e;
        const fs::path png = e.root / "extra.png";
        WritePicture(png, Picture(6, 6));
        e.Drop(png, -1);
        QCOMPARE(e.editor.Archive().size(), std::size_t{8});
        QCOMPARE(e.editor.Archive().DisplayName(7), std::string("extra.g"));
        QCOMPARE(e.Data("extra.g"), ReadAll(png));
        e.editor.UndoStack().undo();
        QCOMPARE(e.editor.Archive().size(), std::size_t{7});
        QVERIFY(e.editor.Archive().FindAll("extra.g").empty());
        // A refusal comes as an error box.
        const fs::path broken = e.root / "broken.png";
        WriteBytes(broken, std::string("\x89PNG not really"));
        e.Drop(broken, e.Row("a.k"));
        QCOMPARE(e.dialogs.messages.size(), 1);
        QVERIFY(e.dialogs.messages[0].startsWith(kError));
        QVERIFY(e.dialogs.messages[0].contains("broken.png"));
    }

    void renameInPlaceKeepsTheFieldOpenWhileRefused()
    {
        Editor e;
        e.editor.SelectRow(e.Row("a.k"));
        e.editor.View().setFocus();
        QTest::keyClick(&e.editor.View(), Qt::Key_F2);
        auto* field = e.editor.View().findChild<QLineEdit*>("RenameEdit");
        QVERIFY(field);
        field->selectAll();
        QTest::keyClicks(field, "Z.k");
        QTest::keyClick(field, Qt::Key_Return);
        QVERIFY(field->isVisible());
        auto* note = e.editor.View().findChild<QLabel*>("RenameNote");
        QVERIFY(note && note->isVisible() && note->text().contains("already there"));
        field->selectAll();
        QTest::keyClicks(field, "b2.k");
        QTest::keyClick(field, Qt::Key_Return);
        // The delegate commits once the event loop is back.
        QTRY_COMPARE(e.editor.Archive().DisplayName(2), std::string("b2.k"));
    }

    void unsavedChangesAreAskedAbout()
    {
        Editor e;
        const Bytes original = ReadAll(e.archive);
        QVERIFY(e.editor.RemoveMembers({e.Row("d.g")}));
        QVERIFY(e.editor.isWindowModified());

        // Cancel keeps the window and the edit, for closing and for opening.
        e.dialogs.answers = {Answer::Cancel, Answer::Cancel};
        QVERIFY(!e.editor.close());
        QVERIFY(e.editor.isVisible());
        QVERIFY(!e.editor.OpenArchive(Q(e.archive)));
        QCOMPARE(e.editor.Archive().size(), std::size_t{6});
        QCOMPARE(e.dialogs.questions,
                 QStringList(2, kTitle + "iconres.ezx has unsaved changes. Save them?"));

        // The open command asks once, before its dialog; Discard drops the edit.
        e.dialogs.questions.clear();
        e.dialogs.answers = {Answer::Discard};
        e.dialogs.files = {{Q(e.archive)}};
        e.editor.FileOpenExecute();
        QCOMPARE(e.dialogs.questions.size(), 1);
        QCOMPARE(e.editor.Archive().size(), std::size_t{7});
        QVERIFY(e.editor.RemoveMembers({e.Row("d.g")}));

        // Discard closes and writes nothing.
        e.dialogs.answers = {Answer::Discard};
        QVERIFY(e.editor.close());
        QCOMPARE(ReadAll(e.archive), original);
    }

    // Another program saves over the open archive: the editor notices, asks,
    // and never saves over that program's work unless told to.
    void aChangeOnDiskIsAskedAbout()
    {
#ifdef _WIN32
        QSKIP("on Windows no other program writes an archive the editor holds open, and Wine "
              "renames over no file that another program has open");
#endif
        Editor e;
        QVERIFY(e.editor.RemoveMembers({e.Row("d.g")}));
        {
            archive::ArchiveModel other(e.archive);
            other.Remove(other.FindOne("a.k"));
            other.Save(e.archive);
        }
        const Bytes theirs = ReadAll(e.archive);
        const QString question = kTitle +
                                 "iconres.ezx was changed by another program "
                                 "since it was opened. Save your version as another file, or "
                                 "reload it and lose your changes?";
        QTRY_COMPARE(e.dialogs.questions, QStringList{question});

        // Saving asks again; Cancel saves nothing.
        QVERIFY(!e.editor.FileSaveExecute());
        QCOMPARE(e.dialogs.questions, QStringList(2, question));
        QCOMPARE(ReadAll(e.archive), theirs);

        // Save As proposes another file and writes this version there.
        e.dialogs.answers = {Answer::SaveAs};
        e.dialogs.files = {{Q(e.root / "mine.ezx"), 0}};
        QVERIFY(e.editor.FileSaveExecute());
        e.Settle();
        QCOMPARE(e.dialogs.questions, QStringList(3, question));
        QCOMPARE(e.dialogs.asked.back().fileName, Q(e.root / "iconres (edited).ezx"));
        QCOMPARE(ReadAll(e.archive), theirs);
        archive::ArchiveModel mine(e.root / "mine.ezx");
        QCOMPARE(mine.FindAll("d.g").size(), std::size_t{0});
        QCOMPARE(mine.FindAll("a.k").size(), std::size_t{1});

        // Without unsaved changes, Reload shows what the other program saved.
        e.dialogs.answers = {Answer::Reload};
        {
            archive::ArchiveModel other(e.root / "mine.ezx");
            other.Remove(other.FindOne("a.k"));
            other.Save(e.root / "mine.ezx");
        }
        QTRY_COMPARE(e.dialogs.questions.size(), 4);
        QCOMPARE(e.dialogs.questions.last(),
                 kTitle + "mine.ezx was changed by another program. Reload it?");
        QCOMPARE(e.editor.Archive().FindAll("a.k").size(), std::size_t{0});
        QVERIFY(!e.editor.isWindowModified());
    }

    // A name typed without an extension gets the filter's; dialogs open in
    // the archive's folder, then where the last picture came from.
    void dialogsAddTheExtensionAndRememberThePictureFolder()
    {
        Editor e;
        QSettings().remove("editor/pictureFolder");
        e.dialogs.files = {{Q(e.root / "saved-as"), 0}};
        QVERIFY(e.editor.FileSaveAsExecute());
        e.Settle();
        QCOMPARE(e.dialogs.asked.back().fileName, Q(e.archive));
        QVERIFY(fs::exists(e.root / "saved-as.ezx"));
        QVERIFY(!fs::exists(e.root / "saved-as"));
        // The message has room beside the member's label.
        const auto* info = e.editor.findChild<QLabel*>("MemberInfo");
        QVERIFY(e.editor.statusBar()->currentMessage().startsWith("Saved"));
        QTRY_VERIFY(info->width() < e.editor.statusBar()->width() / 2);

        fs::create_directory(e.root / "pictures");
        e.editor.View().setCurrentIndex(e.editor.Shown().index(0, 0));
        e.dialogs.files = {{Q(e.root / "pictures" / "one"), 0}};
        QSignalSpy exported(&e.editor, &ArchiveEditor::exportFinished);
        e.editor.ExportExecute();
        QCOMPARE(e.dialogs.asked.back().directory, Q(e.root));
        QTRY_COMPARE(exported.size(), 1);
        QCOMPARE(exported[0][0].toInt(), 1);
        QVERIFY(fs::exists(e.root / "pictures" / "one.png"));
        e.editor.AddExecute(); // cancelled: the script has no more answers
        QCOMPARE(e.dialogs.asked.back().directory, Q(e.root / "pictures"));
    }

    void exportNamesFilesAsExtractionDoes()
    {
        Editor e;
        const struct {
            const char* member;
            ExportFormat format;
            bool keepMotoImages;
            const char* file; // empty: no file
        } cases[] = {
            {"a.k", ExportFormat::Bmp, true, "a.bmp"},
            {"logo(4x10).raw", ExportFormat::Jpeg, true, "logo(4x10).jpg"},
            {"d.g", ExportFormat::Png, true, "d.gif"},
            {"d.g", ExportFormat::Png, false, "d.png"},
            {"C.g", ExportFormat::AsStored, true, "C.g"},
            {"unknown.bin", ExportFormat::Png, true, ""},
            {"unknown.bin", ExportFormat::AsStored, true, "unknown.bin"},
        };
        for (const auto& c : cases) {
            const ExportedFile file =
                ExportMember(c.member, e.Data(c.member), c.format, c.keepMotoImages);
            QCOMPARE(QString::fromStdString(file.fileName), QString(c.file));
            QCOMPARE(file.bytes.empty(), !*c.file);
        }

        // A drag follows the export's rule for two members whose files
        // would have one name: the first goes, the later does not.
        const fs::path png = e.root / "a.png";
        imaging::SavePicture(Picture(2, 2), png, "image/png");
        e.editor.Document().AddFiles({Q(png)}); // a.g, holding a PNG
        e.Settle();
        QVERIFY(e.Row("a.g") >= 0);
        const QModelIndexList both = {
            e.editor.Shown().mapFromSource(e.editor.Gallery().index(e.Row("a.k"))),
            e.editor.Shown().mapFromSource(e.editor.Gallery().index(e.Row("a.g")))};
        std::unique_ptr<QMimeData> mime(e.editor.Shown().mimeData(both));
        QCOMPARE(mime->urls().size(), 1);
        QVERIFY(imaging::LoadPicture(ToPath(mime->urls()[0].toLocalFile())).pixels ==
                imagecodec::DecodePhonePicture("a.k", e.Data("a.k"), "a.k").picture.pixels);
    }

    void keyboardAndWheelDriveFilterPreviewAndTileSize()
    {
        Editor e;
        GalleryView& view = e.editor.View();
        e.editor.SelectRow(e.Row("a.k"));
        QTRY_COMPARE(e.editor.Gallery().TileAt(e.Row("a.k")).state, TileState::Ready);
        // Enter: the largest zoom at which 16 x 16 fits 240 x 320, at most 8.
        QTest::keyClick(&view, Qt::Key_Return);
        QCOMPARE(e.editor.Preview().Zoom(), 8);

        const QSize grid = view.gridSize();
        QWheelEvent wheel(QPointF(5, 5), view.mapToGlobal(QPointF(5, 5)), {}, {0, 120},
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.viewport(), &wheel);
        QVERIFY(view.gridSize().width() > grid.width());

        view.setFocus();
        QTest::keyClicks(&view, "LO");
        QCOMPARE(e.editor.findChild<QLineEdit*>("FilterEdit")->text(), QString("LO"));
        QCOMPARE(e.Shown(), QStringList{"logo(4x10).raw"});
    }

    void exportAllWritesPicturesAndAsksBeforeReplacing()
    {
        Editor e;
        const fs::path out = e.root / "out";
        fs::create_directories(out);
        e.dialogs.folders = {Q(out)};
        QSignalSpy exported(&e.editor, &ArchiveEditor::exportFinished);
        e.editor.ExportAllExecute();
        QTRY_COMPARE(exported.size(), 1);
        QCOMPARE(exported[0][0].toInt(), 6);
        // Named as extraction names its pictures; Moto Images as what they hold.
        const QStringList written = {"C.png", "Z.png", "a.png", "b.png", "d.gif", "logo(4x10).png"};
        QStringList expected;
        for (const QString& name : written)
            expected << Q(out / name.toStdString());
        QCOMPARE(Files(out), expected);
        QCOMPARE(ReadAll(out / "d.gif"), e.Data("d.g"));
        QVERIFY(imaging::LoadPicture(out / "b.png").pixels == Picture(20, 30).pixels);
        e.dialogs.ExpectMessage("unknown.bin");

        // Again, declining to replace: the files stay as the user left them.
        WriteBytes(out / "a.png", std::string("mine"));
        e.dialogs.messages.clear();
        e.dialogs.folders = {Q(out)};
        e.dialogs.answers = {Answer::No};
        e.editor.ExportAllExecute();
        QTRY_COMPARE(exported.size(), 2);
        QCOMPARE(exported[1][0].toInt(), 0);
        QCOMPARE(e.dialogs.questions.size(), 1);
        QVERIFY2(e.dialogs.questions[0].contains("6 files already in"),
                 qPrintable(e.dialogs.questions[0]));
        QCOMPARE(FileStart(out / "a.png", 8), QByteArray("mine"));
    }

    // What the preview and the status bar show is what the commands take,
    // however the keyboard moved there.
    void commandsActOnTheTilesShown()
    {
        using Keys = std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>;
        const struct {
            const char* clicked;
            Keys keys;
            const char* shown; // the start of the member's label
            const char* exportTitle;
            QStringList removed;
        } cases[] = {
            {"a.k",
             {{Qt::Key_Right, Qt::ControlModifier}, {Qt::Key_Right, Qt::ControlModifier}},
             "C.g: ",
             "Export C.g",
             {"C.g"}},
            {"b.k",
             {{Qt::Key_End, Qt::ControlModifier}},
             "unknown.bin: ",
             "Export unknown.bin",
             {"unknown.bin"}},
            {"a.k", {{Qt::Key_Right, Qt::NoModifier}}, "d.g: ", "Export d.g", {"d.g"}},
            {"a.k",
             {{Qt::Key_Right, Qt::ShiftModifier}},
             "2 members selected",
             "Export 2 icons into a folder",
             {"a.k", "d.g"}},
        };
        for (const auto& c : cases) {
            Editor e;
            GalleryView& view = e.editor.View();
            const QModelIndex tile =
                e.editor.Shown().mapFromSource(e.editor.Gallery().index(e.Row(c.clicked)));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(tile).center());
            for (const auto& [key, modifiers] : c.keys)
                QTest::keyClick(&view, key, modifiers);
            const QString info = e.editor.findChild<QLabel*>("MemberInfo")->text();
            QVERIFY2(info.startsWith(c.shown), qPrintable(info));
            e.editor.findChild<QAction*>("ExportAction")->trigger();
            QCOMPARE(e.dialogs.titles.last(), QString("save: ") + c.exportTitle);
            QTest::keyClick(&view, Qt::Key_Delete);
            QStringList gone;
            for (const QString& name : kSortedNames)
                if (e.editor.Archive().FindAll(name.toStdString()).empty())
                    gone << name;
            QCOMPARE(gone, c.removed);
        }

        // Ctrl+click leaving one tile selected makes it the current one.
        Editor e;
        GalleryView& view = e.editor.View();
        const auto click = [&](const char* name, Qt::KeyboardModifiers modifiers) {
            const QModelIndex tile =
                e.editor.Shown().mapFromSource(e.editor.Gallery().index(e.Row(name)));
            QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers,
                              view.visualRect(tile).center());
        };
        click("a.k", Qt::NoModifier);
        click("Z.k", Qt::ControlModifier);
        click("Z.k", Qt::ControlModifier);
        QCOMPARE(e.editor.CurrentRow(), e.Row("a.k"));
        QCOMPARE(e.editor.TargetRows(), std::vector<int>{e.Row("a.k")});
    }

    // Two pictures for one tile, and the menu's Add, take several files.
    void severalFilesAreAddedNotGuessedBetween()
    {
        const struct {
            bool dropped; // else chosen in Add's dialog
            ui::Answer answer;
            std::size_t members;
        } cases[] = {
            {true, ui::Answer::No, 7},
            {true, ui::Answer::Yes, 9},
            {false, ui::Answer::Cancel, 9},
        };
        for (const auto& c : cases) {
            Editor e;
            const std::vector<fs::path> files = {e.root / "one.png", e.root / "two.png"};
            for (const fs::path& file : files)
                WritePicture(file, Picture(6, 6));
            const Bytes before = e.Data("a.k");
            e.dialogs.answers = {c.answer};
            if (c.dropped) {
                e.Drop(files, e.Row("a.k"));
                QCOMPARE(e.dialogs.questions,
                         QStringList{kTitle + "2 files were dropped on a.k, which takes one "
                                              "picture. Add them as new members instead?"});
            } else {
                e.dialogs.files = {{Q(files[0]), 0, {Q(files[0]), Q(files[1])}}};
                e.editor.findChild<QAction*>("AddAction")->trigger();
                e.Settle();
                QVERIFY(e.dialogs.asked.back().several);
            }
            QCOMPARE(e.editor.Archive().size(), c.members);
            QCOMPARE(e.Data("a.k"), before);
            QCOMPARE(e.editor.Archive().FindAll("two.g").size(), c.members > 7 ? 1u : 0u);
        }
    }

    void savingAnArchiveWithoutMembersAsksFirst()
    {
        Editor e;
        const Bytes original = ReadAll(e.archive);
        std::vector<int> all(7);
        std::iota(all.begin(), all.end(), 0);
        QVERIFY(e.editor.RemoveMembers(all));
        e.dialogs.answers = {Answer::No};
        QVERIFY(!e.editor.FileSaveExecute());
        QCOMPARE(e.dialogs.questions,
                 QStringList{kTitle + "iconres.ezx would have no members: the phone would find "
                                      "none of its icons in it. Save it anyway?"});
        QCOMPARE(ReadAll(e.archive), original);
        QVERIFY(e.editor.isWindowModified());
        e.dialogs.answers = {Answer::Yes};
        QVERIFY(e.editor.FileSaveExecute());
        e.Settle();
        QCOMPARE(archive::ArchiveModel(e.archive).size(), std::size_t{0});
    }

    // An archive open in one window, opened again under another name of the
    // same file, brings that window forward.
    void anArchiveIsOpenInOneWindowOnly()
    {
        Editor e;
        const fs::path link = e.root / "link.ezx";
        std::error_code noLink;
        fs::create_symlink(e.archive, link, noLink);
        if (noLink)
            QSKIP("this system makes no symbolic links");
        ArchiveEditor second(e.dialogs);
        second.show();
        QVERIFY(QTest::qWaitForWindowActive(&second));
        QVERIFY(!second.OpenArchive(Q(link)));
        QVERIFY(second.ArchivePath().empty());
        QTRY_COMPARE(QApplication::activeWindow(), &e.editor);
        QCOMPARE(e.editor.statusBar()->currentMessage(),
                 QString("iconres.ezx is open in this window"));

        // The same from the open command and from the main window.
        second.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &second);
        e.dialogs.files = {{Q(link)}, {Q(e.archive)}};
        second.FileOpenExecute();
        QVERIFY(second.ArchivePath().empty());
        QTRY_COMPARE(QApplication::activeWindow(), &e.editor);
        const auto editors = [] {
            int n = 0;
            for (QWidget* w : QApplication::topLevelWidgets())
                n += qobject_cast<ArchiveEditor*>(w) != nullptr;
            return n;
        };
        second.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &second);
        EditArchive(nullptr, e.dialogs);
        QCOMPARE(editors(), 2);
        QTRY_COMPARE(QApplication::activeWindow(), &e.editor);
        QVERIFY(e.dialogs.messages.isEmpty());
    }

    void tileMenuOffersTheCommandsAndProperties()
    {
        const struct {
            const char* tile; // empty: the area below the tiles
            QStringList actions;
        } cases[] = {
            {"a.k",
             {"ReplaceAction", "ExportAction", "RenameAction", "RemoveAction", "",
              "PropertiesAction"}},
            {"", {"AddAction", "ExportAllAction"}},
        };
        for (const auto& c : cases) {
            Editor e;
            GalleryView& view = e.editor.View();
            e.editor.SelectRow(e.Row("b.k"));
            QPoint at(view.viewport()->width() - 2, view.viewport()->height() - 2);
            if (*c.tile)
                at = view.visualRect(e.editor.Shown().mapFromSource(
                                         e.editor.Gallery().index(e.Row(c.tile))))
                         .center();
            QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
            QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at,
                                        view.viewport()->mapToGlobal(at));
            QApplication::sendEvent(view.viewport(), &menuEvent);
            auto* menu = e.editor.findChild<QMenu*>("TileMenu");
            QVERIFY(menu);
            QStringList actions;
            for (QAction* action : menu->actions())
                actions << action->objectName();
            QCOMPARE(actions, c.actions);
            if (!*c.tile)
                continue;
            QCOMPARE(e.editor.CurrentRow(), e.Row(c.tile));
            menu->actions().last()->trigger();
            QCOMPARE(e.dialogs.messages,
                     QStringList{kNote + "Name: a.k\nKind: Moto Bitmap (18-bit)\nPicture: 16 x 16 "
                                         "pixels\nSize: 848 bytes"});
        }
    }

    void previewOpensAtFitZoomAndScrolls()
    {
        Editor e;
        GalleryView& view = e.editor.View();
        auto* dock = e.editor.findChild<QDockWidget*>("PreviewDock");
        dock->hide();
        e.editor.Preview().SetZoom(1);
        QTRY_COMPARE(e.editor.Gallery().TileAt(e.Row("a.k")).state, TileState::Ready);
        const QModelIndex tile =
            e.editor.Shown().mapFromSource(e.editor.Gallery().index(e.Row("a.k")));
        // As the system sends it: a click, then the second press as a double-click.
        const QPoint at = view.visualRect(tile).center();
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
        QVERIFY(dock->isVisible());
        QCOMPARE(e.editor.Preview().Zoom(), 8);

        // 60 x 60 at 8x is past the 240 x 320 screen both ways.
        Tile large;
        large.state = TileState::Ready;
        large.image = QImage(60, 60, QImage::Format_ARGB32);
        e.editor.Preview().SetTile("large", &large);
        auto* scroll = e.editor.findChild<QScrollArea*>("PreviewScroll");
        QTRY_VERIFY(scroll->horizontalScrollBar()->maximum() > 0);
        QVERIFY(scroll->verticalScrollBar()->maximum() > 0);
        QCOMPARE(scroll->widget()->size(), QSize(480, 480));
        e.editor.Preview().SetZoom(4);
        QTRY_COMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QVERIFY(scroll->verticalScrollBar()->maximum() == 0);
    }

    // Escape, Down and Ctrl+Z in the filter field.
    void filterKeysEditTheFilterBeforeTheArchive()
    {
        Editor e;
        auto* filter = e.editor.findChild<QLineEdit*>("FilterEdit");
        QVERIFY(e.editor.RemoveMembers({e.Row("d.g")}));
        filter->setFocus();
        QTest::keyClicks(filter, "lo");
        QCOMPARE(e.Shown(), QStringList{"logo(4x10).raw"});
        QTest::keyClick(filter, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(filter->text(), QString());
        QCOMPARE(e.editor.Archive().size(), std::size_t{6});
        QTest::keyClick(filter, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(e.editor.Archive().size(), std::size_t{7});

        for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Down}) {
            filter->setFocus();
            QTest::keyClicks(filter, "b");
            QTest::keyClick(filter, key);
            QCOMPARE(filter->text(), key == Qt::Key_Escape ? QString() : QString("b"));
            QVERIFY(e.editor.View().hasFocus());
            filter->clear();
        }
    }

    void recentArchivesAreRememberedAndCleared()
    {
        QSettings().remove("ArchiveEditor/recent");
        Editor e;
        const fs::path other = e.root / "other.ezx";
        e.dialogs.files = {{Q(other)}};
        QVERIFY(e.editor.FileSaveAsExecute());
        e.Settle();
        auto* menu = e.editor.findChild<QMenu*>("RecentMenu");
        const auto texts = [menu] {
            emit menu->aboutToShow();
            QStringList out;
            for (QAction* action : menu->actions())
                out << action->text();
            return out;
        };
        QCOMPARE(texts(), QStringList({"&1 " + Q(other), "&2 " + Q(e.archive), "", "&Clear Menu"}));
        menu->actions()[1]->trigger();
        QCOMPARE(e.editor.ArchivePath(), e.archive);
        QCOMPARE(texts(), QStringList({"&1 " + Q(e.archive), "&2 " + Q(other), "", "&Clear Menu"}));
        menu->actions().last()->trigger();
        QCOMPARE(texts(), QStringList({"", "&Clear Menu"}));
        QVERIFY(!menu->actions().last()->isEnabled());
    }

    // Names that share their start and their end still differ under the
    // tiles, on two lines at most, each within the tile.
    void tileNamesKeepWhatTellsThemApart()
    {
        const struct {
            const char* name;
            const char* other; // a name beside it that must not look the same
            int lines;
        } cases[] = {
            {"b.k", "a.k", 1},
            {"raw_4_battery_full.k", "raw_4_battery_empty.k", 2},
            {"raw_4_icon_0001_16x16.k", "raw_4_icon_0002_16x16.k", 2},
            {"raw_4_status_bar_signal_strength_level_3_of_5_24x14.k",
             "raw_4_status_bar_signal_strength_level_4_of_5_24x14.k", 2},
            {"значок_очень_длинного_имени_для_строки.k",
             "значок_очень_длинного_имечка_для_строки.k", 2},
        };
        for (const auto& c : cases) {
            Editor e;
            const int row = e.Row("b.k");
            const int other = e.Row("a.k");
            // Renamed through the editor, so that what the names share is
            // found again.
            QVERIFY(e.editor.RenameMember(row, QString::fromUtf8(c.name)).isEmpty());
            QVERIFY(e.editor.RenameMember(other, QString::fromUtf8(c.other)).isEmpty());
            const QFontMetrics metrics(e.editor.View().font());
            const int width = e.editor.View().gridSize().width() - 8;
            const auto linesOf = [&](int member) {
                const QModelIndex index = e.editor.Gallery().index(member);
                return TileNameLines(index.data().toString(), metrics, width,
                                     index.data(GalleryModel::SharedStartRole).toInt());
            };
            const QStringList lines = linesOf(row);
            QCOMPARE(lines.size(), c.lines);
            for (const QString& line : lines)
                QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
            // The end, with the extension, shows.
            QVERIFY(QString::fromUtf8(c.name).endsWith(lines.last().right(3)));
            QVERIFY2(lines != linesOf(other), qPrintable(lines.join('|')));
        }
    }

    void detailsViewSortsAndSharesTheSelection()
    {
        Editor e;
        QTRY_VERIFY(e.editor.Gallery().AllLoaded());
        e.editor.SelectRow(e.Row("a.k"));
        e.editor.findChild<QAction*>("DetailsAction")->trigger();
        DetailsView& details = e.editor.Details();
        QVERIFY(details.isVisible() && !e.editor.View().isVisible());
        QCOMPARE(e.editor.Shown().mapToSource(details.currentIndex()).row(), e.Row("a.k"));
        QStringList headers;
        for (int i = 0; i < details.model()->columnCount(); ++i)
            headers << details.model()->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(headers, QStringList({"Name", "Kind", "Pixels", "Bytes"}));

        // View > Sort By, for the gallery too; ties stay in archive order.
        QMenu* sortBy = nullptr;
        for (QMenu* menu : e.editor.findChildren<QMenu*>())
            if (menu->title() == "Sort &By")
                sortBy = menu;
        QVERIFY(sortBy);
        const struct {
            int choice;
            QStringList names;
        } sorts[] = {
            {2, {"b.k", "a.k", "Z.k", "d.g", "C.g", "logo(4x10).raw", "unknown.bin"}},
            {3, {"unknown.bin", "d.g", "C.g", "logo(4x10).raw", "Z.k", "a.k", "b.k"}},
            {0, {"b.k", "Z.k", "a.k", "d.g", "C.g", "logo(4x10).raw", "unknown.bin"}},
        };
        for (const auto& c : sorts) {
            sortBy->actions()[c.choice]->trigger();
            QCOMPARE(e.Shown(), c.names);
        }

        // A click on a column's header sorts by it, and the box says so.
        QHeaderView* header = details.header();
        const QPoint bytes(header->sectionViewportPosition(3) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, bytes);
        QCOMPARE(e.editor.findChild<QComboBox*>("SortBox")->currentText(), QString("Bytes"));
        std::uint32_t last = 0;
        for (const QString& name : e.Shown()) {
            const std::uint32_t size = e.editor.Archive().DataSize(e.Row(qPrintable(name)));
            QVERIFY2(size >= last, qPrintable(name));
            last = size;
        }

        // A picture dropped on a row replaces that member, which becomes current.
        const fs::path png = e.root / "new.png";
        WritePicture(png, Picture(12, 12));
        const Bytes before = e.Data("Z.k");
        e.Drop(png, e.Row("Z.k"));
        QVERIFY(e.Data("Z.k") != before);
        QCOMPARE(e.editor.CurrentRow(), e.Row("Z.k"));

        // F2 renames it in place, keeping the extension typed over.
        const int renamed = e.Row("Z.k");
        QTest::keyClick(&details, Qt::Key_F2);
        auto* field = details.viewport()->findChild<QLineEdit*>();
        QVERIFY(field);
        QTRY_COMPARE(field->selectedText(), QString("Z"));
        QTest::keyClicks(field, "zz");
        // The new picture's thumbnail arriving meanwhile keeps what is typed.
        QTRY_COMPARE(e.editor.Gallery().TileAt(renamed).state, TileState::Ready);
        QTest::keyClick(field, Qt::Key_Return);
        QTRY_COMPARE(e.editor.Archive().DisplayName(renamed), std::string("zz.k"));

        // The commands act on the row shown, as in the gallery.
        e.editor.SelectRow(e.Row("a.k"));
        details.setFocus();
        QTest::keyClick(&details, Qt::Key_Delete);
        QVERIFY(e.editor.Archive().FindAll("a.k").empty());
        QCOMPARE(e.editor.Archive().size(), std::size_t{6});
        e.editor.findChild<QAction*>("GalleryAction")->trigger();
        QVERIFY(e.editor.View().isVisible());
    }

    void mainWindowOpensTheEditor()
    {
        Session s;
        s.dialogs.files = {{Q(s.archive)}};
        s.main.findChild<QAction*>("EditArchive1")->trigger();
        ArchiveEditor* editor = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* found = qobject_cast<ArchiveEditor*>(w))
                editor = found;
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->ArchivePath(), s.archive);
        QCOMPARE(editor->Archive().size(), std::size_t{7});
        QCOMPARE(s.dialogs.titles, QStringList{"open: Open EZX file"});
        delete editor;
    }

    void dragOutCarriesPngFilesOfTheIcons()
    {
        Editor e;
        QModelIndexList indexes;
        for (int i = 0; i < e.editor.Shown().rowCount(); ++i)
            indexes << e.editor.Shown().index(i, 0);
        std::unique_ptr<QMimeData> mime(e.editor.Shown().mimeData(indexes));
        // Every member but the one without a picture.
        QCOMPARE(mime->urls().size(), 6);
        QStringList stems;
        for (const QUrl& url : mime->urls()) {
            const fs::path file = ToPath(url.toLocalFile());
            QCOMPARE(QString::fromStdString(file.extension().string()), QString(".png"));
            stems << QString::fromStdString(file.stem().string());
            // The file holds the member's own picture, pixel for pixel.
            const archive::ArchiveModel& a = e.editor.Archive();
            std::size_t member = a.size();
            for (std::size_t i = 0; i < a.size(); ++i)
                if (fs::path(a.Name(i)).stem() == file.stem())
                    member = i;
            QVERIFY(member < a.size());
            const auto icon = imagecodec::DecodePhonePicture(a.Name(member), a.Data(member), "m");
            QVERIFY(imaging::LoadPicture(file).pixels == icon.picture.pixels);
        }
        stems.sort();
        QCOMPARE(stems, QStringList({"C", "Z", "a", "b", "d", "logo(4x10)"}));
    }
};

QTEST_MAIN(ArchiveEditorTest)
#include "ArchiveEditorTest.moc"
