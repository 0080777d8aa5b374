#pragma once

// The Archive Editor: every member of an archive as a tile, replaced by
// dropping a picture on it, exported by dragging it out, added, removed and
// renamed, every edit undoable, and the archive saved in place. The window
// wires widgets, dialogs and menus to an ArchiveDocument, which holds the
// archive and makes the edits.

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QMainWindow>
#include <QString>

#include "core/archive/ArchiveModel.h"
#include "ui/ArchiveDocument.h"
#include "ui/ArchiveEditorCommands.h"
#include "ui/Dialogs.h"
#include "ui/Windows.h"

class QAbstractItemView;
class QAction;
class QComboBox;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMenu;
class QSlider;
class QSortFilterProxyModel;
class QStackedWidget;
class QUndoStack;

namespace zefir::ui {

class DetailsView;
class GalleryDelegate;
class GalleryModel;
class GalleryView;
class PreviewPane;

class ArchiveEditor final : public QMainWindow {
    Q_OBJECT
public:
    explicit ArchiveEditor(IDialogs& dialogs, QWidget* parent = nullptr);
    ~ArchiveEditor() override;

    // Opens an archive, asking first what to do with unsaved changes.
    // Returns whether it was opened; a failure is shown in an error box.
    // An archive another editor window has open is not opened twice: that
    // window comes forward instead.
    bool OpenArchive(const QString& path);
    // The editor window, other than `except`, that has `archive` open, as
    // the same file under whatever name; or null.
    static ArchiveEditor* EditorOf(const fs::path& archive, const ArchiveEditor* except = nullptr);
    // Raises the window above the others, restored when minimised, with
    // the keyboard in it.
    void BringForward();
    // The archive's file; empty before one is opened.
    const fs::path& ArchivePath() const { return m_document->Path(); }

    ArchiveDocument& Document() { return *m_document; }
    const archive::ArchiveModel& Archive() const { return m_document->Archive(); }
    GalleryModel& Gallery() { return *m_gallery; }
    GalleryView& View() { return *m_view; }
    DetailsView& Details() { return *m_details; }
    QSortFilterProxyModel& Shown() { return *m_proxy; }
    QUndoStack& UndoStack() { return m_document->UndoStack(); }
    PreviewPane& Preview() { return *m_preview; }

    // The document's edits, by the member's index in the archive: what the
    // menus and in-place editing run. Each shows its refusal and returns
    // whether the archive changed.
    bool RemoveMembers(std::vector<int> rows);
    // Returns the refusal, also shown in the status bar, or empty.
    QString RenameMember(int row, const QString& name);
    // The refusal the rename would meet, or empty; changes nothing.
    QString CheckRename(int row, const QString& name) const;

    // Writes the given members into `folder` as the command line's export
    // does, asking before replacing any file there. `single` names the
    // file when one member is exported to a name of the user's choice.
    // Runs off the GUI thread and returns at once; exportFinished tells how
    // many files were written. One export runs at a time.
    void ExportMembers(const std::vector<int>& rows, const fs::path& folder, ExportFormat format,
                      const fs::path& single = {});

    // The member under the keyboard focus, by its index in the archive, or -1.
    int CurrentRow() const;
    std::vector<int> SelectedRows() const;
    // What Replace, Remove, Rename, Export and drags act on: the selected
    // members when several are, else the current one. Sorted.
    std::vector<int> TargetRows() const;
    void SelectRow(int row);

signals:
    void exportFinished(int written);

public slots:
    void FileOpenExecute();
    // Each returns whether a save was started (Document().saveFinished
    // tells how it went) or the archive reloaded instead.
    bool FileSaveExecute();
    bool FileSaveAsExecute();
    // Another program changed the archive's file: asks what to do.
    void ArchiveChangedOnDisk();
    void ExportExecute();
    void ExportAllExecute();
    void ReplaceExecute();
    void AddExecute();
    void RemoveExecute();
    void RenameExecute();
    // The current member's name, kind, picture size and bytes, in a box.
    void PropertiesExecute();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The filter field's keys: Escape, Down and undo.
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void createActions();
    void CreateGallery();
    void ShowTileMenu(QAbstractItemView& view, const QPoint& at);
    // Replaces the tile dropped on, or adds what was dropped on no tile.
    void FilesDropped(const QModelIndex& index, const QStringList& files);
    // The gallery or the details view, whichever is shown.
    QAbstractItemView* ActiveView() const;
    void ShowDetails(bool details);
    void UpdateShown();
    void ShowPreviewAtFit();
    // The archives opened and saved last, across runs, newest first.
    static void RememberRecent(const fs::path& archive);
    void FillRecentMenu();
    // Asks what to do with unsaved changes; returns whether what was asked
    // for may go on now. After Save it may not: `then` runs once the save
    // has succeeded.
    bool MaybeSave(std::function<void()> then);
    // Brings forward the other window that has `path` open, if one has.
    bool ForwardToEditorOf(const QString& path);
    // After the document opened an archive: the first tile current, the
    // keyboard in the tiles.
    void Opened();
    bool SaveTo(const fs::path& target, archive::ArchiveModel::WhenReplaced whenReplaced =
                                            archive::ArchiveModel::WhenReplaced::Refuse);
    bool SaveAs(const fs::path& proposed);
    QString PictureFolder() const;
    static void RememberPictureFolder(const fs::path& folder);
    // Asks whether to reload the archive another program changed or to save
    // this version as another file; returns whether it was reloaded or
    // saved.
    bool ResolveDiskChange(archive::ArchiveModel::DiskState state);
    void UpdateTitle();
    void UpdateCurrent();
    // With one tile selected, makes it the current one too.
    void FollowSelection();
    void UpdateActions();
    void BusyChanged(bool busy);
    void SetTileSide(int side);
    void ShowError(const QString& text);
    void ShowLeftOut(const QString& text, const QStringList& lines);
    QString MemberName(int row) const;

    IDialogs& m_dialogs;
    ArchiveDocument* m_document = nullptr;
    GalleryModel* m_gallery = nullptr;
    QSortFilterProxyModel* m_proxy = nullptr;
    GalleryView* m_view = nullptr;
    DetailsView* m_details = nullptr;
    QStackedWidget* m_views = nullptr;
    GalleryDelegate* m_delegate = nullptr;
    PreviewPane* m_preview = nullptr;
    // Set while the question about a change on disk is open.
    bool m_diskQuestionOpen = false;
    // What waits for the save started by MaybeSave.
    std::function<void()> m_afterSave;
    // Closing waits for the save or conversion running.
    bool m_closeWhenIdle = false;
    QLineEdit* m_filter = nullptr;
    QComboBox* m_sort = nullptr;
    QSlider* m_tileSlider = nullptr;
    QLabel* m_memberInfo = nullptr;
    QLabel* m_shownInfo = nullptr;
    QAction* m_galleryAction = nullptr;
    QAction* m_detailsAction = nullptr;
    // By the sort box's choices.
    QList<QAction*> m_sortActions;
    QList<QAction*> m_memberActions;
    // Act on one member only.
    QAction* m_replaceAction = nullptr;
    QAction* m_renameAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_exportAllAction = nullptr;
    QAction* m_addAction = nullptr;
    QAction* m_propertiesAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_redoAction = nullptr;
    QMenu* m_recentMenu = nullptr;
    QDockWidget* m_previewDock = nullptr;
    // What the export dialog remembers between runs.
    int m_exportFilter = 0;
    // Set while an export runs: true asks it to stop.
    std::shared_ptr<std::atomic<bool>> m_exportCancel;
};

// The main window's "Edit Archive...": asks for an archive and opens it in
// an editor window of its own.
void EditArchive(QWidget* parent, IDialogs& dialogs);

} // namespace zefir::ui
