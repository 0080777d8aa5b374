#include "ui/ArchiveDocument.h"

#include <algorithm>
#include <functional>

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QUndoStack>
#include <QtConcurrent/QtConcurrentRun>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "ui/ArchiveEditorCommands.h"
#include "ui/MainWindow.h"

namespace zefir::ui {

// A file to add as a new member, or why it cannot be added.
struct ArchiveDocument::NewFile {
    std::string name;
    std::vector<std::byte> bytes;
    QString error;
};

namespace {

// What the worker made of a picture given for a member, or why it refused.
struct ReplaceOutcome {
    imagecodec::Replacement replacement;
    QString error;
};

// The worker's part of a replacement: the file read and converted to the
// member's kind.
ReplaceOutcome ConvertReplacement(const std::string& member, const std::vector<std::byte>& before,
                                  const fs::path& path)
{
    ReplaceOutcome out;
    try {
        const std::vector<std::byte> bytes = fileio::ReadFile(path, imaging::kMaxPictureFileSize);
        out.replacement = imagecodec::ConvertForMember(
            member, before, ToUtf8(ToQString(path.filename())), bytes, path);
        // Too large once converted: the picture given is named.
        archive::ArchiveModel::CheckData(out.replacement.bytes.size(), path);
    } catch (const IoError& e) {
        out.error = ErrorText(e.what());
    }
    return out;
}

// The worker's part of adding: each file read and made a member, new ones
// as Moto Bitmaps.
std::vector<ArchiveDocument::NewFile> ReadNewMembers(const QStringList& files)
{
    std::vector<ArchiveDocument::NewFile> out;
    for (const QString& file : files) {
        ArchiveDocument::NewFile& added = out.emplace_back();
        try {
            const fs::path path = ToPath(file);
            const std::vector<std::byte> bytes =
                fileio::ReadFile(path, imaging::kMaxPictureFileSize);
            imagecodec::NewMember member =
                imagecodec::MemberFromFile(ToUtf8(ToQString(path.filename())), bytes,
                                           imagecodec::ImageKind::ikMotoBitmap18, path);
            archive::ArchiveModel::CheckData(member.bytes.size(), path);
            added.name = archive::ArchiveModel::NameFromUtf8(member.fileName, path);
            added.bytes = std::move(member.bytes);
        } catch (const IoError& e) {
            added.error = ErrorText(e.what());
        }
    }
    return out;
}

QString BusyText()
{
    return ArchiveDocument::tr("the archive is busy; try again in a moment");
}

} // namespace

ArchiveDocument::ArchiveDocument(QObject* parent) : QObject(parent)
{
    m_undo = new QUndoStack(this);
    connect(m_undo, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
    m_watcher = new QFileSystemWatcher(this);
    // A save writes many times: one report after the writes have ended.
    auto* settle = new QTimer(this);
    settle->setSingleShot(true);
    settle->setInterval(300);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, settle, qOverload<>(&QTimer::start));
    connect(settle, &QTimer::timeout, this, [this, settle] {
        // Asked about once the save or conversion has ended, when the state
        // of the file can be read.
        if (Busy()) {
            settle->start();
            return;
        }
        // Always anew: a file replaced by a rename is another file.
        WatchFile();
        if (!m_diskChangeIgnored && IsOpen() && OnDisk() != DiskState::Unchanged)
            emit changedOnDisk();
    });
}

ArchiveDocument::~ArchiveDocument()
{
    // A save works on the archive itself.
    m_job.waitForFinished();
    // The stack clearing itself must not reach the receivers, which may be
    // half destroyed.
    m_undo->disconnect(this);
    disconnect();
}

bool ArchiveDocument::IsModified() const
{
    return !m_undo->isClean();
}

QString ArchiveDocument::MemberName(int row) const
{
    return FromUtf8(m_archive.DisplayName(static_cast<std::size_t>(row)));
}

bool ArchiveDocument::Load(const QString& path)
{
    if (Busy())
        return false;
    try {
        archive::ArchiveModel model(ToPath(path));
        m_archive = std::move(model);
        m_path = ToPath(path);
        m_undo->clear();
        m_undo->setClean();
        m_diskChangeIgnored = false;
        WatchFile();
        emit opened();
        emit pathChanged();
        emit statusMessage(
            tr("Opened %1: %n members", nullptr, int(m_archive.size())).arg(ToQString(m_path)),
            5000);
        return true;
    } catch (const IoError& e) {
        emit errorOccurred(ErrorText(e.what()));
        return false;
    }
}

bool ArchiveDocument::Reload()
{
    return IsOpen() && Load(ToQString(m_path));
}

void ArchiveDocument::Save(const fs::path& target, WhenReplaced whenReplaced)
{
    Enqueue([this, target, whenReplaced] {
        m_saving = true;
        // Only the worker touches the archive until it is done; see Busy().
        auto work = QtConcurrent::run([archive = &m_archive, target, whenReplaced] {
            try {
                archive::NullProgress progress;
                archive->Save(target, progress, whenReplaced);
                return QString();
            } catch (const IoError& e) {
                return ErrorText(e.what());
            }
        });
        m_job = work;
        work.then(this, [this, target](const QString& error) {
            m_saving = false;
            if (!error.isEmpty()) {
                // The file and the edits stay as they were.
                Finished();
                emit errorOccurred(error);
                emit saveFinished(false);
                return;
            }
            m_path = target;
            m_undo->setClean();
            m_diskChangeIgnored = false;
            WatchFile();
            Finished();
            emit pathChanged();
            emit statusMessage(tr("Saved %1").arg(ToQString(target)), 5000);
            emit saveFinished(true);
        });
    });
}

void ArchiveDocument::Enqueue(std::function<void()> start)
{
    m_queue.push_back(std::move(start));
    if (m_running)
        return;
    m_running = true;
    emit busyChanged(true);
    Finished();
}

void ArchiveDocument::Finished()
{
    if (!m_queue.empty()) {
        const std::function<void()> start = std::move(m_queue.front());
        m_queue.pop_front();
        start();
        return;
    }
    m_running = false;
    emit busyChanged(false);
}

ArchiveDocument::DiskState ArchiveDocument::OnDisk() const
{
    return m_archive.OnDisk();
}

void ArchiveDocument::WatchFile()
{
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (IsOpen())
        m_watcher->addPath(ToQString(m_path));
}

void ArchiveDocument::ReplaceMember(int row, const QString& file)
{
    Enqueue([this, row, file] {
        const auto index = static_cast<std::size_t>(row);
        std::string member;
        std::vector<std::byte> before;
        try {
            member = m_archive.Name(index);
            before = m_archive.Data(index);
        } catch (const IoError& e) {
            emit errorOccurred(ErrorText(e.what()));
            Finished();
            return;
        }
        const fs::path path = ToPath(file);
        auto work = QtConcurrent::run(ConvertReplacement, member, before, path);
        m_job = work;
        work.then(this, [this, row, path, before](ReplaceOutcome outcome) {
            if (outcome.error.isEmpty())
                Replaced(row, path, before, std::move(outcome.replacement));
            else
                emit errorOccurred(outcome.error);
            Finished();
        });
    });
}

void ArchiveDocument::Replaced(int row, const fs::path& file, std::vector<std::byte> before,
                               imagecodec::Replacement replacement)
{
    try {
        std::vector<std::byte> after = replacement.bytes;
        ApplyReplace(row, std::move(replacement.bytes));
        const QString name = MemberName(row);
        Push(new ReplaceCommand(*this, row, std::move(before), std::move(after),
                                tr("Replace %1").arg(name)));
        emit statusMessage(replacement.sizeChanged
                               ? tr("%1 is now %2 x %3 pixels (it was %4 x %5)")
                                     .arg(name)
                                     .arg(replacement.newWidth)
                                     .arg(replacement.newHeight)
                                     .arg(replacement.oldWidth)
                                     .arg(replacement.oldHeight)
                               : tr("Replaced %1 with %2").arg(name, ToQString(file.filename())),
                           8000);
    } catch (const IoError& e) {
        emit errorOccurred(ErrorText(e.what()));
    }
}

void ArchiveDocument::AddFiles(const QStringList& files)
{
    if (!IsOpen() || files.isEmpty())
        return;
    Enqueue([this, files] {
        auto work = QtConcurrent::run(ReadNewMembers, files);
        m_job = work;
        work.then(this, [this, files](std::vector<NewFile> members) {
            Added(files, std::move(members));
            Finished();
        });
    });
}

void ArchiveDocument::Added(const QStringList& files, std::vector<NewFile> members)
{
    QStringList refused;
    int added = 0;
    int first = -1;
    // One step on the undo stack for the whole drop.
    auto* group =
        new QUndoCommand(files.size() == 1 ? tr("Add %1").arg(QFileInfo(files[0]).fileName())
                                           : tr("Add %n files", nullptr, int(files.size())));
    for (NewFile& member : members) {
        if (!member.error.isEmpty()) {
            refused << member.error;
            continue;
        }
        try {
            const int row = static_cast<int>(m_archive.size());
            ApplyInsert(row, member.name, member.bytes);
            new InsertCommand(*this, row, std::move(member.name), std::move(member.bytes), true,
                              group->text(), group);
            if (++added == 1)
                first = row;
        } catch (const IoError& e) {
            refused << ErrorText(e.what());
        }
    }
    if (added > 0)
        Push(group);
    else
        delete group;
    if (!refused.isEmpty())
        emit errorOccurred(refused.join(QLatin1Char('\n')));
    if (added > 0) {
        emit membersAdded(first);
        emit statusMessage(tr("Added %n members", nullptr, int(added)), 5000);
    }
}

bool ArchiveDocument::RemoveMembers(std::vector<int> rows)
{
    if (rows.empty() || Busy())
        return false;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    auto* group =
        new QUndoCommand(rows.size() == 1 ? tr("Remove %1").arg(MemberName(rows[0]))
                                          : tr("Remove %n members", nullptr, int(rows.size())));
    int removed = 0;
    try {
        // From the last, so that the rows still to go keep their numbers.
        for (int row : rows) {
            const auto index = static_cast<std::size_t>(row);
            std::string name = m_archive.Name(index);
            std::vector<std::byte> data = m_archive.Data(index);
            ApplyRemove(row);
            new InsertCommand(*this, row, std::move(name), std::move(data), false, group->text(),
                              group);
            ++removed;
        }
    } catch (const IoError& e) {
        emit errorOccurred(ErrorText(e.what()));
    }
    if (removed == 0) {
        delete group;
        return false;
    }
    Push(group);
    return true;
}

QString ArchiveDocument::CheckRename(int row, const QString& name) const
{
    const auto index = static_cast<std::size_t>(row);
    try {
        // The archive's own rules, so that a name accepted here is accepted
        // when it is committed.
        m_archive.CheckRename(index, archive::ArchiveModel::NameFromUtf8(ToUtf8(name), m_path));
        return {};
    } catch (const IoError& e) {
        return ErrorText(e.message());
    }
}

QString ArchiveDocument::RenameMember(int row, const QString& name)
{
    const auto index = static_cast<std::size_t>(row);
    try {
        // The row may be about to move.
        if (Busy())
            throw IoError(ToUtf8(BusyText()), m_path, ErrorKind::Refused);
        std::string after = archive::ArchiveModel::NameFromUtf8(ToUtf8(name), m_path);
        std::string before = m_archive.Name(index);
        if (after == before)
            return {};
        const QString old = MemberName(row);
        ApplyRename(row, after);
        Push(new RenameCommand(*this, row, std::move(before), std::move(after),
                               tr("Rename %1 to %2").arg(old, name)));
        return {};
    } catch (const IoError& e) {
        const QString why = ErrorText(e.message());
        emit statusMessage(tr("Not renamed: %1").arg(why), 10000);
        return why;
    }
}

void ArchiveDocument::ApplyReplace(int row, std::vector<std::byte> data)
{
    m_archive.Replace(static_cast<std::size_t>(row), std::move(data));
    emit memberReplaced(row);
}

void ArchiveDocument::ApplyInsert(int row, std::string name, std::vector<std::byte> data)
{
    m_archive.Insert(static_cast<std::size_t>(row), std::move(name), std::move(data));
    emit memberInserted(row);
}

void ArchiveDocument::ApplyRemove(int row)
{
    m_archive.Remove(static_cast<std::size_t>(row));
    emit memberRemoved(row);
}

void ArchiveDocument::ApplyRename(int row, std::string name)
{
    m_archive.Rename(static_cast<std::size_t>(row), std::move(name));
    emit memberRenamed(row);
}

void ArchiveDocument::Push(QUndoCommand* command)
{
    m_undo->push(command);
}

} // namespace zefir::ui
