#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/imagecodec/ImageCodec.h"

namespace zefir::archive {

namespace fs = std::filesystem;
using imagecodec::ImageKind;

// One record of conv.dat: the member's name in the archive, the file name of
// the picture extraction made from it, and the member's image kind.
struct TConvRec {
    std::string OrigName;
    std::string ConvName;
    ImageKind Kind = ImageKind::ikUnknown;

    bool operator==(const TConvRec&) const = default;
};

// MapBuffer: a map image, and so conv.dat, is at most 1 MiB.
inline constexpr std::size_t kMapBufferSize = 1024 * 1024;
inline constexpr const char* kConvMapFileName = "conv.dat";

// Appends one record (L1, OrigName, L2, ConvName, Kind) to a map image.
// Throws IoError naming `mapFile` when the image would pass MapBuffer's size.
void AppendConvRec(std::vector<std::byte>& mapImage, const TConvRec& rec,
                   const fs::path& mapFile);
// The whole file: the record count, then the image.
std::vector<std::byte> ConvMapFileBytes(std::uint32_t count, std::span<const std::byte> mapImage);

// One node of the search tree. Children are indices into the tree's node
// array (kNoNode when empty) rather than pointers, so that freeing a
// degenerate tree of 65,536 nodes needs no recursion.
struct TSearchTree {
    static constexpr std::uint32_t kNoNode = 0xFFFFFFFF;
    TConvRec Rec;
    std::uint32_t Left = kNoNode;  // keys smaller than or equal to this one
    std::uint32_t Right = kNoNode; // keys greater than this one
};

// The map as packing holds it: an unbalanced binary search tree keyed by
// ConvName, compared byte by byte (ordinal, case-sensitive). On equal keys
// the record inserted first is found. Insertion and lookup walk iteratively.
class ConvMap {
public:
    void AddConvRec(const TConvRec& rec);
    // The record whose ConvName equals `name`, or the default record
    // (empty names, Kind ikUnknown).
    TConvRec FindConvRec(std::string_view name) const;
    void FreeSearchTree() noexcept;
    bool empty() const noexcept { return m_nodes.empty(); }
    std::size_t size() const noexcept { return m_nodes.size(); }

private:
    std::uint32_t SearchRoot() const noexcept
    {
        return m_nodes.empty() ? TSearchTree::kNoNode : 0;
    }
    std::vector<TSearchTree> m_nodes;
};

// Parses the bytes of a conv.dat and inserts every record in file order.
// A damaged map (over 1 MiB, a count or a length running past the end, a
// kind above 4) throws IoError naming `path`.
void ParseConvMap(std::span<const std::byte> bytes, const fs::path& path, ConvMap& map);
// Loads folder/conv.dat. Returns false, leaving the map empty, when there is
// no such file; a damaged or unreadable file throws.
bool LoadConvMap(const fs::path& folder, ConvMap& map);

} // namespace zefir::archive
