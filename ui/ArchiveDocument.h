#pragma once

// An archive open for editing in the desktop program: the members, the undo
// stack and every edit, with errors and changes reported as signals, so that
// a window only wires its widgets to it and a test drives it without one.
// Reading and converting picture files and saving run off the GUI thread,
// one job at a time; their results come back to the GUI thread.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QFuture>

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/archive/ArchiveModel.h"
#include "core/imagecodec/PhonePictures.h"
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
    // A file read to be added, made on the worker.
    struct NewFile;

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

    // A save or a conversion is running or waiting. Meanwhile the edits that
    // take effect at once (remove, rename, opening) are refused and the
    // others wait their turn; during a save the archive's names and sizes
    // may still be read, its members' data not (Saving()).
    bool Busy() const { return m_running; }
    bool Saving() const { return m_saving; }

    // Opens `path` in place of what is open, dropping unsaved changes.
    // Returns whether it was opened; a failure is reported.
    bool Load(const QString& path);
    // Opens the archive's file again.
    bool Reload();
    // Writes the archive to `target` off the GUI thread; afterwards the
    // document is that file, unmodified. saveFinished tells how it went; a
    // failure is reported and leaves the file and the edits as they were.
    void Save(const fs::path& target, WhenReplaced whenReplaced = WhenReplaced::Refuse);
    // How the file stands now; see ArchiveModel::OnDisk.
    DiskState OnDisk() const;
    // The user chose to go on editing over a change on disk: it is not
    // reported again until the archive is opened or saved.
    void IgnoreDiskChange() { m_diskChangeIgnored = true; }

    // The edits, by the member's index in the archive; each reports its
    // refusal. Replacing and adding read and convert the files off the GUI
    // thread and change the archive when that is done.
    void ReplaceMember(int row, const QString& file);
    // One undo step for all.
    void AddFiles(const QStringList& files);
    // Returns whether the archive changed.
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
    void busyChanged(bool busy);
    void saveFinished(bool saved);

private:
    // Runs `start` now, or after the jobs before it; `start` begins the work
    // and its continuation calls Finished.
    void Enqueue(std::function<void()> start);
    void Finished();
    // The conversions' results, applied on the GUI thread.
    void Replaced(int row, const fs::path& file, std::vector<std::byte> before,
                  imagecodec::Replacement replacement);
    void Added(const QStringList& files, std::vector<NewFile> members);
    void Push(QUndoCommand* command);
    void WatchFile();

    archive::ArchiveModel m_archive;
    fs::path m_path;
    QUndoStack* m_undo = nullptr;
    QFileSystemWatcher* m_watcher = nullptr;
    bool m_diskChangeIgnored = false;
    std::deque<std::function<void()>> m_queue;
    bool m_running = false;
    bool m_saving = false;
    // The job running, waited for before the archive goes.
    QFuture<void> m_job;
};

} // namespace zefir::ui
