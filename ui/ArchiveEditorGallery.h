#pragma once

// The archive editor's gallery: a list model over the open archive whose
// thumbnails are decoded off the GUI thread, the delegate that paints a tile,
// the view that takes drops, and the preview pane.

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QImage>
#include <QItemSelectionModel>
#include <QListView>
#include <QMimeData>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QTreeView>
#include <QUrl>
#include <QWidget>

#include "core/archive/ArchiveModel.h"
#include "core/imagecodec/ImageCodec.h"
#include "ui/Windows.h"

class QComboBox;
class QLabel;
class QScrollArea;

namespace zefir::ui {

// What a tile knows of its member once the worker has looked at it.
enum class TileState { Pending, Queued, Ready, Failed, Unknown };

struct Tile {
    // Changes whenever the member's bytes change, so that a thumbnail decoded
    // from older bytes is not shown.
    std::uint64_t id = 0;
    TileState state = TileState::Pending;
    imagecodec::ImageKind kind = imagecodec::ImageKind::ikUnknown;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // At the icon's own size; a picture larger than kKeptSide is kept shrunk.
    QImage image;
    QString whyNot;
};

class ArchiveDocument;

// Tiles dragged out: PNG files of the members in `folder`, written when the
// drop target first asks for them, not when the drag starts.
class DragFiles final : public QMimeData {
    Q_OBJECT
public:
    // A member as it was when the drag started.
    struct Member {
        std::string name;        // as the archive holds it
        std::string displayName; // UTF-8, for messages
        std::vector<std::byte> bytes;
    };
    DragFiles(fs::path folder, std::vector<Member> members);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    fs::path m_folder;
    std::vector<Member> m_members;
    mutable bool m_made = false;
    mutable QList<QUrl> m_urls;
};

class GalleryModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        StateRole = Qt::UserRole + 1,
        ImageRole,
        // "Moto Bitmap (18-bit), 16 x 16, 848 bytes"
        SummaryRole,
        // The member's index in the archive, for sorting in archive order.
        ArchiveIndexRole,
        // What a column sorts by: a name or kind as text, a size as a number.
        SortRole,
        // How many characters the name shares at its start with the names
        // closest to it: what follows tells it apart.
        SharedStartRole,
    };
    // The gallery shows the first; the details view all of them.
    enum Column { NameColumn, KindColumn, PixelsColumn, BytesColumn, ColumnCount };
    // Pictures larger than this a side are kept shrunk: enough for the
    // largest tile and the phone's screen, without holding every pixel of
    // thousands of members.
    static constexpr std::uint32_t kKeptSide = 320;
    // The details view's icons.
    static constexpr int kListIconSide = 24;

    // Presents `document`'s archive, following its edits.
    explicit GalleryModel(ArchiveDocument& document, QObject* parent = nullptr);
    ~GalleryModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Only reads: asking about a tile never starts its decoding.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    // PNG files of the icons, written into a folder of this run when the
    // drop asks for them, for file managers to copy (DragFiles); null while
    // the archive is saved.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    const archive::ArchiveModel& Archive() const;
    const Tile& TileAt(int row) const { return m_tiles[static_cast<std::size_t>(row)]; }

    // Decodes `row`'s tile soon, before the others: what the views ask for
    // the tiles they show.
    void Want(int row);
    // Decodes every tile in the background, the wanted ones first, until the
    // archive is opened again.
    void WantAll();
    // Whether every tile has been looked at by the worker.
    bool AllLoaded() const { return m_loaded == m_tiles.size(); }

    // Asked when a tile is edited in place; returns the refusal or empty.
    std::function<QString(int row, const QString& name)> renameRequested;

signals:
    void allLoaded();

private:
    struct Job {
        std::uint64_t id;
        int row;
        std::string name;
        std::vector<std::byte> bytes;
    };
    struct Result {
        std::uint64_t id;
        int row;
        Tile tile;
    };
    static std::vector<Result> DecodeBatch(std::vector<Job> jobs);

    // The document's changes: every tile pending after opening, an edited
    // one pending again.
    void Reset();
    void Inserted(int row);
    void Removed(int row);
    void Renamed(int row);
    void StartSoon();
    void Schedule();
    void Apply(const std::vector<Result>& results);
    int RowOf(std::uint64_t id, int hint) const;
    void Invalidate(int row);
    // Every column of `row` changed in `roles` (all when empty).
    void RowChanged(int row, const QList<int>& roles = {});
    QVariant ColumnData(int row, int column, int role) const;
    QString Summary(int row) const;
    QString ToolTip(int row) const;
    int SharedStart(int row) const;
    static QPixmap ListIcon(const QImage& image);

    ArchiveDocument& m_document;
    std::vector<Tile> m_tiles;
    std::uint64_t m_nextId = 1;
    std::size_t m_loaded = 0;
    // Rows asked for while pending: decoded first, latest first.
    std::deque<int> m_wanted;
    bool m_scheduled = false;
    // Whether every row is walked through, and the next one.
    bool m_all = false;
    std::size_t m_nextRow = 0;
    int m_inFlight = 0;
    // Bumped by Reset, so that batches of an earlier archive are dropped.
    std::uint64_t m_generation = 0;
    mutable QTemporaryDir m_dragDir;
    // By member, made again after an edit when first asked for.
    mutable std::vector<int> m_shared;
    mutable bool m_sharedStale = true;
};

// Paints a tile: the icon at the largest whole zoom that fits, over a
// checkerboard, its name under it.
class GalleryDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit GalleryDelegate(QObject* parent = nullptr);

    int TileSide() const { return m_side; }
    void SetTileSide(int side) { m_side = side; }
    QSize TileSize(const QFont& font) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

    // Checks a name while it is typed; returns the refusal or empty.
    std::function<QString(const QModelIndex& index, const QString& name)> checkName;

signals:
    // Once, when the first decoded icon has been painted.
    void firstIconPainted() const;
    // A tile painted before it was decoded.
    void pendingPainted(const QModelIndex& index) const;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    int m_side = 64;
    mutable bool m_paintedIcon = false;
};

// A member's name under its tile, on up to two lines of `width` pixels: as
// much of its start as fits, then the rest, elided in its middle when still
// too long. When even that hides where the name differs from the names
// nearest to it, after the first `shared` characters, that start takes the
// first line and the rest the second. The size and extension at the end
// show either way.
QStringList TileNameLines(const QString& name, const QFontMetrics& metrics, int width,
                          int shared = 0);

// Puts a member's name into a line edit opened on it, its stem selected;
// later calls leave what is typed alone.
void SetNameForEditing(QWidget* editor, const QModelIndex& index);

// The details view's names, edited as the gallery's are.
class NameDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;

signals:
    // A row painted before its icon was decoded.
    void pendingPainted(const QModelIndex& index) const;
};

// Checkerboard behind transparent pixels, in squares of `square` pixels.
void PaintCheckerboard(QPainter& painter, const QRect& rect, int square = 8);

// What the commands, the context menu and drags act on, as indexes of the
// view's model in column 0: the selected tiles when several are, else the
// current one, which is always marked.
QModelIndexList TargetIndexes(const QItemSelectionModel& selection);
// The tiles selected, each counted once whatever its columns.
int SelectedTileCount(const QItemSelectionModel& selection);

// The gallery: an icon-mode list that takes picture files dropped on a tile
// (replace) or on its empty area (add), zooms with Ctrl+wheel and sends
// typed text to the filter.
class GalleryView final : public QListView {
    Q_OBJECT
public:
    explicit GalleryView(QWidget* parent = nullptr);

signals:
    // `index` is the tile dropped on, or invalid for the empty area.
    void filesDropped(const QModelIndex& index, const QStringList& files);
    void zoomBy(int steps);
    void typedText(const QString& text);
    void enterPressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void startDrag(Qt::DropActions actions) override;
};

// Sorts by the column's SortRole, names ignoring case; members that tie
// keep the archive's order, whatever was sorted before.
class TileSortProxy final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

// The members as rows of name, kind, pixels and bytes on the gallery's
// model, sorted by a click on a column's header; it takes drops and keys as
// the gallery does.
class DetailsView final : public QTreeView {
    Q_OBJECT
public:
    explicit DetailsView(QWidget* parent = nullptr);

signals:
    void filesDropped(const QModelIndex& index, const QStringList& files);
    void typedText(const QString& text);
    void enterPressed();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;
    void startDrag(Qt::DropActions actions) override;
};

// The current member on the phone's 240 x 320 screen, at 1x to 8x; an icon
// zoomed past the screen scrolls.
class PreviewPane final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kScreen{240, 320};

    explicit PreviewPane(QWidget* parent = nullptr);

    void SetTile(const QString& name, const Tile* tile);
    int Zoom() const { return m_zoom; }
    void SetZoom(int zoom);
    // The largest zoom up to 8 at which the current icon fits the screen.
    int FittingZoom() const;

protected:
    // Paints the screen.
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    void UpdateScreen();

    QComboBox* m_zoomBox;
    QComboBox* m_backgroundBox;
    QLabel* m_caption;
    QScrollArea* m_scroll;
    QWidget* m_screen;
    QImage m_image;
    QString m_text;
    int m_zoom = 2;
};

} // namespace zefir::ui
