#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>

#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"
#include "ui/Dialogs.h"

namespace zefir::uitest {

namespace fs = std::filesystem;
using ui::FileAnswer;
using ui::FileRequest;
using ui::MessageKind;

// One dialog or message box the main window asked for.
struct Shown {
    enum class Kind { Open, Save, Folder, Message };
    Kind kind;
    FileRequest file; // Open and Save; Folder: title and directory
    MessageKind messageKind = MessageKind::Information;
    QString title; // every kind
    QString text;  // Message
};

// Answers the main window's dialogs from a script, in the order they come,
// and records each. A dialog without a scripted answer is cancelled.
class ScriptedDialogs final : public ui::IDialogs {
public:
    void AnswerFile(const QString& path, int filterIndex = 0)
    {
        m_files.push_back({true, FileAnswer{path, filterIndex}});
    }
    void CancelFile() { m_files.push_back({false, {}}); }
    void AnswerFolder(const QString& folder) { m_folders.push_back({true, folder}); }
    void CancelFolder() { m_folders.push_back({false, {}}); }

    std::optional<FileAnswer> OpenFile(QWidget*, const FileRequest& request) override
    {
        shown.push_back({Shown::Kind::Open, request, {}, request.title, {}});
        return Next(m_files);
    }
    std::optional<FileAnswer> SaveFile(QWidget*, const FileRequest& request) override
    {
        shown.push_back({Shown::Kind::Save, request, {}, request.title, {}});
        return Next(m_files);
    }
    std::optional<QString> Folder(QWidget*, const QString& title, const QString& start) override
    {
        FileRequest request;
        request.title = title;
        request.directory = start;
        shown.push_back({Shown::Kind::Folder, request, {}, title, {}});
        return Next(m_folders);
    }
    void Message(QWidget*, MessageKind kind, const QString& title, const QString& text) override
    {
        shown.push_back({Shown::Kind::Message, {}, kind, title, text});
    }

    std::vector<Shown> Messages() const
    {
        std::vector<Shown> out;
        for (const Shown& s : shown)
            if (s.kind == Shown::Kind::Message)
                out.push_back(s);
        return out;
    }
    QStringList Titles() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.title;
        return out;
    }
    bool AllAnswered() const { return m_files.empty() && m_folders.empty(); }

    std::vector<Shown> shown;

private:
    // An answer, or a cancel when `given` is false.
    template <typename T> struct Answer {
        bool given;
        T value;
    };

    template <typename T> static std::optional<T> Next(std::deque<Answer<T>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        Answer<T> answer = answers.front();
        answers.pop_front();
        if (!answer.given)
            return std::nullopt;
        return answer.value;
    }

    std::deque<Answer<FileAnswer>> m_files;
    std::deque<Answer<QString>> m_folders;
};

inline QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

// A picture of distinct opaque colours, so that sizes and placement show.
inline imaging::Bitmap Picture(std::uint32_t w, std::uint32_t h)
{
    imaging::Bitmap bitmap(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            bitmap.At(x, y) = 0xFF000000u | (x * 16 % 256) << 16 | (y * 16 % 256) << 8 | 0x40;
    return bitmap;
}

// The members of the test archive, one of each kind, named so that sorting
// with and without regard to case differ.
inline std::vector<archive::Member> TestMembers(const fs::path& scratch)
{
    using namespace imagecodec;
    const auto bytes = [](std::vector<std::byte> v) { return v; };
    return {
        {"b.k", bytes(EncodeMotoBitmap18(Picture(20, 30), scratch / "b.k"))},
        {"Z.k", bytes(EncodeMotoBitmap32(Picture(8, 8), scratch / "Z.k"))},
        {"a.k", bytes(EncodeMotoBitmap18(Picture(16, 16), scratch / "a.k"))},
        {"d.g", imaging::EncodePicture(Picture(3, 4), "image/gif", scratch / "d.g")},
        {"C.g", imaging::EncodePicture(Picture(5, 7), "image/png", scratch / "C.g")},
        {"logo(4x10).raw", EncodeRawPicture(Picture(4, 10), scratch / "logo(4x10).raw")},
        {"unknown.bin", {std::byte{1}, std::byte{2}, std::byte{3}}},
    };
}

// The member names above, sorted ignoring case.
inline const QStringList kSortedNames = {"a.k",         "b.k", "C.g", "d.g", "logo(4x10).raw",
                                         "unknown.bin", "Z.k"};

inline void WriteTestArchive(const fs::path& archivePath)
{
    archive::WriteArchive(TestMembers(archivePath.parent_path()), archivePath);
}

// Every file below `folder` whose name starts with `prefix`.
inline QStringList FilesStartingWith(const QString& folder, const QString& prefix)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        if (it.fileName().startsWith(prefix))
            out << it.filePath();
    }
    return out;
}

inline QByteArray FileStart(const fs::path& path, int n)
{
    QFile file(Q(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(n);
}

inline void WriteBytes(const fs::path& path, const QByteArray& bytes)
{
    QFile file(Q(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace zefir::uitest
