#include "ui/ArchiveEditorCommands.h"

#include <algorithm>
#include <new>

#include <QCoreApplication>

#include "core/Error.h"
#include "core/Text.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "ui/ArchiveDocument.h"
#include "ui/MainWindow.h"
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

MemberCommand::MemberCommand(ArchiveDocument& document, const QString& text, QUndoCommand* parent)
    : QUndoCommand(text, parent), m_document(document)
{
}

void MemberCommand::undo()
{
    try {
        Undo();
    } catch (const IoError& e) {
        // The core should never refuse what it accepted before.
        emit m_document.errorOccurred(ErrorText(e.what()));
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
        emit m_document.errorOccurred(ErrorText(e.what()));
    }
}

ReplaceCommand::ReplaceCommand(ArchiveDocument& document, int row, std::vector<std::byte> before,
                               std::vector<std::byte> after, const QString& text,
                               QUndoCommand* parent)
    : MemberCommand(document, text, parent), m_row(row), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void ReplaceCommand::Undo()
{
    m_document.ApplyReplace(m_row, m_before);
}

void ReplaceCommand::Redo()
{
    m_document.ApplyReplace(m_row, m_after);
}

InsertCommand::InsertCommand(ArchiveDocument& document, int row, std::string name,
                             std::vector<std::byte> data, bool inserted, const QString& text,
                             QUndoCommand* parent)
    : MemberCommand(document, text, parent), m_row(row), m_name(std::move(name)),
      m_data(std::move(data)), m_inserted(inserted)
{
}

void InsertCommand::Put()
{
    m_document.ApplyInsert(m_row, m_name, m_data);
}

void InsertCommand::Take()
{
    m_document.ApplyRemove(m_row);
}

void InsertCommand::Undo()
{
    m_inserted ? Take() : Put();
}

void InsertCommand::Redo()
{
    m_inserted ? Put() : Take();
}

RenameCommand::RenameCommand(ArchiveDocument& document, int row, std::string before,
                             std::string after, const QString& text, QUndoCommand* parent)
    : MemberCommand(document, text, parent), m_row(row), m_before(std::move(before)),
      m_after(std::move(after))
{
}

void RenameCommand::Undo()
{
    m_document.ApplyRename(m_row, m_before);
}

void RenameCommand::Redo()
{
    m_document.ApplyRename(m_row, m_after);
}

} // namespace zefir::ui
