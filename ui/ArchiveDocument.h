#pragma once

// An archive open for editing in the desktop program: the members, the undo
// stack and every edit, with errors and changes reported as signals, so that
// a window only wires its widgets to it and a test drives it without one.

#include <string>
#include <vector>

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/archive/ArchiveModel.h"
#include "ui/Windows.h"

class QFileSystemWatcher;
class QUndoCommand;
class QUndoStack;

namespace zefir::ui {

class ArchiveDocument final : public QObject {
    Q_OBJECT
public:
    using DiskState = archive::ArchiveModel::DiskState;
    using WhenReplaced = archive::ArchiveModel::WhenReplaced;

    explicit ArchiveDocument(QObject* parent = nullptr);
    ~ArchiveDocument() override;

    const archive::ArchiveModel& Archive() const { return m_archive; }
    // The archive's file; empty before one is opened.
    const fs::path& Path() const { return m_path; }
    bool IsOpen() const { return !m_path.empty(); }
    // Whether there are edits since the archive was opened or saved.
    bool IsModified() const;
    QUndoStack& UndoStack() { return *m_undo; }
    // The member's name as UTF-8 text.
    QString MemberName(int row) const;

    // Opens `path` in place of what is open, dropping unsaved changes.
    // Returns whether it was opened; a failure is reported.
    bool Load(const QString& path);
    // Opens the archive's file again.
    bool Reload();
    // Writes the archive to `target`; afterwards the document is that file,
    // unmodified. Returns whether it was saved; a failure is reported and
    // leaves the file and the edits as they were.
    bool Save(const fs::path& target, WhenReplaced whenReplaced = WhenReplaced::Refuse);
    // How the file stands now; see ArchiveModel::OnDisk.
    DiskState OnDisk() const;
    // The user chose to go on editing over a change on disk: it is not
    // reported again until the archive is opened or saved.
    void IgnoreDiskChange() { m_diskChangeIgnored = true; }

    // The edits, by the member's index in the archive. Each reports its
    // refusal and returns whether the archive changed.
    bool ReplaceMember(int row, const QString& file);
    // One undo step for all; returns how many were added.
    int AddFiles(const QStringList& files);
    bool RemoveMembers(std::vector<int> rows);
    // Returns the refusal, also reported as a status message, or empty.
    QString RenameMember(int row, const QString& name);
    // The refusal the rename would meet, or empty; changes nothing.
    QString CheckRename(int row, const QString& name) const;

    // The changes themselves, through the core's checks, for the undo
    // commands: each throws IoError and changes nothing when refused.
    void ApplyReplace(int row, std::vector<std::byte> data);
    void ApplyInsert(int row, std::string name, std::vector<std::byte> data);
    void ApplyRemove(int row);
    void ApplyRename(int row, std::string name);

signals:
    // A failure to show the user, ready to show.
    void errorOccurred(const QString& text);
    // A note for the status bar, shown for `timeout` milliseconds.
    void statusMessage(const QString& text, int timeout);
    // An archive was opened or reopened: every member may be another.
    void opened();
    void memberReplaced(int row);
    void memberRenamed(int row);
    void memberInserted(int row);
    void memberRemoved(int row);
    // Files were added, the first at `row`.
    void membersAdded(int row);
    void pathChanged();
    void modifiedChanged(bool modified);
    // Another program changed the archive's file (OnDisk() says how), once
    // its writes have settled.
    void changedOnDisk();

private:
    void Push(QUndoCommand* command);
    void WatchFile();

    archive::ArchiveModel m_archive;
    fs::path m_path;
    QUndoStack* m_undo = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    bool m_diskChangeIgnored = false;
};

} // namespace zefir::ui
