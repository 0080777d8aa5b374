// The Archive Editor's document without a window: edits made through it,
// read back with the core and through its signals; and the gallery's model
// on it, which decodes only what it is asked to.

#include <QSignalSpy>
#include <QUndoStack>

#include "UiTestSupport.h"
#include "core/FileIo.h"
#include "core/archive/ArchiveModel.h"
#include "core/imagecodec/PhonePictures.h"
#include "ui/ArchiveDocument.h"
#include "ui/ArchiveEditorGallery.h"

using namespace zefir;
using namespace zefir::ui;
using namespace zefir::uitest;

namespace {

using Bytes = std::vector<std::byte>;

// The document on the test archive, one member of each kind, with every
// error and status message it reported.
struct Document {
    QTemporaryDir dir;
    fs::path root{dir.path().toStdString()};
    fs::path archive = root / "iconres.ezx";
    ArchiveDocument document;
    QStringList errors;
    QStringList notes;

    Document()
    {
        WriteTestArchive(archive);
        QObject::connect(&document, &ArchiveDocument::errorOccurred,
                         [this](const QString& text) { errors << text; });
        QObject::connect(&document, &ArchiveDocument::statusMessage,
                         [this](const QString& text) { notes << text; });
        if (!document.Load(Q(archive)))
            qFatal("the test archive does not open");
    }

    void Settle() { QTRY_VERIFY(!document.Busy()); }
    int Row(const char* name) const { return int(document.Archive().FindOne(name)); }
    Bytes Data(const char* name) const
    {
        return document.Archive().Data(document.Archive().FindOne(name));
    }
};

} // namespace

class ArchiveDocumentTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { uitest::SpeakEnglish(); }

    void replaceAddUndoAndSaveReportThroughSignals()
    {
        Document d;
        QSignalSpy busy(&d.document, &ArchiveDocument::busyChanged);
        QSignalSpy replaced(&d.document, &ArchiveDocument::memberReplaced);
        QSignalSpy modified(&d.document, &ArchiveDocument::modifiedChanged);
        const fs::path png = d.root / "new.png";
        WritePicture(png, Picture(12, 12));
        const Bytes before = d.Data("b.k");
        const auto expected =
            imagecodec::ConvertForMember("b.k", before, "new.png", ReadAll(png), png);

        // Converted off the GUI thread; a conversion that is done before its
        // continuation is attached applies at once, so only the end counts.
        d.document.ReplaceMember(d.Row("b.k"), Q(png));
        d.Settle();
        QCOMPARE(d.Data("b.k"), expected.bytes);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(replaced.size(), 1);
        QCOMPARE(replaced[0][0].toInt(), d.Row("b.k"));
        QCOMPARE(d.notes.last(), QString("b.k is now 12 x 12 pixels (it was 20 x 30)"));
        QCOMPARE(modified.size(), 1);
        QVERIFY(d.document.IsModified());

        // One step for the files added; the one that is no picture is named.
        QSignalSpy added(&d.document, &ArchiveDocument::membersAdded);
        const fs::path extra = d.root / "extra.png";
        const fs::path broken = d.root / "broken.png";
        WritePicture(extra, Picture(6, 6));
        WriteBytes(broken, std::string("\x89PNG not really"));
        d.document.AddFiles({Q(extra), Q(broken)});
        d.Settle();
        QCOMPARE(d.document.Archive().size(), std::size_t{8});
        QCOMPARE(d.Data("extra.g"), ReadAll(png.parent_path() / "extra.png"));
        QCOMPARE(added.size(), 1);
        QCOMPARE(added[0][0].toInt(), 7);
        QCOMPARE(d.errors.size(), 1);
        QVERIFY2(d.errors[0].contains("broken.png"), qPrintable(d.errors[0]));
        QCOMPARE(d.document.UndoStack().count(), 2);
        d.document.UndoStack().undo();
        QCOMPARE(d.document.Archive().size(), std::size_t{7});

        QSignalSpy saved(&d.document, &ArchiveDocument::saveFinished);
        const fs::path other = d.root / "other.ezx";
        d.document.Save(other);
        d.Settle();
        QCOMPARE(saved.size(), 1);
        QVERIFY(saved[0][0].toBool());
        QCOMPARE(d.document.Path(), other);
        QVERIFY(!d.document.IsModified());
        const archive::ArchiveModel written(other);
        QCOMPARE(written.size(), std::size_t{7});
        QCOMPARE(written.Data(written.FindOne("b.k")), expected.bytes);
        QCOMPARE(d.errors.size(), 1);
    }

    void refusedReplacementChangesNothing()
    {
        const struct {
            const char* member;
            const char* file;
            imaging::Bitmap picture;
            QStringList message;
        } cases[] = {
            // Both sizes are named.
            {"logo(4x10).raw", "wide.png", Picture(5, 5), {"5x5", "4x10"}},
            {"a.k", "broken.png", {}, {"broken.png"}},
            {"a.k", "missing.png", {}, {"missing.png"}},
        };
        for (const auto& c : cases) {
            Document d;
            const fs::path file = d.root / c.file;
            if (c.picture.width)
                WritePicture(file, c.picture);
            else if (std::string(c.file) == "broken.png")
                WriteBytes(file, std::string("\x89PNG not really"));
            const Bytes before = d.Data(c.member);
            d.document.ReplaceMember(d.Row(c.member), Q(file));
            d.Settle();
            QCOMPARE(d.Data(c.member), before);
            QCOMPARE(d.document.UndoStack().count(), 0);
            QVERIFY(!d.document.IsModified());
            QCOMPARE(d.errors.size(), 1);
            for (const QString& part : c.message)
                QVERIFY2(d.errors[0].contains(part), qPrintable(d.errors[0]));
        }
    }

    void renameIsCheckedAndUndone()
    {
        const struct {
            const char* from;
            const char* to;
            QString refusal; // empty: accepted
        } cases[] = {
            {"a.k", "a/b.k", "\"/\""},
            {"a.k", "a.g", "another kind of file"},
            {"a.k", "Z.k", "already there"},
            {"a.k", "", "cannot be empty"},
            {"logo(4x10).raw", "logo(5x5).raw", "gives its size, 4x10"},
            {"a.k", "новый.k", ""},
            {"logo(4x10).raw", "icon(4x10).raw", ""},
        };
        for (const auto& c : cases) {
            Document d;
            const int row = d.Row(c.from);
            const QString check = d.document.CheckRename(row, QString::fromUtf8(c.to));
            const QString refusal = d.document.RenameMember(row, QString::fromUtf8(c.to));
            QCOMPARE(refusal.isEmpty(), c.refusal.isEmpty());
            QCOMPARE(check.isEmpty(), c.refusal.isEmpty());
            if (!refusal.isEmpty()) {
                QVERIFY2(refusal.contains(c.refusal), qPrintable(refusal));
                QCOMPARE(d.notes.last(), "Not renamed: " + refusal);
                QCOMPARE(d.document.Archive().DisplayName(row), std::string(c.from));
                QCOMPARE(d.document.UndoStack().count(), 0);
                continue;
            }
            QCOMPARE(d.document.Archive().DisplayName(row), std::string(c.to));
            d.document.UndoStack().undo();
            QCOMPARE(d.document.Archive().DisplayName(row), std::string(c.from));
        }
    }

    // While a conversion runs, the edits that would move its row are
    // refused; replacements and saves wait their turn, in order.
    void editsWaitForTheJobRunning()
    {
        Document d;
        const fs::path one = d.root / "one.png";
        const fs::path two = d.root / "two.png";
        WritePicture(one, Picture(10, 10));
        WritePicture(two, Picture(8, 8));
        const Bytes ak = d.Data("a.k");
        d.document.ReplaceMember(d.Row("a.k"), Q(one));
        d.document.ReplaceMember(d.Row("Z.k"), Q(two));
        d.document.Save(d.archive);
        QVERIFY(!d.document.RemoveMembers({0}));
        const QString refusal = d.document.RenameMember(d.Row("b.k"), "c.k");
        QVERIFY2(refusal.contains("busy"), qPrintable(refusal));
        QVERIFY(!d.document.Load(Q(d.archive)));
        QCOMPARE(d.document.Archive().size(), std::size_t{7});
        d.Settle();
        QVERIFY(d.errors.isEmpty());
        QCOMPARE(d.document.UndoStack().count(), 2);
        QVERIFY(!d.document.IsModified());
        const archive::ArchiveModel saved(d.archive);
        QVERIFY(saved.Data(saved.FindOne("a.k")) != ak);
        QCOMPARE(saved.Data(saved.FindOne("Z.k")), d.Data("Z.k"));
        QCOMPARE(saved.Data(saved.FindOne("a.k")), d.Data("a.k"));
    }

    void failedSaveKeepsTheFileAndTheEdits()
    {
        Document d;
        const Bytes original = ReadAll(d.archive);
        QVERIFY(d.document.RemoveMembers({d.Row("a.k")}));
        QSignalSpy saved(&d.document, &ArchiveDocument::saveFinished);
        fileio::FailWritesAfter(0);
        d.document.Save(d.archive);
        d.Settle();
        fileio::FailWritesAfter(-1);
        QCOMPARE(saved.size(), 1);
        QVERIFY(!saved[0][0].toBool());
        QVERIFY(d.document.IsModified());
        QCOMPARE(ReadAll(d.archive), original);
        QCOMPARE(d.errors.size(), 1);
        d.document.Save(d.archive);
        d.Settle();
        QCOMPARE(archive::ArchiveModel(d.archive).size(), std::size_t{6});
    }

    // Asking the model about its rows decodes nothing; the views ask for
    // the rows they paint, and the editor for all of them.
    void galleryDataAloneStartsNoDecoding()
    {
        Document d;
        GalleryModel gallery(d.document);
        QSignalSpy changed(&gallery, &QAbstractItemModel::dataChanged);
        for (int row = 0; row < gallery.rowCount(); ++row)
            for (int column = 0; column < gallery.columnCount(); ++column)
                for (int role = 0; role <= GalleryModel::SharedStartRole; ++role)
                    gallery.index(row, column).data(role);
        QTest::qWait(200);
        QCOMPARE(changed.size(), 0);
        for (int row = 0; row < gallery.rowCount(); ++row)
            QCOMPARE(gallery.TileAt(row).state, TileState::Pending);

        const int row = d.Row("C.g");
        gallery.Want(row);
        QTRY_COMPARE(gallery.TileAt(row).state, TileState::Ready);
        QCOMPARE(gallery.TileAt(row).width, 5u);
        QCOMPARE(gallery.TileAt(d.Row("a.k")).state, TileState::Pending);
        gallery.WantAll();
        QTRY_VERIFY(gallery.AllLoaded());
    }
};

QTEST_MAIN(ArchiveDocumentTest)
#include "ArchiveDocumentTest.moc"
