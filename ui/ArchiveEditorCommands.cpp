#include "ui/ArchiveEditorCommands.h"

#include "core/Error.h"
#include "ui/ArchiveEditorGallery.h"
#include "ui/Windows.h"

namespace zefir::ui {

ExportedFile ExportMember(const std::string& name, std::span<const std::byte> bytes,
                          ExportFormat format, bool keepMotoImages)
{
    return archive::ExportMemberFile(name, bytes, format,
                                     keepMotoImages ? archive::MotoImages::Keep
                                                    : archive::MotoImages::Encode);
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
