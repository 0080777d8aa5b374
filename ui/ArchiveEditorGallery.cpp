#include "ui/ArchiveEditorGallery.h"

#include <algorithm>
#include <new>

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/imagecodec/PhonePictures.h"
#include "core/imaging/Fit.h"
#include "ui/ArchiveDocument.h"
#include "ui/ArchiveEditorCommands.h"
#include "ui/Windows.h"

namespace zefir::ui {

namespace {

using imagecodec::ImageKind;

// Small enough that the first tiles come back at once, large enough that
// the worker is not starved by the GUI thread's reads.
constexpr std::size_t kBatch = 48;
// Rows painted while pending that are remembered; older ones are found again
// by the walk through every row.
constexpr std::size_t kMaxWanted = 1024;

QString KindTitle(ImageKind kind)
{
    return FromUtf8(imagecodec::TitleOf(kind));
}

} // namespace

GalleryModel::GalleryModel(ArchiveDocument& document, QObject* parent)
    : QAbstractListModel(parent), m_document(document)
{
    connect(&document, &ArchiveDocument::opened, this, &GalleryModel::Reset);
    connect(&document, &ArchiveDocument::memberReplaced, this, &GalleryModel::Invalidate);
    connect(&document, &ArchiveDocument::memberInserted, this, &GalleryModel::Inserted);
    connect(&document, &ArchiveDocument::memberRemoved, this, &GalleryModel::Removed);
    connect(&document, &ArchiveDocument::memberRenamed, this, &GalleryModel::Renamed);
    // Members are not read while a save writes the archive.
    connect(&document, &ArchiveDocument::busyChanged, this, [this](bool busy) {
        if (!busy)
            StartSoon();
    });
    Reset();
}

const archive::ArchiveModel& GalleryModel::Archive() const
{
    return m_document.Archive();
}

GalleryModel::~GalleryModel()
{
    // Batches still running hold only their own copies; wait so that none
    // outlives the program's objects.
    QThreadPool::globalInstance()->waitForDone();
}

int GalleryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_tiles.size());
}

int GalleryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant GalleryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractListModel::headerData(section, orientation, role);
    switch (section) {
    case NameColumn:
        return tr("Name");
    case KindColumn:
        return tr("Kind");
    case PixelsColumn:
        return tr("Pixels");
    case BytesColumn:
        return tr("Bytes");
    default:
        return {};
    }
}

QVariant GalleryModel::ColumnData(int row, int column, int role) const
{
    const Tile& tile = TileAt(row);
    // What the worker has not looked at yet is not known, not unknown.
    const bool known = tile.state != TileState::Pending && tile.state != TileState::Queued;
    const bool sized = tile.state == TileState::Ready;
    const auto bytes = [this, row] {
        return static_cast<qlonglong>(Archive().DataSize(static_cast<std::size_t>(row)));
    };
    if (role == Qt::TextAlignmentRole)
        return column == KindColumn ? QVariant() : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role == SortRole) {
        switch (column) {
        case KindColumn:
            return known ? KindTitle(tile.kind) : QString();
        case PixelsColumn:
            return sized ? qlonglong(tile.width) * tile.height : qlonglong(-1);
        default:
            return bytes();
        }
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case KindColumn:
        return known ? KindTitle(tile.kind) : QString();
    case PixelsColumn:
        return sized ? QStringLiteral("%1 x %2").arg(tile.width).arg(tile.height) : QString();
    default:
        return QStringLiteral("%L1").arg(bytes());
    }
}

QVariant GalleryModel::data(const QModelIndex& index, int role) const
{
    // While a row is removed, the archive has one member less than the
    // views still ask about.
    if (!index.isValid() || index.row() >= rowCount() ||
        static_cast<std::size_t>(index.row()) >= Archive().size())
        return {};
    const int row = index.row();
    const Tile& tile = TileAt(row);
    if (index.column() != NameColumn && role != Qt::ToolTipRole)
        return ColumnData(row, index.column(), role);
    switch (role) {
    case SortRole:
        return FromUtf8(Archive().DisplayName(static_cast<std::size_t>(row)));
    case SharedStartRole:
        return SharedStart(row);
    case Qt::DecorationRole:
        // The details view's icon, at the view's icon size.
        return tile.image.isNull() ? QVariant() : QVariant(ListIcon(tile.image));
    case Qt::DisplayRole:
    case Qt::EditRole:
        return FromUtf8(Archive().DisplayName(static_cast<std::size_t>(row)));
    case Qt::ToolTipRole:
        return ToolTip(row);
    case StateRole:
        return static_cast<int>(tile.state);
    case ImageRole:
        return tile.image;
    case SummaryRole:
        return Summary(row);
    case ArchiveIndexRole:
        return row;
    default:
        return {};
    }
}

QString GalleryModel::ToolTip(int row) const
{
    // Rich text, which tooltips wrap: a long reason why a picture cannot be
    // shown stays on the screen. The name and the summary keep a line each.
    const Tile& tile = TileAt(row);
    const QString name = FromUtf8(Archive().DisplayName(static_cast<std::size_t>(row)));
    if (tile.state != TileState::Failed)
        return QStringLiteral("<p style='white-space:pre'><b>%1</b><br>%2</p>")
            .arg(name.toHtmlEscaped(), Summary(row).toHtmlEscaped());
    return QStringLiteral("<p style='white-space:pre'><b>%1</b><br>%2, %3</p><p>%4</p>")
        .arg(name.toHtmlEscaped(), KindTitle(tile.kind).toHtmlEscaped(),
             tr("%L1 bytes").arg(Archive().DataSize(static_cast<std::size_t>(row))),
             tr("Cannot be shown: %1").arg(tile.whyNot).toHtmlEscaped());
}

QString GalleryModel::Summary(int row) const
{
    const Tile& tile = TileAt(row);
    const QString bytes =
        tr("%Ln bytes", nullptr, int(Archive().DataSize(static_cast<std::size_t>(row))));
    switch (tile.state) {
    case TileState::Ready:
        return tr("%1, %2 x %3, %4")
            .arg(KindTitle(tile.kind))
            .arg(tile.width)
            .arg(tile.height)
            .arg(bytes);
    case TileState::Failed:
        return tr("%1, %2, cannot be shown: %3").arg(KindTitle(tile.kind), bytes, tile.whyNot);
    case TileState::Unknown:
        return tr("%1, %2, no picture").arg(KindTitle(tile.kind), bytes);
    case TileState::Pending:
    case TileState::Queued:
        break;
    }
    return bytes;
}

bool GalleryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != NameColumn || role != Qt::EditRole ||
        !renameRequested)
        return false;
    return renameRequested(index.row(), value.toString()).isEmpty();
}

Qt::ItemFlags GalleryModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    const Qt::ItemFlags flags =
        Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
    return index.column() == NameColumn ? flags | Qt::ItemIsEditable : flags;
}

QStringList GalleryModel::mimeTypes() const
{
    return {QStringLiteral("text/uri-list")};
}

QMimeData* GalleryModel::mimeData(const QModelIndexList& indexes) const
{
    // The members cannot be read while they are saved: no drag then.
    if (!m_dragDir.isValid() || m_document.Saving())
        return nullptr;
    // A folder per drag: a file manager may still be copying the last one.
    static int drags = 0;
    const fs::path folder = ToPath(m_dragDir.path()) / ("drag-" + std::to_string(++drags));
    std::vector<DragFiles::Member> members;
    for (const QModelIndex& index : indexes) {
        if (index.column() != NameColumn)
            continue;
        const auto row = static_cast<std::size_t>(index.row());
        try {
            members.push_back({Archive().Name(row), Archive().DisplayName(row), Archive().Data(row)});
        } catch (const IoError&) {
            // A member that cannot be read is left out of the drag.
        }
    }
    return new DragFiles(folder, std::move(members));
}

DragFiles::DragFiles(fs::path folder, std::vector<Member> members)
    : m_folder(std::move(folder)), m_members(std::move(members))
{
}

QStringList DragFiles::formats() const
{
    return {QStringLiteral("text/uri-list")};
}

bool DragFiles::hasFormat(const QString& mimeType) const
{
    return mimeType == QLatin1String("text/uri-list");
}

QVariant DragFiles::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType != QLatin1String("text/uri-list"))
        return QMimeData::retrieveData(mimeType, type);
    if (!m_made) {
        // Once, the first time the drop target asks: a drag given up, or
        // dropped back on the gallery, encodes nothing.
        m_made = true;
        archive::FileClaims claims;
        try {
            fileio::CreateFolder(m_folder);
            for (const Member& member : m_members) {
                ExportedFile file =
                    ExportMember(member.name, member.bytes, ExportFormat::Png, false);
                // Of two members whose files would have one name, the first goes.
                if (file.bytes.empty() || claims.Claim(file.fileName, member.displayName))
                    continue;
                const fs::path target = m_folder / ToPath(QString::fromStdString(file.fileName));
                fileio::WriteFile(target, file.bytes);
                m_urls << QUrl::fromLocalFile(ToQString(target));
            }
        } catch (const IoError&) {
            // The drag carries the files written so far.
        }
    }
    // As QMimeData::setUrls keeps them, so that urls() and data() both work.
    QVariantList urls;
    for (const QUrl& url : m_urls)
        urls << url;
    return urls;
}

void GalleryModel::Reset()
{
    beginResetModel();
    m_tiles.assign(Archive().size(), Tile{});
    for (Tile& tile : m_tiles)
        tile.id = m_nextId++;
    m_loaded = 0;
    m_nextRow = 0;
    m_all = false;
    m_wanted.clear();
    ++m_generation;
    m_sharedStale = true;
    endResetModel();
    if (m_tiles.empty())
        emit allLoaded();
}

void GalleryModel::Want(int row)
{
    if (row < 0 || row >= rowCount() || TileAt(row).state != TileState::Pending)
        return;
    m_wanted.push_back(row);
    if (m_wanted.size() > kMaxWanted)
        m_wanted.pop_front();
    StartSoon();
}

void GalleryModel::WantAll()
{
    m_all = true;
    StartSoon();
}

void GalleryModel::StartSoon()
{
    if (m_scheduled)
        return;
    // Never decode from inside a paint: the batch starts once the event
    // loop is back.
    m_scheduled = true;
    QMetaObject::invokeMethod(this, &GalleryModel::Schedule, Qt::QueuedConnection);
}

void GalleryModel::Schedule()
{
    m_scheduled = false;
    if (m_document.Saving())
        return;
    const int maxInFlight = std::max(1, QThreadPool::globalInstance()->maxThreadCount());
    while (m_inFlight < maxInFlight) {
        std::vector<Job> jobs;
        // Member bytes are read here, on the GUI thread: the archive model is
        // not shared with the worker, which gets copies.
        const auto take = [&](std::size_t row) {
            Tile& tile = m_tiles[row];
            if (tile.state != TileState::Pending)
                return;
            try {
                jobs.push_back(
                    {tile.id, static_cast<int>(row), Archive().Name(row), Archive().Data(row)});
                tile.state = TileState::Queued;
            } catch (const IoError& e) {
                tile.state = TileState::Failed;
                tile.whyNot = FromUtf8(e.message());
                ++m_loaded;
                RowChanged(static_cast<int>(row));
            }
        };
        while (!m_wanted.empty() && jobs.size() < kBatch) {
            const auto row = static_cast<std::size_t>(m_wanted.back());
            m_wanted.pop_back();
            if (row < m_tiles.size())
                take(row);
        }
        while (m_all && m_nextRow < m_tiles.size() && jobs.size() < kBatch)
            take(m_nextRow++);
        if (jobs.empty())
            break;
        ++m_inFlight;
        auto* watcher = new QFutureWatcher<std::vector<Result>>(this);
        const std::uint64_t generation = m_generation;
        connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
            --m_inFlight;
            if (generation == m_generation)
                Apply(watcher->result());
            watcher->deleteLater();
            Schedule();
        });
        watcher->setFuture(QtConcurrent::run(&GalleryModel::DecodeBatch, std::move(jobs)));
    }
    if (m_inFlight == 0 && AllLoaded() && !m_tiles.empty())
        emit allLoaded();
}

std::vector<GalleryModel::Result> GalleryModel::DecodeBatch(std::vector<Job> jobs)
{
    std::vector<Result> results;
    results.reserve(jobs.size());
    for (Job& job : jobs) {
        Result result{job.id, job.row, {}};
        Tile& tile = result.tile;
        tile.kind = imagecodec::DetectImageKind(job.name, job.bytes);
        if (tile.kind == ImageKind::ikUnknown) {
            tile.state = TileState::Unknown;
        } else {
            try {
                Icon icon = DecodeIcon(job.name, job.bytes,
                                       ToPath(QString::fromStdString(job.name)), kKeptSide);
                tile.width = static_cast<std::uint32_t>(icon.size.width());
                tile.height = static_cast<std::uint32_t>(icon.size.height());
                tile.image = std::move(icon.image);
                tile.state = TileState::Ready;
            } catch (const IoError& e) {
                tile.state = TileState::Failed;
                tile.whyNot = FromUtf8(e.message());
            } catch (const std::bad_alloc&) {
                tile.state = TileState::Failed;
                tile.whyNot = QCoreApplication::translate("zefir::ui", "out of memory");
            }
        }
        results.push_back(std::move(result));
    }
    return results;
}

int GalleryModel::RowOf(std::uint64_t id, int hint) const
{
    if (hint >= 0 && hint < rowCount() && TileAt(hint).id == id)
        return hint;
    // Rows moved by an edit while the batch ran.
    for (std::size_t i = 0; i < m_tiles.size(); ++i)
        if (m_tiles[i].id == id)
            return static_cast<int>(i);
    return -1;
}

void GalleryModel::Apply(const std::vector<Result>& results)
{
    for (const Result& result : results) {
        // A tile edited meanwhile has a new id and is decoded again.
        const int row = RowOf(result.id, result.row);
        if (row < 0)
            continue;
        Tile& tile = m_tiles[static_cast<std::size_t>(row)];
        tile = result.tile;
        tile.id = result.id;
        ++m_loaded;
        RowChanged(row);
    }
}

void GalleryModel::Invalidate(int row)
{
    Tile& tile = m_tiles[static_cast<std::size_t>(row)];
    if (tile.state != TileState::Pending && tile.state != TileState::Queued)
        --m_loaded;
    tile = Tile{};
    tile.id = m_nextId++;
    Want(row);
    RowChanged(row);
}

QPixmap GalleryModel::ListIcon(const QImage& image)
{
    // Always the same size, so that the names after it line up; at a whole
    // zoom, or shrunk smoothly when larger.
    QPixmap icon(kListIconSide, kListIconSide);
    icon.fill(Qt::transparent);
    const auto zoom = static_cast<int>(imaging::FitZoom(static_cast<std::uint32_t>(image.width()),
                                                        static_cast<std::uint32_t>(image.height()),
                                                        kListIconSide, kListIconSide));
    const QSize size = zoom > 0
                           ? image.size() * zoom
                           : image.size().scaled(kListIconSide, kListIconSide, Qt::KeepAspectRatio);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom == 0);
    painter.drawImage(QRect((kListIconSide - size.width()) / 2, (kListIconSide - size.height()) / 2,
                            size.width(), size.height()),
                      image);
    return icon;
}

int GalleryModel::SharedStart(int row) const
{
    if (m_sharedStale) {
        // Sorted, the names closest to a name are beside it.
        const std::size_t n = Archive().size();
        std::vector<QString> names(n);
        std::vector<std::size_t> order(n);
        for (std::size_t i = 0; i < n; ++i) {
            names[i] = FromUtf8(Archive().DisplayName(i));
            order[i] = i;
        }
        std::sort(order.begin(), order.end(),
                  [&names](std::size_t a, std::size_t b) { return names[a] < names[b]; });
        m_shared.assign(n, 0);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const QString& a = names[order[i]];
            const QString& b = names[order[i + 1]];
            qsizetype common = 0;
            while (common < a.size() && common < b.size() && a[common] == b[common])
                ++common;
            // Never between the halves of a character.
            if (common > 0 && a[common - 1].isHighSurrogate())
                --common;
            for (const std::size_t member : {order[i], order[i + 1]})
                m_shared[member] = std::max(m_shared[member], static_cast<int>(common));
        }
        m_sharedStale = false;
    }
    return static_cast<std::size_t>(row) < m_shared.size() ? m_shared[static_cast<std::size_t>(row)]
                                                           : 0;
}

void GalleryModel::RowChanged(int row, const QList<int>& roles)
{
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), roles);
}

void GalleryModel::Inserted(int row)
{
    beginInsertRows({}, row, row);
    Tile tile;
    tile.id = m_nextId++;
    m_tiles.insert(m_tiles.begin() + row, tile);
    if (m_nextRow > static_cast<std::size_t>(row))
        ++m_nextRow;
    m_sharedStale = true;
    endInsertRows();
    Want(row);
}

void GalleryModel::Removed(int row)
{
    beginRemoveRows({}, row, row);
    const Tile& tile = TileAt(row);
    if (tile.state != TileState::Pending && tile.state != TileState::Queued)
        --m_loaded;
    m_tiles.erase(m_tiles.begin() + row);
    if (m_nextRow > static_cast<std::size_t>(row))
        --m_nextRow;
    m_sharedStale = true;
    endRemoveRows();
}

void GalleryModel::Renamed(int row)
{
    // Its neighbours by name share another start now too.
    m_sharedStale = true;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {SharedStartRole});
    // A raw picture's size is in its name.
    Invalidate(row);
}

void PaintCheckerboard(QPainter& painter, const QRect& rect, int square)
{
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, QColor(0xFF, 0xFF, 0xFF));
    const QColor dark(0xCC, 0xCC, 0xCC);
    for (int y = rect.top(); y <= rect.bottom(); y += square)
        for (int x = rect.left() + ((y - rect.top()) / square % 2) * square; x <= rect.right();
             x += 2 * square)
            painter.fillRect(x, y, square, square, dark);
    painter.restore();
}

GalleryDelegate::GalleryDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QSize GalleryDelegate::TileSize(const QFont& font) const
{
    const QFontMetrics metrics(font);
    // Two lines of name.
    return {std::max(m_side, 72) + 12, m_side + 16 + 2 * metrics.height()};
}

QStringList TileNameLines(const QString& name, const QFontMetrics& metrics, int width, int shared)
{
    if (metrics.horizontalAdvance(name) <= width)
        return {name};
    qsizetype cut = 1;
    while (cut < name.size() && metrics.horizontalAdvance(name.left(cut + 1)) <= width)
        ++cut;
    // After a separator near the end of the line, as a word breaks.
    for (qsizetype i = cut; i > cut * 2 / 3; --i)
        if (QStringLiteral("_- .(").contains(name[i - 1])) {
            cut = i;
            break;
        }
    if (cut < name.size() && name[cut].isLowSurrogate())
        --cut;
    const QString rest = name.mid(cut);
    // From the start of the word or number that differs: "001", not "1".
    while (shared > 0 && shared <= name.size() && name[shared - 1].isLetterOrNumber())
        --shared;
    if (metrics.horizontalAdvance(rest) <= width || shared <= cut)
        return {name.left(cut), metrics.elidedText(rest, Qt::ElideMiddle, width)};
    // Too long for two lines, and what tells the name from the names
    // nearest to it is past the first: the start they share is squeezed
    // into one line, what follows it starts the other.
    return {metrics.elidedText(name.left(shared), Qt::ElideMiddle, width),
            metrics.elidedText(name.mid(shared), Qt::ElideMiddle, width)};
}

QSize GalleryDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return TileSize(option.font);
}

void GalleryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    opt.text.clear();
    opt.icon = {};
    opt.features &= ~QStyleOptionViewItem::HasDecoration;
    // The whole tile shows the selection, not only its (empty) text.
    opt.showDecorationSelected = true;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    painter->save();
    // The current tile is framed whether or not it is selected and whether
    // or not the view has the focus: it is what the commands act on.
    const auto* view = qobject_cast<const QAbstractItemView*>(widget);
    if (view && view->currentIndex() == index) {
        painter->setPen(
            QPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                      : QPalette::Highlight),
                 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(opt.rect).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    const QRect box(opt.rect.x() + (opt.rect.width() - m_side) / 2, opt.rect.y() + 6, m_side,
                    m_side);
    const auto state = static_cast<TileState>(index.data(GalleryModel::StateRole).toInt());
    if (state == TileState::Pending)
        emit pendingPainted(index);
    switch (state) {
    case TileState::Ready: {
        const QImage image = index.data(GalleryModel::ImageRole).value<QImage>();
        const auto zoom = static_cast<int>(imaging::FitZoom(
            static_cast<std::uint32_t>(image.width()), static_cast<std::uint32_t>(image.height()),
            static_cast<std::uint32_t>(m_side), static_cast<std::uint32_t>(m_side)));
        // Whole zooms only, unsmoothed: the phone shows hard pixels. Only a
        // picture larger than the tile is shrunk, and smoothly.
        const QSize size =
            zoom > 0 ? image.size() * zoom : image.size().scaled(box.size(), Qt::KeepAspectRatio);
        const QRect target(box.x() + (box.width() - size.width()) / 2,
                           box.y() + (box.height() - size.height()) / 2, size.width(),
                           size.height());
        PaintCheckerboard(*painter, target, std::clamp(m_side / 8, 4, 8));
        painter->setRenderHint(QPainter::SmoothPixmapTransform, zoom == 0);
        painter->drawImage(target, image);
        if (!m_paintedIcon) {
            m_paintedIcon = true;
            emit firstIconPainted();
        }
        break;
    }
    case TileState::Failed:
        painter->setPen(QPen(opt.palette.color(QPalette::Mid), 1, Qt::DashLine));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        style->standardIcon(QStyle::SP_MessageBoxWarning)
            .paint(painter, box.adjusted(box.width() / 4, box.height() / 4, -box.width() / 4,
                                         -box.height() / 4));
        break;
    case TileState::Unknown:
        style->standardIcon(QStyle::SP_FileIcon)
            .paint(painter, box.adjusted(box.width() / 4, box.height() / 4, -box.width() / 4,
                                         -box.height() / 4));
        break;
    case TileState::Pending:
    case TileState::Queued:
        painter->fillRect(
            box.adjusted(box.width() / 4, box.height() / 4, -box.width() / 4, -box.height() / 4),
            opt.palette.color(QPalette::Midlight));
        break;
    }

    QRect textRect(opt.rect.x() + 2, box.bottom() + 5, opt.rect.width() - 4,
                   opt.fontMetrics.height());
    painter->setPen(opt.palette.color(opt.state & QStyle::State_Selected ? QPalette::HighlightedText
                                                                         : QPalette::Text));
    for (const QString& line :
         TileNameLines(index.data(Qt::DisplayRole).toString(), opt.fontMetrics, textRect.width(),
                       index.data(GalleryModel::SharedStartRole).toInt())) {
        painter->drawText(textRect, Qt::AlignHCenter | Qt::AlignTop, line);
        textRect.translate(0, opt.fontMetrics.height());
    }
    painter->restore();
}

QWidget* GalleryDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QStringLiteral("RenameEdit"));
    // The refusal shows beside the field while the name is typed.
    auto* note = new QLabel(parent);
    note->setObjectName(QStringLiteral("RenameNote"));
    note->setAutoFillBackground(true);
    note->setBackgroundRole(QPalette::ToolTipBase);
    note->setForegroundRole(QPalette::ToolTipText);
    note->setFrameStyle(QFrame::Box);
    note->setWordWrap(true);
    note->hide();
    connect(edit, &QObject::destroyed, note, &QObject::deleteLater);
    const QPersistentModelIndex persistent(index);
    connect(edit, &QLineEdit::textEdited, note,
            [this, edit, note, persistent](const QString& text) {
                const QString why = checkName ? checkName(persistent, text) : QString();
                note->setText(why);
                note->setVisible(!why.isEmpty());
                note->setFixedWidth(std::max(edit->width(), 240));
                note->adjustSize();
                note->move(edit->geometry().bottomLeft() + QPoint(0, 2));
                note->raise();
            });
    edit->setProperty("zefirIndex", QVariant::fromValue(persistent));
    return edit;
}

void SetNameForEditing(QWidget* editor, const QModelIndex& index)
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    // Once: the view sets it again whenever the row's data changes, as when
    // its thumbnail arrives, which would undo what is being typed.
    if (!edit || edit->property("zefirNameSet").toBool())
        return;
    edit->setProperty("zefirNameSet", true);
    edit->setText(index.data(Qt::EditRole).toString());
    // The stem is selected, as file managers do, so that typing keeps the
    // extension and with it the kind.
    // Queued: the view selects the whole text once the editor is shown.
    QTimer::singleShot(0, edit, [edit] {
        const int dot = edit->text().lastIndexOf(QLatin1Char('.'));
        edit->setSelection(0, dot > 0 ? dot : edit->text().size());
    });
}

void GalleryDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    SetNameForEditing(editor, index);
}

void NameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const
{
    if (static_cast<TileState>(index.data(GalleryModel::StateRole).toInt()) == TileState::Pending)
        emit pendingPainted(index);
    QStyledItemDelegate::paint(painter, option, index);
}

void NameDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    SetNameForEditing(editor, index);
}

void GalleryDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                   const QModelIndex& index) const
{
    const QString text = static_cast<QLineEdit*>(editor)->text();
    if (text != index.data(Qt::EditRole).toString())
        model->setData(index, text, Qt::EditRole);
}

void GalleryDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                           const QModelIndex&) const
{
    const int width = std::max(option.rect.width(), 160);
    const int height = editor->sizeHint().height();
    editor->setGeometry(option.rect.center().x() - width / 2, option.rect.bottom() - height + 2,
                        width, height);
}

bool GalleryDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(object);
    if (edit && event->type() == QEvent::KeyPress && checkName) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const auto index = edit->property("zefirIndex").value<QPersistentModelIndex>();
            // A name the archive cannot take keeps the field open, with why.
            if (!checkName(index, edit->text()).isEmpty()) {
                emit edit->textEdited(edit->text());
                return true;
            }
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

int SelectedTileCount(const QItemSelectionModel& selection)
{
    const QModelIndexList indexes = selection.selectedIndexes();
    return static_cast<int>(std::count_if(indexes.begin(), indexes.end(),
                                          [](const QModelIndex& i) { return i.column() == 0; }));
}

QModelIndexList TargetIndexes(const QItemSelectionModel& selection)
{
    QModelIndexList rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        if (index.column() == 0)
            rows << index;
    if (rows.size() > 1) {
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    const QModelIndex current = selection.currentIndex();
    if (current.isValid())
        return {current.siblingAtColumn(0)};
    return rows;
}

GalleryView::GalleryView(QWidget* parent) : QListView(parent)
{
    setObjectName(QStringLiteral("Gallery"));
    setViewMode(QListView::IconMode);
    setMovement(QListView::Static);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(512);
    setWrapping(true);
    setSpacing(2);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Whole rows, so that the details view shows the same selection.
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Renaming goes through the editor's command, which renames the tile
    // the commands act on, or refuses when several are selected.
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(true);
    setAcceptDrops(true);
    // Drops arrive at the viewport, which must take them itself.
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
}

namespace {

// What the gallery and the details view share: files dropped from outside,
// Enter and typed text, the selection following Ctrl+arrows, and drags of
// what the commands act on.

bool IsOutsideFileDrop(const QAbstractItemView* view, const QDropEvent* event)
{
    // Tiles dragged within the editor are not files to take in.
    if (event->source() == view || !event->mimeData()->hasUrls())
        return false;
    const QList<QUrl> urls = event->mimeData()->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
}

// Accepts, as a copy, a drag of files from outside while it enters or moves
// over the view; false for any other drag.
bool AcceptOutsideFiles(const QAbstractItemView* view, QDragMoveEvent* event)
{
    if (!IsOutsideFileDrop(view, event))
        return false;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

// Takes the drop and returns its files, or returns nothing and refuses it.
QStringList TakeFileDrop(const QAbstractItemView* view, QDropEvent* event)
{
    if (!IsOutsideFileDrop(view, event)) {
        event->ignore();
        return {};
    }
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files << url.toLocalFile();
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return files;
}

enum class KeyUse { None, Enter, Text };

KeyUse UseOfKey(const QKeyEvent* event, bool editing)
{
    if (editing)
        return KeyUse::None;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return KeyUse::Enter;
    const QString text = event->text();
    const bool plain =
        !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    return plain && !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace() ? KeyUse::Text
                                                                                     : KeyUse::None;
}

QItemSelectionModel::SelectionFlags FollowCurrent(QItemSelectionModel::SelectionFlags command,
                                                  const QEvent* event,
                                                  const QItemSelectionModel& selection)
{
    // In a Qt list Ctrl with an arrow moves the current item alone. While
    // at most one tile is selected, the selection follows it here, so that
    // the tile marked is the one acted on; among several, Ctrl+arrows and
    // Ctrl+Space still pick tiles one by one.
    if (command == QItemSelectionModel::NoUpdate && event && event->type() == QEvent::KeyPress &&
        SelectedTileCount(selection) <= 1)
        return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
    return command;
}

void StartTileDrag(QAbstractItemView* view, Qt::DropActions actions)
{
    // The tiles the commands would act on, not only the selected ones.
    const QModelIndexList indexes = TargetIndexes(*view->selectionModel());
    if (indexes.isEmpty())
        return;
    QMimeData* mime = view->model()->mimeData(indexes);
    if (!mime)
        return;
    auto* drag = new QDrag(view);
    drag->setMimeData(mime);
    const QImage image = indexes.constFirst().data(GalleryModel::ImageRole).value<QImage>();
    if (!image.isNull())
        drag->setPixmap(QPixmap::fromImage(
            image.width() > 64 || image.height() > 64
                ? image.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                : image));
    drag->exec(actions, Qt::CopyAction);
}

} // namespace

void GalleryView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!AcceptOutsideFiles(this, event))
        QListView::dragEnterEvent(event);
}

void GalleryView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!AcceptOutsideFiles(this, event))
        event->ignore();
}

void GalleryView::dropEvent(QDropEvent* event)
{
    const QStringList files = TakeFileDrop(this, event);
    if (!files.isEmpty())
        emit filesDropped(indexAt(event->position().toPoint()), files);
}

void GalleryView::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0)
            emit zoomBy(delta > 0 ? 1 : -1);
        event->accept();
        return;
    }
    QListView::wheelEvent(event);
}

void GalleryView::keyPressEvent(QKeyEvent* event)
{
    switch (UseOfKey(event, state() == QAbstractItemView::EditingState)) {
    case KeyUse::Enter:
        emit enterPressed();
        return;
    case KeyUse::Text:
        emit typedText(event->text());
        return;
    case KeyUse::None:
        break;
    }
    QListView::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags GalleryView::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const
{
    return FollowCurrent(QListView::selectionCommand(index, event), event, *selectionModel());
}

void GalleryView::startDrag(Qt::DropActions actions)
{
    StartTileDrag(this, actions);
}

bool TileSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    const QVariant a = left.data(GalleryModel::SortRole);
    const QVariant b = right.data(GalleryModel::SortRole);
    int order = 0;
    if (a.typeId() == QMetaType::QString)
        order = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    else
        order = a.toLongLong() < b.toLongLong() ? -1 : a.toLongLong() > b.toLongLong() ? 1 : 0;
    // Ties keep the archive's order, whatever was sorted before.
    return order != 0 ? order < 0 : left.row() < right.row();
}

DetailsView::DetailsView(QWidget* parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("Details"));
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setIconSize({GalleryModel::kListIconSide, GalleryModel::kListIconSide});
    setItemDelegateForColumn(GalleryModel::NameColumn, new NameDelegate(this));
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::CopyAction);
    header()->setSortIndicatorClearable(true);
}

void DetailsView::dragEnterEvent(QDragEnterEvent* event)
{
    if (!AcceptOutsideFiles(this, event))
        QTreeView::dragEnterEvent(event);
}

void DetailsView::dragMoveEvent(QDragMoveEvent* event)
{
    if (!AcceptOutsideFiles(this, event))
        event->ignore();
}

void DetailsView::dropEvent(QDropEvent* event)
{
    const QStringList files = TakeFileDrop(this, event);
    if (files.isEmpty())
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit filesDropped(index.isValid() ? index.siblingAtColumn(0) : index, files);
}

void DetailsView::keyPressEvent(QKeyEvent* event)
{
    switch (UseOfKey(event, state() == QAbstractItemView::EditingState)) {
    case KeyUse::Enter:
        emit enterPressed();
        return;
    case KeyUse::Text:
        emit typedText(event->text());
        return;
    case KeyUse::None:
        break;
    }
    QTreeView::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags DetailsView::selectionCommand(const QModelIndex& index,
                                                                  const QEvent* event) const
{
    return FollowCurrent(QTreeView::selectionCommand(index, event), event, *selectionModel());
}

void DetailsView::startDrag(Qt::DropActions actions)
{
    StartTileDrag(this, actions);
}

PreviewPane::PreviewPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Preview"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("PreviewCaption"));
    m_caption->setWordWrap(true);
    // Two lines always, so that the screen below does not move.
    m_caption->setFixedHeight(2 * m_caption->fontMetrics().lineSpacing() + 4);
    m_zoomBox = new QComboBox(this);
    m_zoomBox->setObjectName(QStringLiteral("PreviewZoom"));
    for (int zoom = 1; zoom <= 8; ++zoom)
        m_zoomBox->addItem(QStringLiteral("%1x").arg(zoom), zoom);
    m_backgroundBox = new QComboBox(this);
    m_backgroundBox->setObjectName(QStringLiteral("PreviewBackground"));
    m_backgroundBox->addItems({tr("Checkerboard"), tr("Black")});

    // The phone's screen; an icon zoomed past it scrolls.
    m_screen = new QWidget;
    m_screen->setObjectName(QStringLiteral("PreviewScreen"));
    m_screen->installEventFilter(this);
    m_scroll = new QScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("PreviewScroll"));
    m_scroll->setWidget(m_screen);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setFixedSize(kScreen);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("Zoom:"), this));
    controls->addWidget(m_zoomBox);
    controls->addWidget(m_backgroundBox);
    controls->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_caption);
    layout->addWidget(m_scroll, 0, Qt::AlignHCenter);
    layout->addLayout(controls);
    layout->addStretch();
    setMinimumWidth(kScreen.width() + 24);

    m_zoomBox->setCurrentIndex(m_zoom - 1);
    connect(m_zoomBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_zoom = i + 1;
        UpdateScreen();
    });
    connect(m_backgroundBox, &QComboBox::currentIndexChanged, m_screen,
            qOverload<>(&QWidget::update));
}

void PreviewPane::SetTile(const QString& name, const Tile* tile)
{
    m_image = tile && tile->state == TileState::Ready ? tile->image : QImage();
    if (!tile)
        m_caption->setText(QString());
    else if (tile->state == TileState::Ready)
        m_caption->setText(
            QStringLiteral("%1\n%2 x %3").arg(name).arg(tile->width).arg(tile->height));
    else
        m_caption->setText(name);
    m_text = !tile                               ? QString()
             : tile->state == TileState::Failed  ? tile->whyNot
             : tile->state == TileState::Unknown ? tr("No picture")
             : tile->state == TileState::Ready   ? QString()
                                                 : tr("Loading...");
    UpdateScreen();
}

void PreviewPane::SetZoom(int zoom)
{
    m_zoomBox->setCurrentIndex(std::clamp(zoom, 1, 8) - 1);
}

int PreviewPane::FittingZoom() const
{
    if (m_image.isNull())
        return m_zoom;
    const auto zoom = static_cast<int>(imaging::FitZoom(
        static_cast<std::uint32_t>(m_image.width()), static_cast<std::uint32_t>(m_image.height()),
        static_cast<std::uint32_t>(kScreen.width()), static_cast<std::uint32_t>(kScreen.height())));
    return std::clamp(zoom, 1, 8);
}

void PreviewPane::UpdateScreen()
{
    // At least the screen; larger when the zoomed icon is, the scroll area
    // then scrolling over it, kept centred.
    m_screen->setMinimumSize(m_image.isNull() ? QSize(0, 0) : m_image.size() * m_zoom);
    m_screen->update();
    QTimer::singleShot(0, this, [this] {
        for (QScrollBar* bar : {m_scroll->horizontalScrollBar(), m_scroll->verticalScrollBar()})
            bar->setValue((bar->minimum() + bar->maximum()) / 2);
    });
}

bool PreviewPane::eventFilter(QObject* object, QEvent* event)
{
    if (object != m_screen || event->type() != QEvent::Paint)
        return QWidget::eventFilter(object, event);
    QPainter painter(m_screen);
    const QRect screen = m_screen->rect();
    if (m_backgroundBox->currentIndex() == 0)
        PaintCheckerboard(painter, screen);
    else
        painter.fillRect(screen, Qt::black);
    if (!m_image.isNull()) {
        const QSize size = m_image.size() * m_zoom;
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRect(screen.center().x() + 1 - size.width() / 2,
                                screen.center().y() + 1 - size.height() / 2, size.width(),
                                size.height()),
                          m_image);
    } else if (!m_text.isEmpty()) {
        painter.setPen(m_backgroundBox->currentIndex() == 0 ? Qt::black : Qt::white);
        painter.drawText(screen.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, m_text);
    }
    return true;
}

} // namespace zefir::ui
