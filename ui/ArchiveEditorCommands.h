#pragma once

// The archive editor's edits as undoable commands, and members made into
// picture files for export and drags.

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include <QString>
#include <QUndoCommand>

#include "core/archive/Export.h"

namespace zefir::ui {

class ArchiveDocument;

// The formats a member can be exported in, and a member as a file: the
// core's, which the command line's export uses too.
using ExportFormat = archive::ExportFormat;
using ExportedFile = archive::ExportedFile;

// One member (`name` as the archive holds it) as a file, named as
// extraction names its pictures. With keepMotoImages, a Moto Image is
// copied out as what it holds (".gif", ".png" or ".unk"); without, it is
// encoded like any other picture. A member of the unknown kind gives no
// file unless AsStored.
ExportedFile ExportMember(const std::string& name, std::span<const std::byte> bytes,
                          ExportFormat format, bool keepMotoImages);

// Every edit is done once before its command is pushed, so that a refusal
// never reaches the undo stack; the first redo, run by the push, is skipped.
// Undo and redo replay what was accepted, which the core accepts again.
class MemberCommand : public QUndoCommand {
public:
    // With a parent, the command is one step of the parent's.
    MemberCommand(ArchiveDocument& document, const QString& text, QUndoCommand* parent);
    void undo() final;
    void redo() final;

protected:
    virtual void Undo() = 0;
    virtual void Redo() = 0;
    ArchiveDocument& m_document;

private:
    bool m_done = true;
};

class ReplaceCommand final : public MemberCommand {
public:
    ReplaceCommand(ArchiveDocument& document, int row, std::vector<std::byte> before,
                   std::vector<std::byte> after, const QString& text,
                   QUndoCommand* parent = nullptr);

private:
    void Undo() override;
    void Redo() override;
    int m_row;
    std::vector<std::byte> m_before;
    std::vector<std::byte> m_after;
};

// Adding and removing are one command seen from either side.
class InsertCommand final : public MemberCommand {
public:
    InsertCommand(ArchiveDocument& document, int row, std::string name, std::vector<std::byte> data,
                  bool inserted, const QString& text, QUndoCommand* parent = nullptr);

private:
    void Undo() override;
    void Redo() override;
    void Put();
    void Take();
    int m_row;
    std::string m_name;
    std::vector<std::byte> m_data;
    bool m_inserted;
};

class RenameCommand final : public MemberCommand {
public:
    RenameCommand(ArchiveDocument& document, int row, std::string before, std::string after,
                  const QString& text, QUndoCommand* parent = nullptr);

private:
    void Undo() override;
    void Redo() override;
    int m_row;
    std::string m_before;
    std::string m_after;
};

} // namespace zefir::ui
