#pragma once

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include <QDir>
#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QtTest>

#include "core/FileIo.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/Windows.h"

namespace zefir::uitest {

namespace fs = std::filesystem;

// The suites read the windows' English texts, whatever the system's
// language: "1 member" comes from the English translation's plural forms.
inline void SpeakEnglish()
{
    QVERIFY(
        ui::InstallTranslations(QStringLiteral("en"), {QStringLiteral(ZEFIR_TRANSLATIONS_DIR)}));
}
using ui::FileAnswer;
using ui::FileRequest;
using ui::MessageKind;

// Answers the main window's dialogs from a script, in the order they come,
// and records each. A dialog past the end of the script is cancelled.
class ScriptedDialogs final : public ui::IDialogs {
public:
    std::deque<FileAnswer> files;
    std::deque<QString> folders;
    // The file and folder dialogs asked for, each as "open: title",
    // "save: title" or "folder: title"; and the requests, where a folder
    // dialog's start is the directory.
    QStringList titles;
    std::vector<FileRequest> asked;
    // The message boxes, each as "critical title: text", "warning title: text"
    // or "information title: text".
    QStringList messages;

    std::optional<FileAnswer> OpenFile(QWidget*, const FileRequest& request) override
    {
        return Ask("open", request, files);
    }
    std::optional<FileAnswer> SaveFile(QWidget*, const FileRequest& request) override
    {
        return Ask("save", request, files);
    }
    std::optional<QString> Folder(QWidget*, const QString& title, const QString& start) override
    {
        return Ask("folder", {title, {}, 0, {}, start}, folders);
    }
    void Message(QWidget*, MessageKind kind, const QString& title, const QString& text) override
    {
        const char* word = kind == MessageKind::Critical  ? "critical "
                           : kind == MessageKind::Warning ? "warning "
                                                          : "information ";
        messages << word + title + ": " + text;
    }

    // The answers to questions, in order; past the end a question is
    // cancelled. Each question asked is recorded as "title: text".
    std::deque<ui::Answer> answers;
    QStringList questions;
    ui::Answer Ask(QWidget*, const ui::Question& question) override
    {
        questions << question.title + ": " + question.text;
        if (answers.empty())
            return ui::Answer::Cancel;
        const ui::Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    // Checks that one message box was shown and that it contains `part`; or
    // that none was, when `part` is empty.
    void ExpectMessage(const QString& part) const
    {
        QVERIFY2(part.isEmpty() ? messages.isEmpty()
                                : messages.size() == 1 && messages[0].contains(part),
                 qPrintable(messages.join('\n')));
    }

private:
    template <typename T>
    std::optional<T> Ask(const char* kind, const FileRequest& request, std::deque<T>& answers)
    {
        titles << kind + (": " + request.title);
        // As a dialog of the system shows them.
        FileRequest shown = request;
        shown.directory = QDir::toNativeSeparators(shown.directory);
        shown.fileName = QDir::toNativeSeparators(shown.fileName);
        asked.push_back(shown);
        if (answers.empty())
            return std::nullopt;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A whole file a test reads back.
inline std::vector<std::byte> ReadAll(const fs::path& path)
{
    return fileio::ReadFile(path, 1 << 26);
}

// As the program shows paths: with the system's separators.
inline QString Q(const fs::path& path)
{
    return QDir::toNativeSeparators(ui::ToQString(path));
}

template <typename Bytes> void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline QByteArray FileStart(const fs::path& path, int n)
{
    QFile file(Q(path));
    return file.open(QIODevice::ReadOnly) ? file.read(n) : QByteArray();
}

// The files below `folder` whose names match `patterns` (all when empty),
// sorted, as Q() gives paths.
inline QStringList Files(const fs::path& folder, const QStringList& patterns = {})
{
    QStringList out;
    QDirIterator it(Q(folder), patterns, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir::toNativeSeparators(it.next());
    out.sort();
    return out;
}

// An opaque picture; only its size matters.
inline imaging::Bitmap Picture(std::uint32_t w, std::uint32_t h)
{
    imaging::Bitmap bitmap(w, h);
    std::fill(bitmap.pixels.begin(), bitmap.pixels.end(), 0xFF4080C0u);
    return bitmap;
}

// A picture file of the kind its extension names: ".k" an 18-bit Moto
// Bitmap, ".bmp" a BMP, anything else a PNG (a Moto Image holds one).
inline void WritePicture(const fs::path& path, const imaging::Bitmap& picture = Picture(4, 4))
{
    const fs::path ext = path.extension();
    WriteBytes(path, ext == ".k" ? imagecodec::EncodeMotoBitmap18(picture, path)
                                 : imaging::EncodePicture(
                                       picture, ext == ".bmp" ? "image/bmp" : "image/png", path));
}

// How an error box and a note under the program's title begin.
inline const QString kError = "critical ROKR E2 EZX parser and compiler: ";
inline const QString kNote = "information ROKR E2 EZX parser and compiler: ";

// The member names of the test archive, sorted ignoring case, which differs
// from sorting with regard to it.
inline const QStringList kSortedNames = {"a.k",         "b.k", "C.g", "d.g", "logo(4x10).raw",
                                         "unknown.bin", "Z.k"};

// The test archive: one member of each kind, in an order that differs from
// the sorted one.
inline void WriteTestArchive(const fs::path& archive)
{
    using namespace imagecodec;
    const std::vector<archive::Member> members = {
        {"b.k", EncodeMotoBitmap18(Picture(20, 30), "b.k")},
        {"Z.k", EncodeMotoBitmap32(Picture(8, 8), "Z.k")},
        {"a.k", EncodeMotoBitmap18(Picture(16, 16), "a.k")},
        {"d.g", imaging::EncodePicture(Picture(3, 4), "image/gif", "d.g")},
        {"C.g", imaging::EncodePicture(Picture(5, 7), "image/png", "C.g")},
        {"logo(4x10).raw", EncodeRawPicture(Picture(4, 10), "logo(4x10).raw")},
        {"unknown.bin", {std::byte{1}, std::byte{2}, std::byte{3}}},
    };
    archive::WriteArchive(members, archive);
}

// A run of the program on a test archive, one member of each kind, in a
// fresh temporary folder.
struct Session {
    QTemporaryDir dir;
    fs::path root{dir.path().toStdString()};
    fs::path archive = root / "iconres.ezx";
    fs::path work = root / "work";
    ScriptedDialogs dialogs;
    ui::ZefirWindows windows{dialogs};
    ui::TSDIAppForm& main = windows.SDIAppForm;

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

    // The open command, extracting into `work`.
    void Open()
    {
        dialogs.files.push_back({Q(archive)});
        dialogs.folders.push_back(Q(work));
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
};

} // namespace zefir::uitest
