// An archive open for editing. Each member is its name and either the place
// of its unchanged data in the opened file (read when asked for) or the new
// data the caller gave. Saving lays the members out as PlanArchive does and
// streams them one at a time into a temporary file beside the target, which
// replaces the target only when complete.

#include "core/archive/ArchiveModel.h"

#include <string>
#include <unordered_map>
#include <utility>

#include "core/ByteReader.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/MemberName.h"
#include "core/imagecodec/ImageCodec.h"

namespace zefir::archive {

namespace {

constexpr MessageText kSavingCaption = ZEFIR_MESSAGE("zefir::archive", "Saving archive");

struct MemberRecord {
    std::string name;
    std::uint32_t size = 0;
    // The entry in the opened file, for an unchanged member.
    std::size_t entry = 0;
    bool changed = false;
    // The opened file's block starts with the writer's marker, so the block
    // can be copied as it is.
    bool markerRight = true;
    std::vector<std::byte> data; // for a changed or added member
};

// "w x h", or empty for a raw picture's name that gives none.
std::string RawSizeOfName(std::string_view name)
{
    std::int32_t width = 0;
    std::int32_t height = 0;
    if (!imagecodec::ParseRawDimensions(name, width, height) || width <= 0 || height <= 0)
        return {};
    return std::to_string(width) + "x" + std::to_string(height);
}

// A raw picture's size is in its name: a new name with another size would
// make the phone read its bytes as another picture.
void CheckRawSizeKept(const std::string& oldName, const std::string& newName, const fs::path& where)
{
    if (AsciiUpper(ExtensionOf(oldName)) != ".RAW")
        return;
    const std::string before = RawSizeOfName(oldName);
    const std::string after = RawSizeOfName(newName);
    if (!before.empty() && before != after)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive", "member \"%1\" cannot be renamed to \"%2\": the "
                                                 "name of a raw picture gives its size, %3, and "
                                                 "the new name gives %4"),
                 PrintableName(oldName), PrintableName(newName), before,
                 after.empty() ? Translated(ZEFIR_MESSAGE("zefir::archive", "no size")) : after),
            where, ErrorKind::Refused);
}

} // namespace

struct ArchiveModel::Impl {
    fs::path path;
    std::unique_ptr<ArchiveReader> reader;
    std::vector<MemberRecord> members;
    // How many members hold each name, so that a taken name is found at
    // once even in an archive of 65,536 members. Built when a name is first
    // checked: replacing, removing or exporting members never needs it, and
    // building it costs an allocation per member.
    mutable std::unordered_map<std::string, std::size_t> nameCount;
    mutable bool nameCountBuilt = false;
    bool modified = false;

    const MemberRecord& At(std::size_t index) const
    {
        if (index >= members.size())
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                             "there is no member number %1 (the archive has %2)"),
                               index, members.size()),
                          path, ErrorKind::Refused);
        return members[index];
    }

    const std::unordered_map<std::string, std::size_t>& NameCount() const
    {
        if (!nameCountBuilt) {
            std::unordered_map<std::string, std::size_t> counts;
            counts.reserve(members.size());
            for (const MemberRecord& m : members)
                ++counts[m.name];
            nameCount = std::move(counts);
            nameCountBuilt = true;
        }
        return nameCount;
    }

    void CheckFreeName(const std::string& name) const
    {
        if (NameCount().count(name) != 0)
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::archive", "a member named \"%1\" is already there"),
                     PrintableName(name)),
                path, ErrorKind::Refused);
    }

    // Until the counts are built, the members themselves are the record.
    void CountName(const std::string& name)
    {
        if (nameCountBuilt)
            ++nameCount[name];
    }
    void UncountName(const std::string& name)
    {
        if (!nameCountBuilt)
            return;
        auto found = nameCount.find(name);
        if (found != nameCount.end() && --found->second == 0)
            nameCount.erase(found);
    }

    // Where an unchanged member's block starts in the opened file; checked
    // to lie within it when the archive was opened.
    std::uint64_t BlockAt(const MemberRecord& m) const
    {
        return std::uint64_t{reader->directory().dataBase} + reader->entries()[m.entry].dataOffset;
    }

    // Copies unchanged members from `first` on whose blocks follow each
    // other in the opened file, as the writer lays them out, in one copy the
    // kernel makes without reading them in. Returns the member after the
    // last one copied. A block whose marker is not the writer's is read and
    // written alone, its marker as the writer writes it.
    std::size_t CopyRun(std::size_t first, fileio::OutputFile& out,
                        std::vector<std::byte>& buffer) const
    {
        const MemberRecord& m = members[first];
        const std::uint64_t start = BlockAt(m);
        if (!m.markerRight) {
            buffer.resize(kMemberHeaderSize + m.size);
            reader->ReadRange(start, buffer, kMemberDataField);
            // The directory was read when the archive was opened; another
            // program may have changed the file since.
            if (GetU32(&buffer[4]) != m.size)
                throw IoError(
                    Fill(ZEFIR_MESSAGE("zefir::archive",
                                       "member \"%1\" changed size since the archive was opened"),
                         PrintableName(m.name)),
                    path, ErrorKind::CannotRead);
            PutU32(buffer.data(), kMemberMarker);
            out.Write(buffer);
            return first + 1;
        }
        std::uint64_t length = 0;
        std::size_t end = first;
        while (end < members.size() && !members[end].changed && members[end].markerRight &&
               BlockAt(members[end]) == start + length) {
            length += kMemberHeaderSize + members[end].size;
            ++end;
        }
        out.CopyRange(reader->file(), start, length);
        return end;
    }

    // Every member as the opened file holds it.
    void Load(std::unique_ptr<ArchiveReader> opened)
    {
        std::vector<MemberRecord> loaded;
        std::vector<std::string> names = opened->ReadNames();
        ArchiveReader::HeaderScan headers(*opened);
        loaded.reserve(names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            MemberRecord m;
            m.name = std::move(names[i]);
            // Left out, as extraction leaves it out.
            if (m.name.empty())
                continue;
            // A member becomes a file of that name when exported: refused
            // here, as extraction refuses it.
            try {
                CheckName(m.name, opened->path());
            } catch (const IoError& e) {
                throw IoError(Fill(kEntryFault, i, e.message()), opened->path(), e.kind());
            }
            const ArchiveReader::MemberHeader header = headers.Read(i);
            m.size = header.size;
            m.markerRight = header.markerRight;
            m.entry = i;
            loaded.push_back(std::move(m));
        }
        path = opened->path();
        reader = std::move(opened);
        members = std::move(loaded);
        nameCount.clear();
        nameCountBuilt = false;
        modified = false;
    }
};

ArchiveModel::ArchiveModel() : m_impl(std::make_unique<Impl>()) {}

ArchiveModel::ArchiveModel(const fs::path& path, Locking locking)
    : m_impl(std::make_unique<Impl>())
{
    auto reader = std::make_unique<ArchiveReader>(path);
    if (locking == Locking::ForChange) {
        // Another process may have saved over the file between the open and
        // the lock: then its file is the one to change, opened again.
        constexpr int kAttempts = 5;
        reader->file().LockForChange();
        for (int attempt = 1; reader->file().PathNamesAnotherFile(); ++attempt) {
            if (attempt == kAttempts)
                throw IoError(Translated(ZEFIR_MESSAGE("zefir::fileio",
                                                       "is being changed by another process")),
                              path, ErrorKind::Refused);
            reader = std::make_unique<ArchiveReader>(path);
            reader->file().LockForChange();
        }
    }
    m_impl->Load(std::move(reader));
}

ArchiveModel::~ArchiveModel() = default;
ArchiveModel::ArchiveModel(ArchiveModel&&) noexcept = default;
ArchiveModel& ArchiveModel::operator=(ArchiveModel&&) noexcept = default;

const fs::path& ArchiveModel::path() const noexcept
{
    return m_impl->path;
}

std::size_t ArchiveModel::size() const noexcept
{
    return m_impl->members.size();
}

const std::string& ArchiveModel::Name(std::size_t index) const
{
    return m_impl->At(index).name;
}

std::string ArchiveModel::DisplayName(std::size_t index) const
{
    return Cp1251ToUtf8(m_impl->At(index).name);
}

std::uint32_t ArchiveModel::DataSize(std::size_t index) const
{
    return m_impl->At(index).size;
}

std::vector<std::byte> ArchiveModel::Data(std::size_t index) const
{
    std::vector<std::byte> bytes;
    Data(index, bytes);
    return bytes;
}

void ArchiveModel::Data(std::size_t index, std::vector<std::byte>& buffer) const
{
    const MemberRecord& m = m_impl->At(index);
    if (m.changed) {
        buffer.assign(m.data.begin(), m.data.end());
        return;
    }
    m_impl->reader->ReadMember(m.entry, buffer);
    // The directory was read when the archive was opened; another program
    // may have changed the file since.
    if (buffer.size() != m.size)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive", "member \"%1\" is now %2, not %3: the file "
                                                 "changed since it was opened"),
                 PrintableName(m.name), ByteCount(buffer.size()), Grouped(m.size)),
            m_impl->path, ErrorKind::CannotRead);
}

std::vector<std::size_t> ArchiveModel::FindAll(std::string_view name) const
{
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_impl->members.size(); ++i)
        if (m_impl->members[i].name == name)
            found.push_back(i);
    return found;
}

std::size_t ArchiveModel::FindOne(std::string_view name) const
{
    const std::vector<std::size_t> found = FindAll(name);
    if (found.empty())
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive", "no member named \"%1\""), PrintableName(name)),
            m_impl->path, ErrorKind::Refused);
    if (found.size() > 1)
        throw IoError(FillCount(ZEFIR_PLURAL("zefir::archive",
                                             "%n members are named \"%1\"; the name does "
                                             "not say which",
                                             "%n member is named \"%1\"; the name does not "
                                             "say which"),
                                found.size(), std::to_string(found.size()), PrintableName(name)),
                      m_impl->path, ErrorKind::Refused);
    return found.front();
}

void ArchiveModel::Replace(std::size_t index, std::vector<std::byte> data)
{
    m_impl->At(index);
    CheckData(data.size(), m_impl->path);
    MemberRecord& m = m_impl->members[index];
    m.size = static_cast<std::uint32_t>(data.size());
    m.data = std::move(data);
    m.changed = true;
    m_impl->modified = true;
}

std::size_t ArchiveModel::Add(std::string name, std::vector<std::byte> data)
{
    const std::size_t index = size();
    Insert(index, std::move(name), std::move(data));
    return index;
}

void ArchiveModel::Insert(std::size_t index, std::string name, std::vector<std::byte> data)
{
    if (index > size())
        throw IoError(FillCount(ZEFIR_PLURAL("zefir::archive",
                                             "there is no place %1 (the archive has %n "
                                             "members)",
                                             // As it always read, also for one.
                                             "there is no place %1 (the archive has %n "
                                             "members)"),
                                size(), std::to_string(size()), index),
                      m_impl->path, ErrorKind::Refused);
    CheckName(name, m_impl->path);
    CheckData(data.size(), m_impl->path);
    if (size() >= kMaxEntries)
        throw IoError(FillCount(ZEFIR_PLURAL("zefir::archive",
                                             "the archive already holds %n members, the "
                                             "limit",
                                             "the archive already holds %n member, the limit"),
                                size(), std::to_string(size())),
                      m_impl->path, ErrorKind::OverLimit);
    m_impl->CheckFreeName(name);
    MemberRecord m;
    m.name = std::move(name);
    m.size = static_cast<std::uint32_t>(data.size());
    m.data = std::move(data);
    m.changed = true;
    m_impl->CountName(m.name);
    m_impl->members.insert(m_impl->members.begin() + static_cast<std::ptrdiff_t>(index),
                           std::move(m));
    m_impl->modified = true;
}

void ArchiveModel::Remove(std::size_t index)
{
    m_impl->At(index);
    m_impl->UncountName(m_impl->members[index].name);
    m_impl->members.erase(m_impl->members.begin() + static_cast<std::ptrdiff_t>(index));
    m_impl->modified = true;
}

void ArchiveModel::CheckRename(std::size_t index, const std::string& newName) const
{
    const MemberRecord& m = m_impl->At(index);
    if (newName == m.name)
        return;
    CheckName(newName, m_impl->path);
    // The extension says what kind of file a member is; the data would no
    // longer match it.
    if (AsciiUpper(ExtensionOf(newName)) != AsciiUpper(ExtensionOf(m.name)))
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive", "member \"%1\" cannot be renamed to \"%2\": "
                                                 "another extension would make it another kind "
                                                 "of file"),
                 PrintableName(m.name), PrintableName(newName)),
            m_impl->path, ErrorKind::Refused);
    CheckRawSizeKept(m.name, newName, m_impl->path);
    m_impl->CheckFreeName(newName);
}

void ArchiveModel::Rename(std::size_t index, std::string newName)
{
    CheckRename(index, newName);
    const MemberRecord& m = m_impl->At(index);
    if (newName == m.name)
        return;
    m_impl->UncountName(m.name);
    m_impl->CountName(newName);
    m_impl->members[index].name = std::move(newName);
    m_impl->modified = true;
}

ArchiveModel::DiskState ArchiveModel::OnDisk() const
{
    if (!m_impl->reader)
        return DiskState::Unchanged;
    const fileio::InputFile& file = m_impl->reader->file();
    if (file.ChangedSinceOpened())
        return DiskState::Changed;
    return file.PathNamesAnotherFile() ? DiskState::Replaced : DiskState::Unchanged;
}

void ArchiveModel::Save(const fs::path& target, IProgress& progress, WhenReplaced whenReplaced)
{
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    names.reserve(size());
    sizes.reserve(size());
    for (const MemberRecord& m : m_impl->members) {
        names.push_back(m.name);
        sizes.push_back(m.size);
    }
    // Every offset is known before the first byte is written.
    const ArchiveLayout layout = PlanArchive(names, sizes, target);
    if (m_impl->reader) {
        // While another process changes the archive, nothing is saved over
        // its work, nor it over this save.
        m_impl->reader->file().LockForChange();
        // Unchanged members are copied unread, so the file must still be
        // the one whose directory was read.
        const DiskState state = OnDisk();
        if (state == DiskState::Changed)
            throw IoError(
                Translated(ZEFIR_MESSAGE("zefir::archive",
                                         "the file changed since it was opened; open it again")),
                m_impl->path, ErrorKind::CannotRead);
        if (state == DiskState::Replaced && whenReplaced == WhenReplaced::Refuse &&
            (target == m_impl->path || fileio::SameFile(target, m_impl->path)))
            throw IoError(Translated(ZEFIR_MESSAGE("zefir::archive",
                                                   "another program saved over the file since it "
                                                   "was opened; saving would undo its changes, "
                                                   "so open it again")),
                          m_impl->path, ErrorKind::Refused);
    }

    progress.Show();
    try {
        progress.SetCaption(Translated(kSavingCaption));
        {
            // The source stays open and readable until the temporary file
            // is renamed over it, so saving over it works.
            fileio::OutputFile out(target, fileio::Target::Named);
            out.Write(EncodeArchiveHead(layout, names));
            std::vector<std::byte> buffer;
            for (std::size_t i = 0; i < size();) {
                const MemberRecord& m = m_impl->members[i];
                if (m.changed) {
                    out.Write(EncodeMemberHeader(m.size));
                    out.Write(m.data);
                    ++i;
                } else {
                    i = m_impl->CopyRun(i, out, buffer);
                }
                progress.SetPosition(ProgressPosition(i - 1, size()));
            }
            if (m_impl->reader)
                out.Commit(m_impl->reader->file());
            else
                out.Commit();
        }
        // From now on the members are read from the new file, whose entries
        // are the members in order.
        auto reader = std::make_unique<ArchiveReader>(target);
        for (std::size_t i = 0; i < size(); ++i) {
            MemberRecord& m = m_impl->members[i];
            m.entry = i;
            m.changed = false;
            m.data = {};
        }
        m_impl->reader = std::move(reader);
        m_impl->path = target;
        m_impl->modified = false;
    } catch (...) {
        progress.Close();
        throw;
    }
    progress.Close();
}

void ArchiveModel::Save(const fs::path& target)
{
    NullProgress progress;
    Save(target, progress);
}

bool ArchiveModel::IsModified() const noexcept
{
    return m_impl->modified;
}

void ArchiveModel::CheckName(std::string_view name, const fs::path& where)
{
    if (auto whyNot = WhyNotMemberName(name, NameUse::Stored))
        throw IoError(*whyNot, where, ErrorKind::Refused);
}

void ArchiveModel::CheckData(std::size_t size, const fs::path& where)
{
    if (size > kMaxMemberSize)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "the data is %1, more than the limit of 1 MiB for a member"),
                 ByteCount(size)),
            where, ErrorKind::OverLimit);
}

std::string ArchiveModel::NameFromUtf8(std::string_view utf8, const fs::path& where)
{
    const std::size_t badAt = FirstInvalidUtf8(utf8);
    if (badAt != std::string_view::npos)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                         "the name is not valid UTF-8 (byte %1 at position %2)"),
                           Hex(static_cast<unsigned char>(utf8[badAt])), badAt),
                      where, ErrorKind::Refused);
    const std::optional<std::string> bytes = Utf8ToCp1251(utf8);
    if (!bytes)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "the name \"%1\" holds a character Windows-1251 cannot write"),
                 Printable(utf8)),
            where, ErrorKind::Refused);
    if (auto whyNot = WhyNotMemberName(*bytes, NameUse::New))
        throw IoError(*whyNot, where, ErrorKind::Refused);
    return *bytes;
}

} // namespace zefir::archive
