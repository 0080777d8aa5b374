#include "ui/ArchiveDocument.h"

#include <algorithm>
#include <functional>

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QUndoStack>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "ui/ArchiveEditorCommands.h"
#include "ui/MainWindow.h"

namespace zefir::ui {

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
    connect(settle, &QTimer::timeout, this, [this] {
        // Always anew: a file replaced by a rename is another file.
        WatchFile();
        if (!m_diskChangeIgnored && IsOpen() && OnDisk() != DiskState::Unchanged)
            emit changedOnDisk();
    });
}

ArchiveDocument::~ArchiveDocument()
{
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

bool ArchiveDocument::Save(const fs::path& target, WhenReplaced whenReplaced)
{
    try {
        archive::NullProgress progress;
        m_archive.Save(target, progress, whenReplaced);
    } catch (const IoError& e) {
        emit errorOccurred(ErrorText(e.what()));
        return false;
    }
    m_path = target;
    m_undo->setClean();
    m_diskChangeIgnored = false;
    WatchFile();
    emit pathChanged();
    emit statusMessage(tr("Saved %1").arg(ToQString(target)), 5000);
    return true;
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

bool ArchiveDocument::ReplaceMember(int row, const QString& file)
{
    const auto index = static_cast<std::size_t>(row);
    try {
        const fs::path path = ToPath(file);
        const std::vector<std::byte> bytes = fileio::ReadFile(path, imaging::kMaxPictureFileSize);
        std::vector<std::byte> before = m_archive.Data(index);
        imagecodec::Replacement replacement = imagecodec::ConvertForMember(
            m_archive.Name(index), before, ToUtf8(ToQString(path.filename())), bytes, path);
        // Too large once converted: the picture given is named.
        archive::ArchiveModel::CheckData(replacement.bytes.size(), path);
        std::vector<std::byte> after = replacement.bytes;
        ApplyReplace(row, std::move(replacement.bytes));
        const QString name = MemberName(row);
        Push(new ReplaceCommand(*this, row, std::move(before), std::move(after),
                                tr("Replace %1").arg(name)));
        emit statusMessage(
            replacement.sizeChanged
                ? tr("%1 is now %2 x %3 pixels (it was %4 x %5)")
                      .arg(name)
                      .arg(replacement.newWidth)
                      .arg(replacement.newHeight)
                      .arg(replacement.oldWidth)
                      .arg(replacement.oldHeight)
                : tr("Replaced %1 with %2").arg(name, ToQString(path.filename())),
            8000);
        return true;
    } catch (const IoError& e) {
        emit errorOccurred(ErrorText(e.what()));
        return false;
    }
}

int ArchiveDocument::AddFiles(const QStringList& files)
{
    if (!IsOpen())
        return 0;
    QStringList refused;
    int added = 0;
    int first = -1;
    // One step on the undo stack for the whole drop.
    auto* group =
        new QUndoCommand(files.size() == 1 ? tr("Add %1").arg(QFileInfo(files[0]).fileName())
                                           : tr("Add %n files", nullptr, int(files.size())));
    for (const QString& file : files) {
        try {
            const fs::path path = ToPath(file);
            const std::vector<std::byte> bytes =
                fileio::ReadFile(path, imaging::kMaxPictureFileSize);
            imagecodec::NewMember member =
                imagecodec::MemberFromFile(ToUtf8(ToQString(path.filename())), bytes,
                                           imagecodec::ImageKind::ikMotoBitmap18, path);
            archive::ArchiveModel::CheckData(member.bytes.size(), path);
            std::string name = archive::ArchiveModel::NameFromUtf8(member.fileName, path);
            const int row = static_cast<int>(m_archive.size());
            ApplyInsert(row, name, member.bytes);
            new InsertCommand(*this, row, std::move(name), std::move(member.bytes), true,
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
    return added;
}

bool ArchiveDocument::RemoveMembers(std::vector<int> rows)
{
    if (rows.empty())
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
