#include "ui/ArchiveEditorCommands.h"

#include "core/Error.h"
#include "ui/ArchiveDocument.h"
#include "ui/MainWindow.h"
#include "ui/Windows.h"

namespace zefir::ui {

ExportedFile ExportMember(const std::string& name, std::span<const std::byte> bytes,
                          ExportFormat format, bool keepMotoImages)
{
    return archive::ExportMemberFile(name, bytes, format,
                                     keepMotoImages ? archive::MotoImages::Keep
                                                    : archive::MotoImages::Encode);
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
