// The EZX icon archive. All integers are unsigned 32-bit little-endian.
//
//   0        55 bytes  header text "motoskin\n\nv1.00\n" + offset field (8 hex
//                      digits at 16, giving P) + "\n\nComment: zefirkit\nID table:\n\n"
//   55       names     each member name followed by 0x0A, in entry order
//            padding   0x00 up to the next multiple of 4
//   P        20 bytes  directory: marker 0xABCDDCBA, NamesBase, EntryCount,
//                      TableOffset, DataBase
//   P + 20   12 bytes per entry: Hash, NameOffset (from NamesBase),
//                      DataOffset (from DataBase)
//   DataBase member blocks: marker 0xDCBAABCD, size, size data bytes
//
// The reader takes every region from the directory, so regions may lie in any
// order; it ignores the markers and the hashes.

#include "core/archive/EzxFormat.h"

#include <algorithm>

#include "core/ByteReader.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"
#include "core/Text.h"
#include "core/archive/MemberName.h"

namespace zefir::archive {

namespace {

constexpr std::string_view kHeaderTemplate =
    "motoskin\n\nv1.00\n00000000\n\nComment: zefirkit\nID table:\n\n";
static_assert(kHeaderTemplate.size() == kHeaderSize);

// Offsets in the archive are 32-bit file positions, signed on the phone.
constexpr std::uint64_t kMaxArchiveSize = 0x7FFFFFFF;

// The fields read from an archive, as messages name them.
constexpr MessageText kMemberSizeField = ZEFIR_MESSAGE("zefir::archive", "member size");
constexpr MessageText kMemberField = ZEFIR_MESSAGE("zefir::archive", "member");

std::string Entries(std::uint64_t n)
{
    return FillCount(ZEFIR_PLURAL("zefir::archive", "%n entries", "%n entry"), n,
                     std::to_string(n));
}

int HexDigitValue(char c)
{
    // Folded to upper case first: "a" to "f" read as "A" to "F".
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

Directory DecodeDirectory(std::span<const std::byte> bytes)
{
    // The word at P, the directory marker, is not checked.
    Directory d;
    d.namesBase = GetU32(bytes.data() + 4);
    d.entryCount = GetU32(bytes.data() + 8);
    d.tableOffset = GetU32(bytes.data() + 12);
    d.dataBase = GetU32(bytes.data() + 16);
    return d;
}

Entry DecodeEntry(const std::byte* bytes)
{
    return Entry{GetU32(bytes), GetU32(bytes + 4), GetU32(bytes + 8)};
}

} // namespace

std::uint32_t NameHash(std::string_view name)
{
    std::uint32_t h = 0;
    for (char c : name)
        h = (h << 1) ^ (h >> 20) ^ static_cast<unsigned char>(c);
    return h;
}

std::array<char, 8> EncodeOffsetField(std::uint32_t offset)
{
    constexpr char kDigits[] = "0123456789abcdef";
    std::array<char, 8> field{};
    for (int j = 0; j < 8; ++j)
        field[j] = kDigits[(offset >> (28 - 4 * j)) & 0xF];
    return field;
}

std::uint32_t DecodeOffsetField(std::span<const std::byte, 8> field, const fs::path& path)
{
    std::uint32_t value = 0;
    for (std::byte b : field) {
        int digit = HexDigitValue(static_cast<char>(b));
        if (digit < 0) {
            std::string text;
            for (std::byte c : field) {
                auto u = static_cast<unsigned char>(c);
                text += (u >= 0x20 && u < 0x7F) ? static_cast<char>(u) : '?';
            }
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                             "the header's offset field \"%1\" is not hexadecimal"),
                               text),
                          path);
        }
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

ArchiveReader::ArchiveReader(const fs::path& path)
    : m_file(std::make_unique<fileio::InputFile>(path))
{
    const std::uint64_t size = m_file->Size();
    std::array<std::byte, 8> field{};
    if (size < kOffsetFieldPosition + field.size())
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "not an EZX archive: the file is too short for its header (%1)"),
                 ByteCount(size)),
            path);
    m_file->ReadExactAt(kOffsetFieldPosition, field,
                        ZEFIR_MESSAGE("zefir::archive", "offset field"));
    m_directoryOffset = DecodeOffsetField(field, path);

    std::array<std::byte, kDirectorySize> dir{};
    if (m_directoryOffset > size || dir.size() > size - m_directoryOffset)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                         "the directory at %1 lies past the end of the file (%2)"),
                           Hex(m_directoryOffset), ByteCount(size)),
                      path);
    m_file->ReadExactAt(m_directoryOffset, dir, ZEFIR_MESSAGE("zefir::archive", "directory"));
    m_directory = DecodeDirectory(dir);

    if (m_directory.entryCount > kMaxEntries)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                         "the directory lists %1, more than the limit of %2"),
                           Entries(m_directory.entryCount), kMaxEntries),
                      path, ErrorKind::OverLimit);
    const std::uint64_t tableSize = std::uint64_t{m_directory.entryCount} * kEntrySize;
    if (m_directory.tableOffset > size || tableSize > size - m_directory.tableOffset)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "the entry table at %1 (%2) runs past the end of the file (%3)"),
                 Hex(m_directory.tableOffset), Entries(m_directory.entryCount), ByteCount(size)),
            path);

    // EntryTable: read whole, decoded one entry at a time.
    std::vector<std::byte> table(static_cast<std::size_t>(tableSize));
    m_file->ReadExactAt(m_directory.tableOffset, table,
                        ZEFIR_MESSAGE("zefir::archive", "entry table"));
    m_entries.reserve(m_directory.entryCount);
    for (std::size_t i = 0; i < m_directory.entryCount; ++i)
        m_entries.push_back(DecodeEntry(table.data() + i * kEntrySize));
}

ArchiveReader::~ArchiveReader() = default;

const fs::path& ArchiveReader::path() const noexcept
{
    return m_file->path();
}

std::string ArchiveReader::ReadName(std::size_t index) const
{
    const std::uint64_t size = m_file->Size();
    const std::uint64_t at = std::uint64_t{m_directory.namesBase} + m_entries.at(index).nameOffset;
    if (at >= size)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "entry %1: the name at %2 lies past the end of the file (%3)"),
                 index, Hex(at), ByteCount(size)),
            path());
    // A fixed 100 bytes are read for every name (fewer at the end of the
    // file); the name ends at the first 0x0A.
    std::array<std::byte, kNameReadSize> buffer{};
    std::size_t got = m_file->ReadAt(at, buffer);
    auto end = std::find(buffer.begin(), buffer.begin() + got, std::byte{0x0A});
    if (end == buffer.begin() + got)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "entry %1: the name at %2 has no end (0x0A) within %3 bytes"),
                 index, Hex(at), kNameReadSize),
            path());
    return std::string(reinterpret_cast<const char*>(buffer.data()),
                       static_cast<std::size_t>(end - buffer.begin()));
}

std::vector<std::string> ArchiveReader::ReadNames() const
{
    std::vector<std::string> names(m_entries.size());
    if (m_entries.empty())
        return names;
    const std::uint64_t size = m_file->Size();
    std::uint64_t low = ~std::uint64_t{0};
    std::uint64_t high = 0;
    for (const Entry& e : m_entries) {
        const std::uint64_t at = std::uint64_t{m_directory.namesBase} + e.nameOffset;
        low = std::min(low, at);
        high = std::max(high, std::min(at + kNameReadSize, size));
    }
    // Names scattered over the file (never so by the writer) are read one
    // at a time rather than with everything between them.
    if (low >= high || high - low > kNameReadSize * m_entries.size()) {
        for (std::size_t i = 0; i < m_entries.size(); ++i)
            names[i] = ReadName(i);
        return names;
    }
    std::vector<std::byte> region(static_cast<std::size_t>(high - low));
    m_file->ReadExactAt(low, region, ZEFIR_MESSAGE("zefir::archive", "names"));
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const std::uint64_t at = std::uint64_t{m_directory.namesBase} + m_entries[i].nameOffset;
        // ReadName reports a name past the end or without its 0x0A.
        if (at >= size) {
            names[i] = ReadName(i);
            continue;
        }
        const auto first = region.begin() + static_cast<std::ptrdiff_t>(at - low);
        const auto last =
            first + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(kNameReadSize, size - at));
        const auto end = std::find(first, last, std::byte{0x0A});
        if (end == last)
            names[i] = ReadName(i);
        else
            names[i].assign(reinterpret_cast<const char*>(&*first),
                            static_cast<std::size_t>(end - first));
    }
    return names;
}

void ArchiveReader::ReadRange(std::uint64_t offset, std::span<std::byte> out,
                              const MessageText& what) const
{
    m_file->ReadExactAt(offset, out, what);
}

std::uint32_t ArchiveReader::ReadMemberSize(std::size_t index) const
{
    return ReadMemberHeader(index).size;
}

std::uint64_t ArchiveReader::MemberHeaderAt(std::size_t index) const
{
    const std::uint64_t size = m_file->Size();
    const std::uint64_t at = std::uint64_t{m_directory.dataBase} + m_entries.at(index).dataOffset;
    if (at > size || kMemberHeaderSize > size - at)
        throw IoError(
            Fill(ZEFIR_MESSAGE(
                     "zefir::archive",
                     "entry %1: the member block at %2 lies past the end of the file (%3)"),
                 index, Hex(at), ByteCount(size)),
            path());
    return at;
}

ArchiveReader::MemberHeader
ArchiveReader::DecodeMemberHeader(std::size_t index, std::uint64_t at,
                                  std::span<const std::byte, kMemberHeaderSize> bytes) const
{
    const std::uint64_t size = m_file->Size();
    const std::uint32_t memberSize = GetU32(bytes.data() + 4);
    if (memberSize > kMaxMemberSize)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive",
                               "entry %1: the member's size (%2) is above the limit of 1 MiB"),
                 index, ByteCount(memberSize)),
            path(), ErrorKind::OverLimit);
    const std::uint64_t data = at + kMemberHeaderSize;
    if (memberSize > size - data)
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::archive", "entry %1: the member's data at %2 (%3) runs past "
                                                 "the end of the file (%4)"),
                 index, Hex(data), ByteCount(memberSize), ByteCount(size)),
            path());
    return {memberSize, GetU32(bytes.data()) == kMemberMarker};
}

ArchiveReader::MemberHeader ArchiveReader::ReadMemberHeader(std::size_t index) const
{
    const std::uint64_t at = MemberHeaderAt(index);
    // Marker and size in one read.
    std::array<std::byte, kMemberHeaderSize> header{};
    m_file->ReadExactAt(at, header, kMemberSizeField);
    return DecodeMemberHeader(index, at, header);
}

namespace {

// A window is one read: at most this much is held, and a header further
// than kHeaderGap from the one before starts a new window, since copying
// the bytes between costs more than a read of its own.
constexpr std::uint64_t kHeaderWindow = 64 * 1024;
constexpr std::uint64_t kHeaderGap = 2 * 1024;

} // namespace

ArchiveReader::MemberHeader ArchiveReader::HeaderScan::Read(std::size_t index)
{
    const std::uint64_t at = m_reader.MemberHeaderAt(index);
    if (at < m_windowAt || at - m_windowAt > m_window.size() ||
        kMemberHeaderSize > m_window.size() - (at - m_windowAt))
        Fill(index, at);
    const std::span<const std::byte, kMemberHeaderSize> header(m_window.data() + (at - m_windowAt),
                                                               kMemberHeaderSize);
    return m_reader.DecodeMemberHeader(index, at, header);
}

void ArchiveReader::HeaderScan::Fill(std::size_t index, std::uint64_t at)
{
    // The window runs from this header over the following entries' headers
    // while each lies close after the one before and within the file.
    const std::uint64_t size = m_reader.m_file->Size();
    const std::uint64_t dataBase = m_reader.m_directory.dataBase;
    const std::span<const Entry> entries = m_reader.entries();
    std::uint64_t last = at;
    for (std::size_t next = index + 1; next < entries.size(); ++next) {
        const std::uint64_t header = dataBase + entries[next].dataOffset;
        if (header <= last || header - last > kHeaderGap || header > size ||
            kMemberHeaderSize > size - header || header + kMemberHeaderSize - at > kHeaderWindow)
            break;
        last = header;
    }
    m_window.resize(static_cast<std::size_t>(last + kMemberHeaderSize - at));
    m_windowAt = at;
    try {
        m_reader.m_file->ReadExactAt(at, m_window, kMemberSizeField);
    } catch (...) {
        m_window.clear();
        throw;
    }
}

std::uint64_t ArchiveReader::ExpectedMemberSize(std::size_t index, std::uint64_t at) const
{
    // The writer puts each block right before the next, the last one at the
    // end of the file; anything else is read the slow way.
    const std::uint64_t size = m_file->Size();
    std::uint64_t end = size;
    if (index + 1 < m_entries.size())
        end = std::uint64_t{m_directory.dataBase} + m_entries[index + 1].dataOffset;
    if (end < at + kMemberHeaderSize || end > size || end - at - kMemberHeaderSize > kMaxMemberSize)
        return 0;
    return end - at - kMemberHeaderSize;
}

std::span<const std::byte> ArchiveReader::ReadMemberData(std::size_t index,
                                                         std::vector<std::byte>& buffer) const
{
    const std::uint64_t at = MemberHeaderAt(index);
    // Header and data in one read when the size can be told beforehand; the
    // header is still what decides, and checked as ReadMemberHeader checks it.
    const std::uint64_t expected = ExpectedMemberSize(index, at);
    buffer.resize(static_cast<std::size_t>(kMemberHeaderSize + expected));
    m_file->ReadExactAt(at, buffer, expected == 0 ? kMemberSizeField : kMemberField);
    const MemberHeader header =
        DecodeMemberHeader(index, at, std::span(buffer).first<kMemberHeaderSize>());
    if (header.size > expected) {
        buffer.resize(kMemberHeaderSize + header.size);
        m_file->ReadExactAt(at + kMemberHeaderSize + expected,
                            std::span(buffer).subspan(kMemberHeaderSize + expected),
                            kMemberDataField);
    }
    return std::span(buffer).subspan(kMemberHeaderSize, header.size);
}

namespace {

// At most this much member data is held ahead: a block larger than that is
// read on its own.
constexpr std::uint64_t kDataWindow = 256 * 1024;

} // namespace

std::span<const std::byte> ArchiveReader::DataScan::Read(std::size_t index,
                                                         std::vector<std::byte>& buffer)
{
    const std::uint64_t at = m_reader.MemberHeaderAt(index);
    const std::uint64_t expected = m_reader.ExpectedMemberSize(index, at);
    const std::uint64_t end = at + kMemberHeaderSize + expected;
    const bool held = at >= m_windowAt && end <= m_windowAt + m_window.size();
    if (expected == 0 || (!held && !Fill(index, at, end)))
        return m_reader.ReadMemberData(index, buffer);
    const auto first = m_window.begin() + static_cast<std::ptrdiff_t>(at - m_windowAt);
    buffer.assign(first, first + static_cast<std::ptrdiff_t>(end - at));
    const MemberHeader header =
        m_reader.DecodeMemberHeader(index, at, std::span(buffer).first<kMemberHeaderSize>());
    // A size beyond the next block's start: the slow way reads on.
    if (header.size > expected)
        return m_reader.ReadMemberData(index, buffer);
    return std::span(buffer).subspan(kMemberHeaderSize, header.size);
}

// The window runs from this block over the following ones while each starts
// where the one before ends, up to kDataWindow. False when even this block
// does not fit, or the read failed (the slow way then says why).
bool ArchiveReader::DataScan::Fill(std::size_t index, std::uint64_t at, std::uint64_t end)
{
    m_window.clear();
    if (end - at > kDataWindow)
        return false;
    const std::span<const Entry> entries = m_reader.entries();
    const std::uint64_t dataBase = m_reader.m_directory.dataBase;
    std::uint64_t last = end;
    for (std::size_t next = index + 1; next < entries.size(); ++next) {
        const std::uint64_t header = dataBase + entries[next].dataOffset;
        if (header != last)
            break;
        const std::uint64_t size = m_reader.ExpectedMemberSize(next, header);
        if (size == 0 || header + kMemberHeaderSize + size - at > kDataWindow)
            break;
        last = header + kMemberHeaderSize + size;
    }
    m_window.resize(static_cast<std::size_t>(last - at));
    m_windowAt = at;
    try {
        m_reader.m_file->ReadExactAt(at, m_window, kMemberField);
    } catch (const IoError&) {
        m_window.clear();
        return false;
    }
    return true;
}

void ArchiveReader::ReadMember(std::size_t index, std::vector<std::byte>& memberBuffer) const
{
    const std::size_t memberSize = ReadMemberData(index, memberBuffer).size();
    memberBuffer.erase(memberBuffer.begin(),
                       memberBuffer.begin() + static_cast<std::ptrdiff_t>(kMemberHeaderSize));
    memberBuffer.resize(memberSize);
}

ArchiveLayout PlanArchive(std::span<const std::string> names, std::span<const std::uint32_t> sizes,
                          const fs::path& archive)
{
    if (names.size() != sizes.size())
        throw IoError(Translated(ZEFIR_MESSAGE("zefir::archive",
                                               "internal error: names and sizes differ in number")),
                      archive);
    if (names.size() > kMaxEntries)
        throw IoError(
            FillCount(ZEFIR_PLURAL("zefir::archive", "%n members are more than the limit of %1",
                                   "%n member is more than the limit of %1"),
                      names.size(), std::to_string(names.size()), kMaxEntries),
            archive, ErrorKind::OverLimit);
    ArchiveLayout layout;
    layout.entryCount = static_cast<std::uint32_t>(names.size());
    layout.entries.reserve(names.size());

    std::uint64_t namesEnd = kHeaderSize;
    std::uint64_t nameOffset = 0;
    std::uint64_t dataOffset = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        // The reader reads 100 bytes for a name and stops at the first 0x0A:
        // a longer name, or one holding 0x0A, would not read back.
        if (auto whyNot = WhyNotMemberName(name, NameUse::Format))
            throw IoError(*whyNot, archive);
        if (sizes[i] > kMaxMemberSize)
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                             "member \"%1\" is %2, more than the limit of 1 MiB"),
                               PrintableName(name), ByteCount(sizes[i])),
                          archive, ErrorKind::OverLimit);
        layout.entries.push_back(Entry{NameHash(name), static_cast<std::uint32_t>(nameOffset),
                                       static_cast<std::uint32_t>(dataOffset)});
        nameOffset += name.size() + 1;
        namesEnd += name.size() + 1;
        dataOffset += kMemberHeaderSize + sizes[i];
    }
    const std::uint64_t directory = (namesEnd + 3) / 4 * 4;
    const std::uint64_t dataBase = directory + kDirectorySize + kEntrySize * names.size();
    layout.fileSize = dataBase + dataOffset;
    if (layout.fileSize > kMaxArchiveSize)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::archive",
                                         "the archive would be %1, more than the limit of 2 GiB"),
                           ByteCount(layout.fileSize)),
                      archive, ErrorKind::OverLimit);
    layout.directoryOffset = static_cast<std::uint32_t>(directory);
    return layout;
}

std::vector<std::byte> EncodeArchiveHead(const ArchiveLayout& layout,
                                         std::span<const std::string> names)
{
    const std::uint32_t p = layout.directoryOffset;
    const std::uint32_t tableOffset = p + kDirectorySize;
    const std::uint32_t dataBase = tableOffset + kEntrySize * layout.entryCount;
    std::vector<std::byte> out(dataBase, std::byte{0});

    auto header = std::as_bytes(std::span(kHeaderTemplate));
    std::copy(header.begin(), header.end(), out.begin());
    const auto field = EncodeOffsetField(p);
    for (std::size_t j = 0; j < field.size(); ++j)
        out[kOffsetFieldPosition + j] = static_cast<std::byte>(field[j]);

    std::size_t at = kHeaderSize;
    for (const std::string& name : names) {
        auto bytes = std::as_bytes(std::span(name));
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        at += name.size();
        out[at++] = std::byte{0x0A};
    }
    // The padding up to P is already zero.

    PutU32(&out[p], kDirectoryMarker);
    PutU32(&out[p + 4], kHeaderSize);
    PutU32(&out[p + 8], layout.entryCount);
    PutU32(&out[p + 12], tableOffset);
    PutU32(&out[p + 16], dataBase);
    for (std::size_t i = 0; i < layout.entries.size(); ++i) {
        std::byte* entry = &out[tableOffset + i * kEntrySize];
        PutU32(entry, layout.entries[i].hash);
        PutU32(entry + 4, layout.entries[i].nameOffset);
        PutU32(entry + 8, layout.entries[i].dataOffset);
    }
    return out;
}

std::array<std::byte, kMemberHeaderSize> EncodeMemberHeader(std::uint32_t size)
{
    std::array<std::byte, kMemberHeaderSize> header{};
    PutU32(header.data(), kMemberMarker);
    PutU32(header.data() + 4, size);
    return header;
}

std::vector<std::byte> BuildArchive(std::span<const Member> members, const fs::path& archive)
{
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    for (const Member& m : members) {
        names.push_back(m.name);
        sizes.push_back(
            static_cast<std::uint32_t>(std::min<std::size_t>(m.data.size(), 0xFFFFFFFF)));
    }
    ArchiveLayout layout = PlanArchive(names, sizes, archive);
    std::vector<std::byte> out = EncodeArchiveHead(layout, names);
    out.reserve(static_cast<std::size_t>(layout.fileSize));
    for (const Member& m : members) {
        auto header = EncodeMemberHeader(static_cast<std::uint32_t>(m.data.size()));
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), m.data.begin(), m.data.end());
    }
    return out;
}

void WriteArchive(std::span<const Member> members, const fs::path& archive)
{
    fileio::OutputFile out(archive);
    out.Write(BuildArchive(members, archive));
    out.Commit();
}

} // namespace zefir::archive
