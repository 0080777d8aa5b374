// conv.dat, the conversion map. Integers are unsigned 32-bit little-endian;
// there is no magic, version or padding.
//
//   0      4       N, the number of records
//   4      ...     N records, one after the other:
//            0        4    L1, the length of OrigName
//            4        L1   OrigName (the member's name in the archive)
//            4+L1     4    L2, the length of ConvName
//            8+L1     L2   ConvName (the converted picture's file name)
//            8+L1+L2  1    Kind (image kind code 0 to 4)

#include "core/archive/ConvMap.h"

#include <cerrno>

#include "core/ByteReader.h"
#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Message.h"

namespace zefir::archive {

namespace {

// The smallest record: two empty names and the kind.
constexpr std::size_t kMinRecordSize = 9;

void AppendString(std::vector<std::byte>& image, std::string_view text)
{
    std::byte length[4];
    PutU32(length, static_cast<std::uint32_t>(text.size()));
    image.insert(image.end(), length, length + 4);
    auto bytes = std::as_bytes(std::span(text));
    image.insert(image.end(), bytes.begin(), bytes.end());
}

// A string field of a record: its length, then its bytes.
struct StringField {
    MessageText length;
    MessageText text;
};
constexpr StringField kMemberName{ZEFIR_MESSAGE("zefir::archive", "member name length"),
                                  ZEFIR_MESSAGE("zefir::archive", "member name")};
constexpr StringField kPictureName{ZEFIR_MESSAGE("zefir::archive", "picture name length"),
                                   ZEFIR_MESSAGE("zefir::archive", "picture name")};

// Messages name the record a field belongs to.
void Need(const ByteReader& reader, std::size_t length, std::uint32_t index,
          const MessageText& field)
{
    if (!reader.Has(reader.position(), length))
        reader.Fail(Fill(ZEFIR_MESSAGE("zefir::archive",
                                       "record %1: %2 at %3 runs past the end of the file (%4)"),
                         index, Translated(field), Hex(reader.position()),
                         ByteCount(reader.size())));
}

std::string ReadString(ByteReader& reader, std::uint32_t index, const StringField& field)
{
    Need(reader, 4, index, field.length);
    const std::uint32_t length = reader.ReadU32(field.length);
    Need(reader, length, index, field.text);
    auto bytes = reader.ReadBytes(length, field.text);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

TConvRec ReadConvRec(ByteReader& reader, std::uint32_t index)
{
    TConvRec rec;
    rec.OrigName = ReadString(reader, index, kMemberName);
    rec.ConvName = ReadString(reader, index, kPictureName);
    constexpr MessageText kKindField = ZEFIR_MESSAGE("zefir::archive", "image kind");
    Need(reader, 1, index, kKindField);
    const std::uint8_t kind = reader.ReadU8(kKindField);
    if (kind > static_cast<std::uint8_t>(ImageKind::ikUnknown))
        reader.Fail(
            Fill(ZEFIR_MESSAGE("zefir::archive", "record %1: image kind %2 is not one of 0 to 4"),
                 index, kind));
    rec.Kind = static_cast<ImageKind>(kind);
    return rec;
}

} // namespace

void AppendConvRec(std::vector<std::byte>& mapImage, const TConvRec& rec, const fs::path& mapFile)
{
    // The whole file, count included, must fit in MapBuffer to load again.
    const std::size_t recordSize = kMinRecordSize + rec.OrigName.size() + rec.ConvName.size();
    if (mapImage.size() + 4 > kMapBufferSize || recordSize > kMapBufferSize - 4 - mapImage.size())
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::archive",
                                     "the conversion map would be larger than its limit of 1 MiB")),
            mapFile, ErrorKind::OverLimit);
    AppendString(mapImage, rec.OrigName);
    AppendString(mapImage, rec.ConvName);
    mapImage.push_back(static_cast<std::byte>(rec.Kind));
}

std::vector<std::byte> ConvMapFileBytes(std::uint32_t count, std::span<const std::byte> mapImage)
{
    std::vector<std::byte> bytes(4);
    PutU32(bytes.data(), count);
    bytes.insert(bytes.end(), mapImage.begin(), mapImage.end());
    return bytes;
}

void ConvMap::AddConvRec(const TConvRec& rec)
{
    const auto node = static_cast<std::uint32_t>(m_nodes.size());
    m_nodes.push_back(TSearchTree{rec, TSearchTree::kNoNode, TSearchTree::kNoNode});
    if (node == 0)
        return;
    // Greater keys go right, smaller or equal ones left: an equal key lands
    // below the first, so lookup finds the record inserted first.
    std::string_view key = rec.ConvName;
    std::uint32_t at = SearchRoot();
    for (;;) {
        TSearchTree& current = m_nodes[at];
        std::uint32_t& next =
            key > std::string_view(current.Rec.ConvName) ? current.Right : current.Left;
        if (next == TSearchTree::kNoNode) {
            next = node;
            return;
        }
        at = next;
    }
}

TConvRec ConvMap::FindConvRec(std::string_view name) const
{
    // std::string_view compares char_traits<char>-wise: byte by byte as
    // unsigned values, a prefix before the longer key.
    std::uint32_t at = SearchRoot();
    while (at != TSearchTree::kNoNode) {
        const TSearchTree& current = m_nodes[at];
        const int order = name.compare(current.Rec.ConvName);
        if (order == 0)
            return current.Rec;
        at = order > 0 ? current.Right : current.Left;
    }
    return TConvRec{};
}

void ConvMap::FreeSearchTree() noexcept
{
    m_nodes.clear();
    m_nodes.shrink_to_fit();
}

void ParseConvMap(std::span<const std::byte> bytes, const fs::path& path, ConvMap& map)
{
    if (bytes.size() > kMapBufferSize)
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::archive",
                                     "the conversion map is larger than its limit of 1 MiB")),
            path, ErrorKind::OverLimit);
    ByteReader reader(bytes, path);
    const std::uint32_t count = reader.ReadU32(ZEFIR_MESSAGE("zefir::archive", "record count"));
    // Each record takes at least 9 bytes; a count the file cannot hold is
    // refused before any record is read.
    if (count > reader.remaining() / kMinRecordSize)
        reader.Fail(Fill(
            ZEFIR_MESSAGE("zefir::archive", "the record count %1 does not fit in the file (%2)"),
            count, ByteCount(bytes.size())));
    for (std::uint32_t i = 0; i < count; ++i)
        map.AddConvRec(ReadConvRec(reader, i));
    // Bytes after the last record are ignored, as they always have been.
}

bool LoadConvMap(const fs::path& folder, ConvMap& map)
{
    const fs::path path = folder / kConvMapFileName;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(path, error)))
        return false;
    // A map that is there but cannot be read is an error: packing without it
    // would silently pick other phone formats.
    ParseConvMap(fileio::ReadFile(path, kMapBufferSize), path, map);
    return true;
}

} // namespace zefir::archive
