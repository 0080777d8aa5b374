#include "ui/ArchiveEditorCommands.h"

#include <algorithm>
#include <new>

#include <QCoreApplication>

#include "core/Error.h"
#include "core/Text.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "ui/ArchiveEditorGallery.h"
#include "ui/Windows.h"

namespace zefir::ui {

namespace {

using imagecodec::ImageKind;

// The standard format a picture is encoded in; the bytes as stored are not
// encoded at all.
imagecodec::Format PictureFormatOf(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Gif:
        return imagecodec::Format::Gif;
    case ExportFormat::Bmp:
        return imagecodec::Format::Bmp;
    case ExportFormat::Jpeg:
        return imagecodec::Format::Jpeg;
    case ExportFormat::Png:
    case ExportFormat::AsStored:
        break;
    }
    return imagecodec::Format::Png;
}

} // namespace

ExportedFile ExportMember(const std::string& displayName, std::span<const std::byte> bytes,
                          ExportFormat format, bool keepMotoImages)
{
    ExportedFile out;
    if (format == ExportFormat::AsStored) {
        out.fileName = displayName;
        out.bytes.assign(bytes.begin(), bytes.end());
        return out;
    }
    const ImageKind kind = imagecodec::DetectImageKind(displayName, bytes);
    if (kind == ImageKind::ikUnknown) {
        out.whyNot =
            ToUtf8(QCoreApplication::translate("zefir::ui", "not a picture the phone shows"));
        return out;
    }
    if (kind == ImageKind::ikMotoImage && keepMotoImages) {
        // Named by what it holds; the format does not matter for it.
        out.fileName = imagecodec::PictureFileName(displayName, bytes, imagecodec::Format::Png);
        out.bytes.assign(bytes.begin(), bytes.end());
        return out;
    }
    try {
        const std::filesystem::path name = ToPath(QString::fromStdString(displayName));
        const imagecodec::PhonePicture phone =
            imagecodec::DecodePhonePicture(displayName, bytes, name);
        const imagecodec::Format pictureFormat = PictureFormatOf(format);
        out.bytes =
            imaging::EncodePicture(phone.picture, imagecodec::TargetMimeType(pictureFormat), name);
        out.fileName = ReplaceExtension(displayName, imagecodec::TargetExtension(pictureFormat));
    } catch (const IoError& e) {
        out.bytes.clear();
        out.whyNot = e.message();
    } catch (const std::bad_alloc&) {
        out.bytes.clear();
        out.whyNot = ToUtf8(QCoreApplication::translate("zefir::ui", "out of memory"));
    }
    return out;
}

std::string UniqueName(const std::string& name, std::vector<std::string>& taken)
{
    std::string candidate = name;
    const std::string_view extension = zefir::ExtensionOf(name);
    const std::string stem = name.substr(0, name.size() - extension.size());
    for (int n = 2; std::find(taken.begin(), taken.end(), candidate) != taken.end(); ++n)
        candidate = stem + " (" + std::to_string(n) + ")" + std::string(extension);
    taken.push_back(candidate);
    return candidate;
}

MemberCommand::MemberCommand(GalleryModel& gallery, const QString& text,
                             std::function<void(const QString&)> reportError, QUndoCommand* parent)
    : QUndoCommand(text, parent), m_gallery(gallery), m_reportError(std::move(reportError))
{
}

void MemberCommand::undo()
{
    try {
        Undo();
    } catch (const IoError& e) {
        m_reportError(QString::fromUtf8(e.what()));
    }
}

void MemberCommand::redo()
{
    if (m_done) {
        m_done = false;
        return;
    }
    try {
        Redo();
    } catch (const IoError& e) {
        m_reportError(QString::fromUtf8(e.what()));
    }
}

ReplaceCommand::ReplaceCommand(GalleryModel& gallery, int row, std::vector<std::byte> before,
                               std::vector<std::byte> after, const QString& text,
                               std::function<void(const QString&)> reportError,
                               QUndoCommand* parent)
    : MemberCommand(gallery, text, std::move(reportError), parent), m_row(row),
      m_before(std::move(before)), m_after(std::move(after))
{
}

void ReplaceCommand::Undo()
{
    m_gallery.ReplaceData(m_row, m_before);
}

void ReplaceCommand::Redo()
{
    m_gallery.ReplaceData(m_row, m_after);
}

InsertCommand::InsertCommand(GalleryModel& gallery, int row, std::string name,
                             std::vector<std::byte> data, bool inserted, const QString& text,
                             std::function<void(const QString&)> reportError, QUndoCommand* parent)
    : MemberCommand(gallery, text, std::move(reportError), parent), m_row(row),
      m_name(std::move(name)), m_data(std::move(data)), m_inserted(inserted)
{
}

void InsertCommand::Put()
{
    m_gallery.InsertMember(m_row, m_name, m_data);
}

void InsertCommand::Take()
{
    m_gallery.RemoveMember(m_row);
}

void InsertCommand::Undo()
{
    m_inserted ? Take() : Put();
}

void InsertCommand::Redo()
{
    m_inserted ? Put() : Take();
}

RenameCommand::RenameCommand(GalleryModel& gallery, int row, std::string before, std::string after,
                             const QString& text, std::function<void(const QString&)> reportError,
                             QUndoCommand* parent)
    : MemberCommand(gallery, text, std::move(reportError), parent), m_row(row),
      m_before(std::move(before)), m_after(std::move(after))
{
}

void RenameCommand::Undo()
{
    m_gallery.RenameMember(m_row, m_before);
}

void RenameCommand::Redo()
{
    m_gallery.RenameMember(m_row, m_after);
}

} // namespace zefir::ui
