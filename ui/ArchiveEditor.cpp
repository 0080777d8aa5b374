#include "ui/ArchiveEditor.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <exception>
#include <memory>
#include <set>
#include <stdexcept>
#include <unordered_map>
#include <functional>
#include <system_error>
#include <utility>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDockWidget>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressDialog>
#include <QSettings>
#include <QSlider>
#include <QSortFilterProxyModel>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/Export.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Imaging.h"
#include "ui/ArchiveEditorGallery.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"

namespace zefir::ui {

namespace {

QString EditorTitle()
{
    return ArchiveEditor::tr("Archive Editor");
}
QString EzxFilter()
{
    return ArchiveEditor::tr("EZX files (*.ezx)");
}
QStringList ExportFilters()
{
    return {ArchiveEditor::tr("PNG Image (*.png)"), ArchiveEditor::tr("GIF Image (*.gif)"),
            ArchiveEditor::tr("BMP Image (*.bmp)"), ArchiveEditor::tr("JPEG Image (*.jpg)"),
            ArchiveEditor::tr("Phone file, as stored (*.k *.g *.raw)")};
}
QStringList AddFilters()
{
    return {ArchiveEditor::tr(
                "Pictures and phone files (*.png *.gif *.bmp *.jpg *.jpeg *.k *.g *.raw)"),
            ArchiveEditor::tr("All files (*)")};
}
constexpr ExportFormat kExportFormats[] = {ExportFormat::Png, ExportFormat::Gif, ExportFormat::Bmp,
                                           ExportFormat::Jpeg, ExportFormat::AsStored};
constexpr int kMinTile = 32;
constexpr int kMaxTile = 192;
constexpr int kTileStep = 16;
constexpr int kMaxRecent = 10;
const QString kRecentKey = QStringLiteral("ArchiveEditor/recent");

bool Exists(const fs::path& path)
{
    // A dangling symbolic link is in the way too.
    std::error_code ignored;
    return fs::symlink_status(path, ignored).type() != fs::file_type::not_found;
}

// The editor's members for an export running on a worker thread. The
// archive model belongs to the GUI thread, which reads them a batch at a
// time, in the order the export asks for them, while the export waits; the
// GUI thread never waits for the export.
class EditorSource final : public archive::IMemberSource {
public:
    // Thrown while planning once the user cancelled: planning has no
    // cancel of its own, and a plan nobody waits for is not finished.
    struct Cancelled {};

    EditorSource(ArchiveEditor* editor, std::vector<std::size_t> order,
                 std::shared_ptr<const std::atomic<bool>> cancel)
        : m_editor(editor), m_archive(editor->ArchivePath()), m_order(std::move(order)),
          m_cancel(std::move(cancel))
    {
    }

    // Writing reads the members again, in the same order; it asks about
    // cancelling itself, between members.
    void Restart()
    {
        m_next = 0;
        m_batch.clear();
        m_planning = false;
    }

    std::string Name(std::size_t member) override { return Find(member).name; }

    void Data(std::size_t member, std::vector<std::byte>& bytes) override
    {
        Fetched& found = Find(member);
        if (found.error)
            std::rethrow_exception(found.error);
        bytes = std::move(found.bytes);
        m_batch.pop_front();
    }

private:
    struct Fetched {
        std::size_t member = 0;
        std::string name;
        std::vector<std::byte> bytes;
        std::exception_ptr error;
    };

    // Members come in order, some passed over (those the plan left out).
    Fetched& Find(std::size_t member)
    {
        for (;;) {
            while (!m_batch.empty() && m_batch.front().member != member)
                m_batch.pop_front();
            if (!m_batch.empty())
                return m_batch.front();
            if (m_next >= m_order.size())
                throw std::logic_error("the export asked for a member out of order");
            if (m_planning && *m_cancel)
                throw Cancelled{};
            Fetch();
        }
    }

    void Fetch()
    {
        // Bounded in members as in bytes, so memory stays small whatever the
        // archive's size.
        constexpr std::size_t kBatchMembers = 64;
        constexpr std::size_t kBatchBytes = 1024 * 1024;
        bool read = false;
        QMetaObject::invokeMethod(
            qApp,
            [&] {
                if (!m_editor)
                    return;
                read = true;
                const archive::ArchiveModel& model = m_editor->Archive();
                std::size_t bytes = 0;
                while (m_next < m_order.size() && m_batch.size() < kBatchMembers &&
                       bytes < kBatchBytes) {
                    Fetched fetched{m_order[m_next++], {}, {}, {}};
                    try {
                        fetched.name = model.Name(fetched.member);
                        // Planned and written from the same archive: a member
                        // that changed in between is not written under the
                        // name planned for another.
                        if (const auto [planned, added] =
                                m_names.try_emplace(fetched.member, fetched.name);
                            !added && planned->second != fetched.name)
                            throw IoError(ToUtf8(ArchiveEditor::tr(
                                              "the archive changed while it was exported")),
                                          m_archive, ErrorKind::Refused);
                        model.Data(fetched.member, fetched.bytes);
                    } catch (const IoError&) {
                        fetched.error = std::current_exception();
                    }
                    bytes += fetched.bytes.size();
                    m_batch.push_back(std::move(fetched));
                }
            },
            Qt::BlockingQueuedConnection);
        if (!read)
            throw IoError(ToUtf8(ArchiveEditor::tr("the export stopped: its window was closed")),
                          m_archive, ErrorKind::Refused);
    }

    // Read on the GUI thread only.
    const QPointer<ArchiveEditor> m_editor;
    const fs::path m_archive;
    // The rest is the export's, and the GUI thread's while the export waits.
    const std::vector<std::size_t> m_order;
    std::size_t m_next = 0;
    std::deque<Fetched> m_batch;
    std::unordered_map<std::size_t, std::string> m_names;
    const std::shared_ptr<const std::atomic<bool>> m_cancel;
    bool m_planning = true;
};

// What a stage of the export running off the GUI thread hands back.
template <typename T> struct ExportStage {
    T result{};
    QString error;
};

template <typename T, typename Work> ExportStage<T> RunStage(Work work)
{
    ExportStage<T> stage;
    try {
        stage.result = work();
    } catch (const EditorSource::Cancelled&) {
        // The caller sees the cancel flag.
    } catch (const IoError& e) {
        stage.error = ErrorText(e.what());
    } catch (const std::exception& e) {
        stage.error = QString::fromUtf8(e.what());
    }
    return stage;
}

// The progress dialog follows the export's count of members done, one
// update posted at a time: a window-modal dialog handles events inside
// setValue, which must not start another setValue.
struct ExportProgress {
    std::atomic<std::size_t> done{0};
    std::atomic<bool> posted{false};
    bool applying = false; // GUI thread only
};

} // namespace

ArchiveEditor::ArchiveEditor(IDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("ArchiveEditor"));
    setWindowIcon(ApplicationIcon());
    m_document = new ArchiveDocument(this);
    CreateGallery();
    createActions();

    QSettings settings;
    resize(980, 680);
    restoreGeometry(settings.value(QStringLiteral("ArchiveEditor/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("ArchiveEditor/state")).toByteArray());
    SetTileSide(settings.value(QStringLiteral("ArchiveEditor/tile"), 64).toInt());
    ShowDetails(settings.value(QStringLiteral("ArchiveEditor/details"), false).toBool());

    connect(m_document, &ArchiveDocument::errorOccurred, this, &ArchiveEditor::ShowError);
    connect(m_document, &ArchiveDocument::statusMessage, statusBar(), &QStatusBar::showMessage);
    connect(m_document, &ArchiveDocument::opened, this, &ArchiveEditor::Opened);
    connect(m_document, &ArchiveDocument::pathChanged, this, [this] {
        RememberRecent(ArchivePath());
        UpdateTitle();
    });
    connect(m_document, &ArchiveDocument::modifiedChanged, this, [this] { UpdateTitle(); });
    connect(m_document, &ArchiveDocument::membersAdded, this, &ArchiveEditor::SelectRow);
    connect(m_document, &ArchiveDocument::changedOnDisk, this,
            &ArchiveEditor::ArchiveChangedOnDisk);
    connect(m_document, &ArchiveDocument::busyChanged, this, &ArchiveEditor::BusyChanged);
    connect(m_document, &ArchiveDocument::saveFinished, this, [this](bool saved) {
        // Closing or opening another archive after the save it asked for.
        std::function<void()> then = std::exchange(m_afterSave, {});
        if (saved && then)
            then();
    });
    connect(&UndoStack(), &QUndoStack::indexChanged, this, [this] { UpdateCurrent(); });
    UpdateTitle();
    UpdateActions();
}

ArchiveEditor::~ArchiveEditor()
{
    // An export still running stops at its next member.
    if (m_exportCancel)
        *m_exportCancel = true;
    // The children go after this object's own part: their last signals
    // (the undo stack clearing itself) must not reach it.
    m_document->disconnect(this);
    UndoStack().disconnect(this);
    m_gallery->disconnect(this);
    m_view->selectionModel()->disconnect(this);
}

void ArchiveEditor::CreateGallery()
{
    m_gallery = new GalleryModel(*m_document, this);
    m_proxy = new TileSortProxy(this);
    m_proxy->setSourceModel(m_gallery);
    m_proxy->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setSortRole(GalleryModel::SortRole);

    m_view = new GalleryView;
    m_delegate = new GalleryDelegate(m_view);
    m_view->setItemDelegate(m_delegate);
    m_view->setModel(m_proxy);
    // Both views on the same rows, filter, order and selection.
    m_details = new DetailsView;
    m_details->setModel(m_proxy);
    QItemSelectionModel* own = m_details->selectionModel();
    m_details->setSelectionModel(m_view->selectionModel());
    delete own;
    // In archive order until a column's header is clicked.
    m_details->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_details->setSortingEnabled(true);
    m_details->header()->setSectionResizeMode(GalleryModel::NameColumn, QHeaderView::Stretch);
    m_details->header()->setStretchLastSection(false);
    for (const int column :
         {GalleryModel::KindColumn, GalleryModel::PixelsColumn, GalleryModel::BytesColumn})
        m_details->setColumnWidth(column, m_details->fontMetrics().horizontalAdvance(
                                              column == GalleryModel::KindColumn
                                                  ? QStringLiteral("Moto Bitmap (18-bit)MM")
                                                  : QStringLiteral("000 x 000MM")));
    m_views = new QStackedWidget;
    m_views->addWidget(m_view);
    m_views->addWidget(m_details);

    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("FilterEdit"));
    m_filter->setPlaceholderText(tr("Filter by name"));
    m_filter->setClearButtonEnabled(true);
    m_sort = new QComboBox;
    m_sort->setObjectName(QStringLiteral("SortBox"));
    // By each of the details view's columns after the archive's order.
    m_sort->addItems({tr("Archive order"), tr("Name"), tr("Kind"), tr("Pixels"), tr("Bytes")});
    m_tileSlider = new QSlider(Qt::Horizontal);
    m_tileSlider->setObjectName(QStringLiteral("TileSlider"));
    m_tileSlider->setRange(kMinTile / kTileStep, kMaxTile / kTileStep);
    m_tileSlider->setMaximumWidth(160);
    m_tileSlider->setToolTip(tr("Tile size (Ctrl+wheel)"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(tr("Filter:")));
    bar->addWidget(m_filter, 1);
    bar->addWidget(new QLabel(tr("Sort:")));
    bar->addWidget(m_sort);
    bar->addWidget(new QLabel(tr("Size:")));
    bar->addWidget(m_tileSlider);
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 0);
    layout->addLayout(bar);
    layout->addWidget(m_views, 1);
    setCentralWidget(central);

    m_preview = new PreviewPane;
    auto* dock = m_previewDock = new QDockWidget(tr("Preview"), this);
    dock->setObjectName(QStringLiteral("PreviewDock"));
    dock->setWidget(m_preview);
    addDockWidget(Qt::RightDockWidgetArea, dock);

    m_memberInfo = new QLabel;
    m_memberInfo->setObjectName(QStringLiteral("MemberInfo"));
    // At its own width on the right: a stretching label would leave the
    // bar's messages ("Saved", "Not renamed: ...") no room at all.
    m_memberInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_shownInfo = new QLabel;
    m_shownInfo->setObjectName(QStringLiteral("ShownInfo"));
    m_shownInfo->hide();
    statusBar()->addPermanentWidget(m_shownInfo);
    statusBar()->addPermanentWidget(m_memberInfo);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_proxy->setFilterFixedString(text);
        // The preview and the status bar follow the first tile left.
        if (!m_view->currentIndex().isValid() && m_proxy->rowCount() > 0)
            SelectRow(m_proxy->mapToSource(m_proxy->index(0, 0)).row());
        UpdateShown();
    });
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_proxy, signal, this, [this] { UpdateShown(); });
    connect(m_proxy, &QAbstractItemModel::modelReset, this, [this] { UpdateShown(); });
    // Enter in the filter goes back to the tiles.
    connect(m_filter, &QLineEdit::returnPressed, this, [this] { ActiveView()->setFocus(); });
    m_filter->installEventFilter(this);
    connect(m_sort, &QComboBox::currentIndexChanged, this, [this](int choice) {
        // Through the header, which shows the column sorted by.
        m_details->sortByColumn(choice - 1, Qt::AscendingOrder);
        if (choice < m_sortActions.size())
            m_sortActions[choice]->setChecked(true);
    });
    connect(m_details->header(), &QHeaderView::sortIndicatorChanged, this, [this](int column) {
        const QSignalBlocker quiet(m_sort);
        m_sort->setCurrentIndex(column + 1);
        if (column + 1 < m_sortActions.size())
            m_sortActions[column + 1]->setChecked(true);
    });
    connect(m_tileSlider, &QSlider::valueChanged, this,
            [this](int value) { SetTileSide(value * kTileStep); });
    connect(m_view, &GalleryView::zoomBy, this,
            [this](int steps) { m_tileSlider->setValue(m_tileSlider->value() + steps); });
    const auto typed = [this](const QString& text) {
        m_filter->setFocus();
        m_filter->insert(text);
    };
    connect(m_view, &GalleryView::typedText, this, typed);
    connect(m_details, &DetailsView::typedText, this, typed);
    connect(m_view, &GalleryView::enterPressed, this, &ArchiveEditor::ShowPreviewAtFit);
    connect(m_details, &DetailsView::enterPressed, this, &ArchiveEditor::ShowPreviewAtFit);
    connect(m_view, &GalleryView::filesDropped, this, &ArchiveEditor::FilesDropped);
    connect(m_details, &DetailsView::filesDropped, this, &ArchiveEditor::FilesDropped);
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(m_view), static_cast<QAbstractItemView*>(m_details)}) {
        connect(view, &QAbstractItemView::doubleClicked, this, &ArchiveEditor::ShowPreviewAtFit);
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& at) { ShowTileMenu(*view, at); });
    }
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { UpdateCurrent(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        FollowSelection();
        UpdateCurrent();
    });
    connect(m_gallery, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& from, const QModelIndex& to) {
                const int row = CurrentRow();
                if (row >= from.row() && row <= to.row())
                    UpdateCurrent();
            });
    connect(m_gallery, &QAbstractItemModel::modelReset, this, [this] { UpdateActions(); });
    connect(m_gallery, &QAbstractItemModel::rowsInserted, this, [this] { UpdateActions(); });
    connect(m_gallery, &QAbstractItemModel::rowsRemoved, this, [this] { UpdateActions(); });

    m_gallery->renameRequested = [this](int row, const QString& name) {
        return RenameMember(row, name);
    };
    // Tiles on screen are decoded before the others.
    const auto want = [this](const QModelIndex& index) {
        m_gallery->Want(m_proxy->mapToSource(index).row());
    };
    connect(m_delegate, &GalleryDelegate::pendingPainted, this, want);
    connect(m_details->findChild<NameDelegate*>(), &NameDelegate::pendingPainted, this, want);
    m_delegate->checkName = [this](const QModelIndex& index, const QString& name) {
        return index.isValid() ? CheckRename(m_proxy->mapToSource(index).row(), name) : QString();
    };
}

void ArchiveEditor::createActions()
{
    QStyle* look = style();
    auto makeAction = [this](const char* name, const QString& text, const QKeySequence& keys,
                             auto slot) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    auto* open = m_openAction = makeAction("OpenAction", tr("&Open..."), QKeySequence::Open,
                                           &ArchiveEditor::FileOpenExecute);
    open->setIcon(look->standardIcon(QStyle::SP_DirOpenIcon));
    m_saveAction =
        makeAction("SaveAction", tr("&Save"), QKeySequence::Save, &ArchiveEditor::FileSaveExecute);
    m_saveAction->setIcon(look->standardIcon(QStyle::SP_DialogSaveButton));
    auto* saveAs = m_saveAsAction = makeAction("SaveAsAction", tr("Save &As..."),
                                               QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
                                               &ArchiveEditor::FileSaveAsExecute);
    auto* exportSelected =
        makeAction("ExportAction", tr("&Export..."), QKeySequence(Qt::CTRL | Qt::Key_E),
                   &ArchiveEditor::ExportExecute);
    m_exportAllAction =
        makeAction("ExportAllAction", tr("Export A&ll..."), {}, &ArchiveEditor::ExportAllExecute);
    auto* closeWindow =
        makeAction("CloseAction", tr("&Close"), QKeySequence::Close, &QWidget::close);

    auto* file = menuBar()->addMenu(tr("&File"));
    file->addAction(open);
    m_recentMenu = file->addMenu(tr("Open &Recent"));
    m_recentMenu->setObjectName(QStringLiteral("RecentMenu"));
    // Filled when shown: another window may have opened an archive since.
    connect(m_recentMenu, &QMenu::aboutToShow, this, &ArchiveEditor::FillRecentMenu);
    FillRecentMenu();
    file->addAction(m_saveAction);
    file->addAction(saveAs);
    file->addSeparator();
    file->addAction(exportSelected);
    file->addAction(m_exportAllAction);
    file->addSeparator();
    file->addAction(closeWindow);

    QAction* undo = m_undoAction = UndoStack().createUndoAction(this, tr("&Undo"));
    undo->setObjectName(QStringLiteral("UndoAction"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    undo->setIcon(look->standardIcon(QStyle::SP_ArrowBack));
    QAction* redo = m_redoAction = UndoStack().createRedoAction(this, tr("&Redo"));
    redo->setObjectName(QStringLiteral("RedoAction"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    redo->setIcon(look->standardIcon(QStyle::SP_ArrowForward));
    auto* replace = m_replaceAction =
        makeAction("ReplaceAction", tr("Re&place..."), QKeySequence(Qt::CTRL | Qt::Key_R),
                   &ArchiveEditor::ReplaceExecute);
    replace->setIcon(look->standardIcon(QStyle::SP_BrowserReload));
    m_addAction = makeAction("AddAction", tr("&Add..."), QKeySequence(Qt::CTRL | Qt::Key_D),
                             &ArchiveEditor::AddExecute);
    m_addAction->setIcon(look->standardIcon(QStyle::SP_FileDialogNewFolder));
    auto* remove = makeAction("RemoveAction", tr("Re&move"), QKeySequence::Delete,
                              &ArchiveEditor::RemoveExecute);
    remove->setIcon(look->standardIcon(QStyle::SP_TrashIcon));
    auto* rename = m_renameAction = makeAction(
        "RenameAction", tr("Re&name"), QKeySequence(Qt::Key_F2), &ArchiveEditor::RenameExecute);
    m_propertiesAction =
        makeAction("PropertiesAction", tr("P&roperties"), QKeySequence(Qt::ALT | Qt::Key_Return),
                   &ArchiveEditor::PropertiesExecute);

    auto* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(replace);
    edit->addAction(m_addAction);
    edit->addAction(remove);
    edit->addAction(rename);
    edit->addAction(m_propertiesAction);

    auto* view = menuBar()->addMenu(tr("&View"));
    m_galleryAction =
        makeAction("GalleryAction", tr("&Gallery"), QKeySequence(Qt::CTRL | Qt::Key_1),
                   [this] { ShowDetails(false); });
    m_detailsAction = makeAction("DetailsAction", tr("&Details"),
                                 QKeySequence(Qt::CTRL | Qt::Key_2), [this] { ShowDetails(true); });
    auto* views = new QActionGroup(this);
    for (QAction* action : {m_galleryAction, m_detailsAction}) {
        action->setCheckable(true);
        views->addAction(action);
        view->addAction(action);
    }
    m_galleryAction->setChecked(true);
    QMenu* sortBy = view->addMenu(tr("Sort &By"));
    auto* sorts = new QActionGroup(this);
    for (int i = 0; i < m_sort->count(); ++i) {
        QAction* action = sortBy->addAction(m_sort->itemText(i));
        action->setCheckable(true);
        sorts->addAction(action);
        connect(action, &QAction::triggered, m_sort, [this, i] { m_sort->setCurrentIndex(i); });
        m_sortActions << action;
    }
    m_sortActions[0]->setChecked(true);
    view->addSeparator();
    auto* dock = findChild<QDockWidget*>(QStringLiteral("PreviewDock"));
    view->addAction(dock->toggleViewAction());
    auto* larger = makeAction("LargerAction", tr("&Larger Tiles"), QKeySequence::ZoomIn,
                              [this] { m_tileSlider->setValue(m_tileSlider->value() + 1); });
    auto* smaller = makeAction("SmallerAction", tr("&Smaller Tiles"), QKeySequence::ZoomOut,
                               [this] { m_tileSlider->setValue(m_tileSlider->value() - 1); });
    view->addAction(larger);
    view->addAction(smaller);
    view->addSeparator();
    AddLanguageMenu(*view, m_dialogs, this);

    auto* tools = addToolBar(tr("Tools"));
    tools->setObjectName(QStringLiteral("ToolBar"));
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (QAction* action : {open, m_saveAction})
        tools->addAction(action);
    tools->addSeparator();
    for (QAction* action : {undo, redo})
        tools->addAction(action);
    tools->addSeparator();
    for (QAction* action : {replace, m_addAction, remove})
        tools->addAction(action);

    m_memberActions = {replace, remove, rename, exportSelected};
}

void ArchiveEditor::FilesDropped(const QModelIndex& index, const QStringList& files)
{
    if (!index.isValid()) {
        m_document->AddFiles(files);
        return;
    }
    // The tile dropped on is the one the preview and the status bar then show.
    const int row = m_proxy->mapToSource(index).row();
    SelectRow(row);
    if (files.size() == 1)
        m_document->ReplaceMember(row, files.constFirst());
    else if (m_dialogs.Ask(this, {ApplicationTitle(),
                                  tr("%n files were dropped on %1, which takes one picture. Add "
                                     "them as new members instead?",
                                     nullptr, static_cast<int>(files.size()))
                                      .arg(MemberName(row)),
                                  {Answer::No, Answer::Yes}}) == Answer::Yes)
        m_document->AddFiles(files);
}

QAbstractItemView* ArchiveEditor::ActiveView() const
{
    return static_cast<QAbstractItemView*>(m_views->currentWidget());
}

void ArchiveEditor::ShowDetails(bool details)
{
    const bool focused = ActiveView()->hasFocus();
    m_views->setCurrentWidget(details ? static_cast<QWidget*>(m_details) : m_view);
    (details ? m_detailsAction : m_galleryAction)->setChecked(true);
    m_tileSlider->setEnabled(!details);
    if (m_view->currentIndex().isValid())
        ActiveView()->scrollTo(m_view->currentIndex());
    if (focused)
        ActiveView()->setFocus();
}

void ArchiveEditor::UpdateShown()
{
    // Only while a filter hides members, which is easy to forget.
    const bool filtered = !m_filter->text().isEmpty();
    m_shownInfo->setVisible(filtered);
    if (filtered)
        m_shownInfo->setText(
            tr("%1 of %2 shown").arg(m_proxy->rowCount()).arg(m_gallery->rowCount()));
}

void ArchiveEditor::ShowTileMenu(QAbstractItemView& view, const QPoint& at)
{
    // A right-click has already made the tile under it current, or kept
    // the selection it is part of.
    const bool onTile = view.indexAt(at).isValid();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("TileMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (onTile) {
        for (const char* name : {"ReplaceAction", "ExportAction", "RenameAction", "RemoveAction"})
            menu->addAction(findChild<QAction*>(QLatin1String(name)));
        menu->addSeparator();
        menu->addAction(m_propertiesAction);
    } else {
        menu->addAction(m_addAction);
        menu->addAction(m_exportAllAction);
    }
    menu->popup(view.viewport()->mapToGlobal(at));
}

void ArchiveEditor::ShowPreviewAtFit()
{
    m_previewDock->show();
    m_previewDock->raise();
    m_preview->SetZoom(m_preview->FittingZoom());
}

void ArchiveEditor::PropertiesExecute()
{
    const std::vector<int> rows = TargetRows();
    if (rows.size() != 1)
        return;
    const auto index = static_cast<std::size_t>(rows.front());
    if (m_document->Saving())
        return;
    try {
        // Asked anew of the core: the tile may not have been looked at yet.
        const std::vector<std::byte> bytes = Archive().Data(index);
        const imagecodec::PhonePictureInfo info =
            imagecodec::InspectPhonePicture(Archive().Name(index), bytes);
        QString text = tr("Name: %1\nKind: %2\n")
                           .arg(MemberName(rows.front()), FromUtf8(imagecodec::TitleOf(info.kind)));
        text += info.whyNot.empty()
                    ? tr("Picture: %1 x %2 pixels\n").arg(info.width).arg(info.height)
                    : tr("Picture: cannot be shown: %1\n").arg(FromUtf8(info.whyNot));
        text += tr("Size: %L1 bytes").arg(bytes.size());
        m_dialogs.Message(this, MessageKind::Information, ApplicationTitle(), text);
    } catch (const IoError& e) {
        ShowError(ErrorText(e.what()));
    }
}

void ArchiveEditor::RememberRecent(const fs::path& archive)
{
    std::error_code ignored;
    const QString path = ToQString(fs::absolute(archive, ignored));
    QSettings settings;
    QStringList recent = settings.value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    settings.setValue(kRecentKey, recent.mid(0, kMaxRecent));
}

void ArchiveEditor::FillRecentMenu()
{
    m_recentMenu->clear();
    const QStringList recent = QSettings().value(kRecentKey).toStringList();
    for (qsizetype i = 0; i < recent.size(); ++i) {
        QString label = recent[i];
        label.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* action =
            m_recentMenu->addAction(i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(label) : label);
        // An archive moved away since stays listed, greyed.
        action->setEnabled(QFileInfo::exists(recent[i]));
        const QString path = recent[i];
        connect(action, &QAction::triggered, this, [this, path] { OpenArchive(path); });
    }
    m_recentMenu->addSeparator();
    QAction* clear = m_recentMenu->addAction(tr("&Clear Menu"));
    clear->setObjectName(QStringLiteral("ClearRecentAction"));
    clear->setEnabled(!recent.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        QSettings().remove(kRecentKey);
        FillRecentMenu();
    });
}

bool ArchiveEditor::eventFilter(QObject* object, QEvent* event)
{
    if (object != m_filter)
        return QMainWindow::eventFilter(object, event);
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(object, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride &&
        (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo))) {
        // While there is filter text the keys edit it; in an empty field
        // they undo and redo the archive's edits.
        if (m_filter->text().isEmpty())
            event->ignore();
        else
            event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress && key->modifiers() == Qt::NoModifier) {
        if (key->key() == Qt::Key_Escape) {
            m_filter->clear();
            ActiveView()->setFocus();
            return true;
        }
        if (key->key() == Qt::Key_Down) {
            ActiveView()->setFocus();
            return true;
        }
    }
    return QMainWindow::eventFilter(object, event);
}

void ArchiveEditor::SetTileSide(int side)
{
    side = std::clamp(side / kTileStep * kTileStep, kMinTile, kMaxTile);
    {
        const QSignalBlocker quiet(m_tileSlider);
        m_tileSlider->setValue(side / kTileStep);
    }
    m_delegate->SetTileSide(side);
    m_view->setGridSize(m_delegate->TileSize(m_view->font()) + QSize(4, 4));
    m_view->doItemsLayout();
}

void ArchiveEditor::UpdateTitle()
{
    // The "[*]" shows the "*" while there are unsaved changes.
    const fs::path& path = ArchivePath();
    setWindowTitle(path.empty() ? EditorTitle()
                                : tr("%1[*] - %2").arg(ToQString(path.filename()), EditorTitle()));
    setWindowModified(!path.empty() && m_document->IsModified());
}

void ArchiveEditor::UpdateActions()
{
    const bool open = m_document->IsOpen();
    // While a save or a conversion runs, only what waits its turn (replace,
    // add) stays; the rest would change rows or read members under it.
    const bool idle = !m_document->Busy();
    const std::size_t targets = TargetRows().size();
    for (QAction* action : m_memberActions)
        action->setEnabled(open && idle && targets > 0);
    for (QAction* action : {m_renameAction, m_propertiesAction})
        action->setEnabled(open && idle && targets == 1);
    m_replaceAction->setEnabled(open && targets == 1);
    for (QAction* action : {m_openAction, m_saveAsAction})
        action->setEnabled(idle);
    m_recentMenu->setEnabled(idle);
    m_saveAction->setEnabled(open && idle);
    m_exportAllAction->setEnabled(open && idle && m_gallery->rowCount() > 0);
    m_addAction->setEnabled(open);
    m_undoAction->setEnabled(idle && UndoStack().canUndo());
    m_redoAction->setEnabled(idle && UndoStack().canRedo());
}

void ArchiveEditor::BusyChanged(bool busy)
{
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
    UpdateActions();
    if (!busy && std::exchange(m_closeWhenIdle, false))
        close();
}

QString ArchiveEditor::MemberName(int row) const
{
    return m_document->MemberName(row);
}

void ArchiveEditor::UpdateCurrent()
{
    const int row = CurrentRow();
    const int selected = SelectedTileCount(*m_view->selectionModel());
    if (row < 0) {
        m_memberInfo->setText(
            !m_document->IsOpen() ? QString() : tr("%n members", nullptr, int(Archive().size())));
        m_preview->SetTile({}, nullptr);
    } else if (selected > 1) {
        // What Remove and Export would take; the preview shows the current one.
        m_memberInfo->setText(tr("%n members selected", nullptr, selected));
        m_preview->SetTile(MemberName(row), &m_gallery->TileAt(row));
    } else {
        const QModelIndex index = m_gallery->index(row);
        m_memberInfo->setText(MemberName(row) + QStringLiteral(": ") +
                              index.data(GalleryModel::SummaryRole).toString());
        m_preview->SetTile(MemberName(row), &m_gallery->TileAt(row));
    }
    UpdateActions();
}

int ArchiveEditor::CurrentRow() const
{
    const QModelIndex index = m_proxy->mapToSource(m_view->currentIndex());
    return index.isValid() ? index.row() : -1;
}

std::vector<int> ArchiveEditor::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_view->selectionModel()->selectedIndexes())
        if (index.column() == 0)
            rows.push_back(m_proxy->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<int> ArchiveEditor::TargetRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : TargetIndexes(*m_view->selectionModel()))
        rows.push_back(m_proxy->mapToSource(index).row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void ArchiveEditor::SelectRow(int row)
{
    const QModelIndex index = m_proxy->mapFromSource(m_gallery->index(row));
    m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                         QItemSelectionModel::Rows);
    ActiveView()->scrollTo(index);
}

void ArchiveEditor::FollowSelection()
{
    // Ctrl+click can leave one tile selected and another current; the one
    // still highlighted is the one acted on, and it is shown.
    QItemSelectionModel& selection = *m_view->selectionModel();
    if (SelectedTileCount(selection) != 1)
        return;
    QModelIndex selected;
    for (const QModelIndex& index : selection.selectedIndexes())
        if (index.column() == 0)
            selected = index;
    if (selected != selection.currentIndex().siblingAtColumn(0))
        selection.setCurrentIndex(selected, QItemSelectionModel::NoUpdate);
}

void ArchiveEditor::ShowError(const QString& text)
{
    m_dialogs.Message(this, MessageKind::Critical, ApplicationTitle(), text);
}

void ArchiveEditor::ShowLeftOut(const QString& text, const QStringList& lines)
{
    m_dialogs.Message(this, MessageKind::Information, ApplicationTitle(), WithLines(text, lines));
}

bool ArchiveEditor::OpenArchive(const QString& path)
{
    if (ForwardToEditorOf(path))
        return false;
    return MaybeSave([this, path] { m_document->Load(path); }) && m_document->Load(path);
}

ArchiveEditor* ArchiveEditor::EditorOf(const fs::path& archive, const ArchiveEditor* except)
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* editor = qobject_cast<ArchiveEditor*>(window);
        std::error_code ignored;
        if (editor && editor != except && !editor->ArchivePath().empty() &&
            fs::equivalent(editor->ArchivePath(), archive, ignored))
            return editor;
    }
    return nullptr;
}

void ArchiveEditor::BringForward()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

bool ArchiveEditor::ForwardToEditorOf(const QString& path)
{
    ArchiveEditor* other = EditorOf(ToPath(path), this);
    if (!other)
        return false;
    other->BringForward();
    other->statusBar()->showMessage(
        tr("%1 is open in this window").arg(ToQString(other->ArchivePath().filename())), 8000);
    return true;
}

void ArchiveEditor::Opened()
{
    m_filter->clear();
    m_gallery->WantAll();
    if (m_gallery->rowCount() > 0)
        SelectRow(static_cast<int>(m_proxy->mapToSource(m_proxy->index(0, 0)).row()));
    UpdateCurrent();
    // The keyboard starts in the tiles: arrows move, typing filters.
    ActiveView()->setFocus();
}

void ArchiveEditor::FileOpenExecute()
{
    // Asked before the dialog, so that Cancel leaves everything as it was.
    if (!MaybeSave([this] { FileOpenExecute(); }))
        return;
    const auto answer = m_dialogs.OpenFile(
        this, {tr("Open EZX file"), {EzxFilter()}, 0, {}, ToQString(ArchivePath().parent_path())});
    if (answer && !ForwardToEditorOf(answer->path))
        m_document->Load(answer->path);
}

bool ArchiveEditor::MaybeSave(std::function<void()> then)
{
    if (!m_document->IsModified())
        return true;
    const Answer answer = m_dialogs.Ask(
        this, {ApplicationTitle(),
               tr("%1 has unsaved changes. Save them?").arg(ToQString(ArchivePath().filename())),
               {Answer::Save, Answer::Discard, Answer::Cancel}});
    if (answer == Answer::Save) {
        m_afterSave = std::move(then);
        FileSaveExecute();
        if (m_document->Busy())
            return false;
        // Not saved, or reloaded after a change on disk instead.
        m_afterSave = {};
        return !m_document->IsModified();
    }
    return answer == Answer::Discard;
}

void ArchiveEditor::ArchiveChangedOnDisk()
{
    if (m_diskQuestionOpen)
        return;
    const auto state = m_document->OnDisk();
    if (state != archive::ArchiveModel::DiskState::Unchanged)
        ResolveDiskChange(state);
}

bool ArchiveEditor::ResolveDiskChange(archive::ArchiveModel::DiskState state)
{
    const fs::path path = ArchivePath();
    const QString name = ToQString(path.filename());
    Question question{ApplicationTitle(), {}, {Answer::Reload, Answer::Cancel}};
    if (state == archive::ArchiveModel::DiskState::Changed) {
        question.text = tr("%1 was changed by another program, and its icons can no "
                           "longer be read from the copy open here. Reload it?")
                            .arg(name);
        if (m_document->IsModified())
            question.text += tr(" Your unsaved changes will be lost.");
    } else if (m_document->IsModified()) {
        question.text = tr("%1 was changed by another program since it was opened. "
                           "Save your version as another file, or reload it and "
                           "lose your changes?")
                            .arg(name);
        question.buttons = {Answer::SaveAs, Answer::Reload, Answer::Cancel};
    } else {
        question.text = tr("%1 was changed by another program. Reload it?").arg(name);
    }
    m_diskQuestionOpen = true;
    const Answer answer = m_dialogs.Ask(this, question);
    m_diskQuestionOpen = false;
    if (answer == Answer::Reload)
        return m_document->Reload();
    if (answer == Answer::SaveAs) {
        fs::path other = path;
        other.replace_filename(
            PathFromUtf8(Utf8Of(path.stem()) + " (edited)" + Utf8Of(path.extension())));
        return SaveAs(other);
    }
    // Asked once; saving asks again.
    m_document->IgnoreDiskChange();
    return false;
}

bool ArchiveEditor::SaveTo(const fs::path& target, archive::ArchiveModel::WhenReplaced whenReplaced)
{
    // Most likely every member was removed by mistake: the phone would find
    // none of its icons.
    if (Archive().size() == 0 &&
        m_dialogs.Ask(this, {ApplicationTitle(),
                             tr("%1 would have no members: the phone would find none of its "
                                "icons in it. Save it anyway?")
                                 .arg(ToQString(target.filename())),
                             {Answer::No, Answer::Yes}}) != Answer::Yes)
        return false;
    m_document->Save(target, whenReplaced);
    return true;
}

bool ArchiveEditor::FileSaveExecute()
{
    if (ArchivePath().empty() || m_document->Busy())
        return false;
    // The same check the save makes, asked about before it refuses.
    if (const auto state = m_document->OnDisk();
        state != archive::ArchiveModel::DiskState::Unchanged)
        return ResolveDiskChange(state);
    return SaveTo(ArchivePath());
}

namespace {

// A typed name without an extension gets the one of the filter chosen, as
// the file dialog itself adds it: the file written is the one meant.
fs::path WithFilterExtension(fs::path path, const QString& filter)
{
    const QString extension = FilterExtension(filter);
    if (!path.has_extension() && !extension.isEmpty())
        path += ToPath(extension);
    return path;
}

} // namespace

// Replace, Add and Export open where the user last took or put a picture,
// across runs; at first, in the archive's folder.
QString ArchiveEditor::PictureFolder() const
{
    const QString remembered = QSettings().value(QStringLiteral("editor/pictureFolder")).toString();
    if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
        return remembered;
    std::error_code ignored;
    return ToQString(fs::absolute(ArchivePath(), ignored).parent_path());
}

void ArchiveEditor::RememberPictureFolder(const fs::path& folder)
{
    std::error_code ignored;
    QSettings().setValue(QStringLiteral("editor/pictureFolder"),
                         ToQString(fs::absolute(folder, ignored)));
}

bool ArchiveEditor::FileSaveAsExecute()
{
    return !ArchivePath().empty() && !m_document->Busy() && SaveAs(ArchivePath());
}

bool ArchiveEditor::SaveAs(const fs::path& proposed)
{
    // In the archive's folder, also for a path given relative on the
    // command line.
    std::error_code ignored;
    const fs::path absolute = fs::absolute(proposed, ignored);
    const auto answer = m_dialogs.SaveFile(this, {tr("Save archive as"),
                                                  {EzxFilter()},
                                                  0,
                                                  ToQString(absolute.empty() ? proposed : absolute),
                                                  {},
                                                  true});
    if (!answer)
        return false;
    const fs::path target = WithFilterExtension(ToPath(answer->path), EzxFilter());
    if (Exists(target) && !fs::equivalent(target, ArchivePath(), ignored) &&
        m_dialogs.Ask(this, {ApplicationTitle(),
                             tr("%1 already exists. Replace it?").arg(ToQString(target)),
                             {Answer::No, Answer::Yes}}) != Answer::Yes)
        return false;
    // The file chosen here is replaced, also when another program saved
    // over it: the user chose it after being asked.
    return SaveTo(target, archive::ArchiveModel::WhenReplaced::SaveOver);
}

void ArchiveEditor::closeEvent(QCloseEvent* event)
{
    if (m_document->Busy()) {
        // Closed once the save or the conversion has ended.
        m_closeWhenIdle = true;
        event->ignore();
        return;
    }
    if (!MaybeSave([this] { close(); })) {
        event->ignore();
        return;
    }
    QSettings settings;
    settings.setValue(QStringLiteral("ArchiveEditor/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("ArchiveEditor/state"), saveState());
    settings.setValue(QStringLiteral("ArchiveEditor/tile"), m_delegate->TileSide());
    settings.setValue(QStringLiteral("ArchiveEditor/details"),
                      m_views->currentWidget() == m_details);
    event->accept();
}

bool ArchiveEditor::RemoveMembers(std::vector<int> rows)
{
    if (!m_document->RemoveMembers(rows))
        return false;
    // The tile after the first one removed takes its place under the keyboard.
    if (m_gallery->rowCount() > 0)
        SelectRow(std::min(*std::min_element(rows.begin(), rows.end()), m_gallery->rowCount() - 1));
    return true;
}

QString ArchiveEditor::CheckRename(int row, const QString& name) const
{
    return m_document->CheckRename(row, name);
}

QString ArchiveEditor::RenameMember(int row, const QString& name)
{
    return m_document->RenameMember(row, name);
}

void ArchiveEditor::ReplaceExecute()
{
    const std::vector<int> rows = TargetRows();
    if (rows.size() != 1)
        return;
    const int row = rows.front();
    const auto answer = m_dialogs.OpenFile(
        this, {tr("Replace %1 with").arg(MemberName(row)), AddFilters(), 0, {}, PictureFolder()});
    if (!answer)
        return;
    RememberPictureFolder(ToPath(answer->path).parent_path());
    m_document->ReplaceMember(row, answer->path);
}

void ArchiveEditor::AddExecute()
{
    FileRequest request{tr("Add pictures"), AddFilters(), 0, {}, PictureFolder()};
    request.several = true;
    const auto answer = m_dialogs.OpenFile(this, request);
    if (!answer)
        return;
    RememberPictureFolder(ToPath(answer->path).parent_path());
    m_document->AddFiles(answer->paths.isEmpty() ? QStringList{answer->path} : answer->paths);
}

void ArchiveEditor::RemoveExecute()
{
    RemoveMembers(TargetRows());
}

void ArchiveEditor::RenameExecute()
{
    const std::vector<int> rows = TargetRows();
    if (rows.size() != 1)
        return;
    const QModelIndex index = m_proxy->mapFromSource(m_gallery->index(rows.front()));
    ActiveView()->scrollTo(index);
    ActiveView()->edit(index);
}

void ArchiveEditor::ExportExecute()
{
    const std::vector<int> rows = TargetRows();
    if (rows.empty())
        return;
    const std::string first = Archive().DisplayName(static_cast<std::size_t>(rows[0]));
    const auto answer = m_dialogs.SaveFile(
        this, {rows.size() == 1 ? tr("Export %1").arg(FromUtf8(first))
                                : tr("Export %n icons into a folder", nullptr, int(rows.size())),
               ExportFilters(), m_exportFilter,
               FromUtf8(rows.size() == 1 ? ReplaceExtension(first, ".png") : std::string()),
               PictureFolder(), true});
    if (!answer)
        return;
    m_exportFilter = answer->filterIndex;
    const int index = std::clamp(answer->filterIndex, 0, int(std::size(kExportFormats)) - 1);
    const ExportFormat format = kExportFormats[index];
    const fs::path chosen = WithFilterExtension(ToPath(answer->path), ExportFilters()[index]);
    RememberPictureFolder(chosen.parent_path());
    // One member goes to the name typed; several into the folder chosen.
    ExportMembers(rows, chosen.parent_path(), format, rows.size() == 1 ? chosen : fs::path());
}

void ArchiveEditor::ExportAllExecute()
{
    if (ArchivePath().empty())
        return;
    const auto folder = m_dialogs.Folder(this, tr("Export every icon into"), PictureFolder());
    if (!folder)
        return;
    RememberPictureFolder(ToPath(*folder));
    std::vector<int> rows(Archive().size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<int>(i);
    ExportMembers(rows, ToPath(*folder), ExportFormat::Png);
}

void ArchiveEditor::ExportMembers(const std::vector<int>& rows, const fs::path& folder,
                                  ExportFormat format, const fs::path& single)
{
    // One export at a time. Once shown, the window-modal progress dialog
    // keeps the window's commands away; an edit before that is caught when
    // the members are read again to be written.
    if (m_exportCancel)
        return;
    const auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_exportCancel = cancel;
    // One dialog for planning, a new one for writing: a window-modal dialog
    // left open would block the question asked in between.
    const auto progressFor = [this, cancel](int members) {
        auto* progress =
            new QProgressDialog(tr("Exporting icons..."), tr("Cancel"), 0, members, this);
        progress->setWindowModality(Qt::WindowModal);
        progress->setWindowTitle(ApplicationTitle());
        progress->setMinimumDuration(500);
        connect(progress, &QProgressDialog::canceled, this, [cancel] { *cancel = true; });
        return QPointer<QProgressDialog>(progress);
    };
    const auto bar = std::make_shared<QPointer<QProgressDialog>>(progressFor(0));

    archive::ExportSettings settings;
    settings.format = format;
    settings.archive = ArchivePath();
    settings.single = single;
    const std::vector<std::size_t> members(rows.begin(), rows.end());
    const auto source = std::make_shared<EditorSource>(this, members, cancel);
    const auto shown = std::make_shared<QStringList>(); // left out
    const fs::path where = single.empty() ? folder : single;

    const auto finish = [this, bar, shown, where, folder](int written, const QString& error) {
        delete bar->data();
        m_exportCancel.reset();
        if (!error.isEmpty())
            ShowError(error);
        if (!shown->isEmpty())
            ShowLeftOut(tr("Exported %n files into %1. Left out:", nullptr, written)
                            .arg(ToQString(folder)),
                        *shown);
        statusBar()->showMessage(
            tr("Exported %n files into %1", nullptr, written).arg(ToQString(where)), 8000);
        emit exportFinished(written);
    };

    // The plan reads every member once; nothing is written yet.
    QtConcurrent::run([source, members, folder, settings] {
        return RunStage<archive::ExportPlan>(
            [&] { return archive::PlanExport(*source, members, folder, settings); });
    }).then(this, [this, source, cancel, bar, progressFor, shown, folder, finish](
                      ExportStage<archive::ExportPlan> planned) {
        delete bar->data();
        if (!planned.error.isEmpty() || *cancel)
            return finish(0, planned.error);
        archive::ExportPlan plan = std::move(planned.result);
        for (const archive::LeftOut& member : plan.notExported)
            *shown << FromUtf8(member.file + ": " + member.reason);
        // Files already there are replaced only when the user says so, and
        // what is not a plain file never.
        QStringList names;
        std::set<fs::path> files;
        std::set<fs::path> others;
        for (const archive::InTheWay& found : archive::TargetsInTheWay(plan)) {
            (found.plainFile ? files : others).insert(found.target);
            if (found.plainFile)
                names << ToQString(found.target.filename());
            else
                *shown << ToQString(found.target.filename()) + QStringLiteral(": ") +
                              tr("is there and is not a plain file, which is never replaced");
        }
        bool replace = false;
        if (!names.isEmpty()) {
            const QString listed = names.size() > 10 ? names.mid(0, 10).join(QStringLiteral(", ")) +
                                                           QStringLiteral(", ...")
                                                     : names.join(QStringLiteral(", "));
            replace = m_dialogs.Ask(this, {ApplicationTitle(),
                                           tr("%n files already in %1: %2. Replace them?", nullptr,
                                              int(names.size()))
                                               .arg(ToQString(folder), listed),
                                           {Answer::No, Answer::Yes}}) == Answer::Yes;
        }
        std::erase_if(plan.items, [&](const archive::ExportItem& item) {
            return others.contains(item.target) || (!replace && files.contains(item.target));
        });
        const QPointer<QProgressDialog> writing = progressFor(static_cast<int>(plan.items.size()));
        *bar = writing;
        const auto state = std::make_shared<ExportProgress>();
        archive::ExportControl control;
        control.replace = replace;
        control.cancelled = [cancel] { return cancel->load(); };
        control.progress = [state, writing](std::size_t done) {
            state->done = done;
            if (state->posted.exchange(true))
                return;
            QMetaObject::invokeMethod(
                qApp,
                [state, writing] {
                    state->posted = false;
                    if (state->applying || !writing || writing->wasCanceled())
                        return;
                    state->applying = true;
                    writing->setValue(static_cast<int>(state->done));
                    state->applying = false;
                },
                Qt::QueuedConnection);
        };
        QtConcurrent::run([source, plan = std::move(plan), control] {
            return RunStage<archive::ExportReport>([&] {
                source->Restart();
                return archive::WriteExport(plan, *source, control);
            });
        }).then(this, [shown, finish](ExportStage<archive::ExportReport> wrote) {
            for (const archive::LeftOut& member : wrote.result.notExported)
                *shown << FromUtf8(member.file + ": " + member.reason);
            finish(static_cast<int>(wrote.result.written.size()), wrote.error);
        });
    });
}

void EditArchive(QWidget* parent, IDialogs& dialogs)
{
    const auto answer =
        dialogs.OpenFile(parent, {ArchiveEditor::tr("Open EZX file"), {EzxFilter()}, 0, {}, {}});
    if (!answer)
        return;
    auto* editor = new ArchiveEditor(dialogs);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    if (!editor->OpenArchive(answer->path)) {
        delete editor;
        return;
    }
    editor->show();
}

} // namespace zefir::ui
