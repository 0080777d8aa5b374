#pragma once

// Helpers shared by the extraction and packing tests: an IProgress and an
// IMemberList that record every call, reading an archive back whole, members
// of every phone format, and what the tests of damaged input and failed
// writes compare before and after an operation.

#ifdef _WIN32
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#undef CopyFile
#endif
#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "TestUtil.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/Progress.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

namespace zefir::test {

// Records each call as one line: "show", "caption <text>", "<position>",
// "close". An optional hook runs on each caption, to change files between
// the phases of an operation.
class RecordingProgress final : public archive::IProgress {
public:
    void Show() override { events.push_back("show"); }
    void SetCaption(std::string_view caption) override
    {
        events.push_back("caption " + std::string(caption));
        if (onCaption)
            onCaption(caption);
    }
    void SetPosition(int position) override { events.push_back(std::to_string(position)); }
    void Close() override { events.push_back("close"); }

    std::vector<std::string> events;
    std::function<void(std::string_view)> onCaption;
};

class RecordingList final : public archive::IMemberList {
public:
    void AddName(std::string_view name) override { names.emplace_back(name); }
    void SelectIndex(int index) override { selected.push_back(index); }

    std::vector<std::string> names;
    std::vector<int> selected;
};

using Files = std::map<std::string, std::vector<std::byte>>;

// Every named member, in archive order.
inline std::vector<archive::Member> ReadArchive(const fs::path& path)
{
    archive::ArchiveReader reader(path);
    std::vector<archive::Member> out;
    for (std::size_t i = 0; i < reader.entries().size(); ++i)
        if (archive::Member m{reader.ReadName(i), {}}; !m.name.empty()) {
            reader.ReadMember(i, m.data);
            out.push_back(std::move(m));
        }
    return out;
}

// Members by name, for comparisons where the order does not matter.
inline Files ByName(const std::vector<archive::Member>& members)
{
    Files out;
    for (const auto& m : members)
        out[m.name] = m.data;
    return out;
}

// "file: reason" for each file left out.
inline std::vector<std::string> LeftOutLines(const std::vector<archive::LeftOut>& leftOut)
{
    std::vector<std::string> out;
    for (const auto& l : leftOut)
        out.push_back(l.file + ": " + l.reason);
    return out;
}

// A conv.dat holding `records` (its writer is pinned by a byte-exact test).
inline std::vector<std::byte> ConvMapBytes(const std::vector<archive::TConvRec>& records)
{
    std::vector<std::byte> image;
    for (const auto& r : records)
        archive::AppendConvRec(image, r, "conv.dat");
    return archive::ConvMapFileBytes(static_cast<std::uint32_t>(records.size()), image);
}

// Opaque and fully transparent pixels with colours every phone format holds
// exactly (channels of 6 bits, and of 5 and 6 for raw pictures).
inline imaging::Bitmap ExactPicture(std::uint32_t w, std::uint32_t h, std::uint32_t seed)
{
    imaging::Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            if ((x + y + seed) % 5 != 0)
                bmp.At(x, y) = 0xFF000000u | ((x * 37 + seed * 11) % 32) << 19 |
                               ((y * 19 + seed * 7) % 64) << 10 | (((x ^ y) + seed) % 32) << 3;
    return bmp;
}

// Partial alpha, for the 32-bit Moto Bitmap and PNG.
inline imaging::Bitmap Translucent(std::uint32_t w, std::uint32_t h)
{
    imaging::Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x)
            bmp.At(x, y) = (x * 16 + y) << 24 | (x * 20) << 16 | (y * 20) << 8 | 0x40;
    return bmp;
}

inline const std::string kIconCp1251 = "\xC7\xED\xE0\xF7\xEE\xEA"; // "Значок"

// Members of every kind: each phone format, a raw picture, Moto Images that
// come out as ".unk" (a JPEG, unknown bytes, none at all, a name with 0x98,
// the one byte Windows-1251 leaves unassigned) and a member with no
// converter. The first four are the ones only conversion takes back.
inline std::vector<archive::Member> PhoneMembers()
{
    namespace codec = imagecodec;
    return {
        {"a.k", codec::EncodeMotoBitmap18(ExactPicture(16, 12, 1), "a.k")},
        {"s.k", codec::EncodeMotoBitmap32(Translucent(12, 10), "s.k")},
        {kIconCp1251 + ".k", codec::EncodeMotoBitmap18(ExactPicture(7, 5, 2), "icon")},
        {"logo(12x10).raw", codec::EncodeRawPicture(ExactPicture(12, 10, 5), "logo(12x10).raw")},
        {"g.g", imaging::EncodePicture(ExactPicture(9, 9, 3), "image/gif", "g.g")},
        {"p.g", imaging::EncodePicture(Translucent(8, 6), "image/png", "p.g")},
        {"j.g", imaging::EncodePicture(ExactPicture(8, 8, 4), "image/jpeg", "j.g")},
        {"m.g", Bytes("JUNK")},
        {"empty.g", {}},
        {"\x98\xFF.g", Bytes({0x98})},
        // Two names with one hash.
        {"ab.g", Bytes("ab")},
        {"B$.g", Bytes("B$")},
        {"notes.txt", Bytes("not a picture")},
    };
}

// What the process has open, to compare before and after an operation.
inline std::size_t OpenFiles()
{
#ifdef _WIN32
    DWORD handles = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
    return handles;
#else
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
#endif
}

// Every entry below a folder, as UTF-8 paths relative to it, with "/"
// between names on every system.
inline std::set<std::string> Listing(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string name = Utf8Of(fs::relative(entry.path(), folder));
        std::replace(name.begin(), name.end(), static_cast<char>(fs::path::preferred_separator),
                     '/');
        names.insert(std::move(name));
    }
    return names;
}

// The files below a folder, by path relative to it, with their contents.
inline Files FolderFiles(const fs::path& folder)
{
    Files files;
    for (const std::string& entry : Listing(folder))
        if (fs::is_regular_file(folder / PathFromUtf8(entry)))
            files[entry] = ReadBytes(folder / PathFromUtf8(entry));
    return files;
}

} // namespace zefir::test
