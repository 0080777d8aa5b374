// Extraction of a whole archive into a working folder W:
//
//   W/raws/NAME        each member's bytes, unchanged
//   W/icons/PICTURE    with conversion: a standard picture of each member
//   W/icons/conv.dat   with conversion: member name, picture name and kind of
//                      every member, in archive order
//
// Member names are bytes, Windows-1251 above 0x7F; on disk they are that
// text in UTF-8, so a name survives extraction and packing byte for byte.

#include <cstdint>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/FileIo.h"
#include "core/Text.h"
#include "core/archive/Archive.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"

namespace zefir::archive {

namespace {

constexpr std::string_view kExtractingCaption = "Extracting icons";

// A member name as it appears in messages: UTF-8, control bytes escaped.
std::string Printable(std::string_view name)
{
    std::string out;
    for (char c : Cp1251ToUtf8(name)) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            constexpr char kDigits[] = "0123456789ABCDEF";
            out += "\\x";
            out += kDigits[u >> 4];
            out += kDigits[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

// A name is written as one file inside raws and icons; a separator, a NUL
// byte or a name that means a folder would reach outside them.
bool IsSafeFileName(std::string_view name)
{
    if (name == "." || name == "..")
        return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

void CheckFormat(imagecodec::Format format, const fs::path& archive)
{
    const auto code = static_cast<unsigned>(format);
    if (code >= imagecodec::TargetExtensions.size())
        throw IoError("target format code " + std::to_string(code) + " is not one of 0 to 3",
                      archive);
}

// The map image of conv.dat as it grows, one record per extracted member.
struct MapImage {
    std::vector<std::byte> records;
    std::uint32_t count = 0;
};

class Extraction {
public:
    Extraction(const fs::path& archive, const fs::path& workFolder,
               const ConversionSettings& settings, IProgress& progress, IMemberList& list,
               std::vector<LeftOut>* notConverted)
        : m_archive(archive),
          m_raws(workFolder / "raws"),
          m_icons(workFolder / "icons"),
          m_settings(settings),
          m_progress(progress),
          m_list(list),
          m_notConverted(notConverted)
    {
    }

    void Run()
    {
        CheckFormat(m_settings.TargetFormat, m_archive);
        {
            // Opened, and its directory and table checked, before any folder
            // is created.
            ArchiveReader reader(m_archive);
            fileio::CreateFolder(m_raws);
            fileio::CreateFolder(m_icons);
            const std::size_t count = reader.entries().size();
            for (std::size_t i = 0; i < count; ++i)
                ExtractEntry(reader, i, count);
        }
        // Written last and whole: an extraction that fails keeps the map of
        // the last one that succeeded.
        if (m_settings.ConvertEnabled)
            fileio::WriteFile(m_icons / kConvMapFileName,
                              ConvMapFileBytes(m_map.count, m_map.records));
        m_list.SelectIndex(0);
    }

private:
    void ExtractEntry(const ArchiveReader& reader, std::size_t index, std::size_t count)
    {
        const std::string name = reader.ReadName(index);
        // An entry without a name is passed over; the progress bar stays.
        if (name.empty())
            return;
        if (!IsSafeFileName(name))
            throw IoError("entry " + std::to_string(index) + ": member name \"" +
                              Printable(name) + "\" is not a safe file name",
                          m_archive);
        const std::string fileName = Cp1251ToUtf8(name);
        const fs::path raw = m_raws / fileName;
        // One buffer for every member: memory does not grow with the archive.
        reader.ReadMember(index, m_memberBuffer);
        fileio::WriteFile(raw, m_memberBuffer);
        m_progress.SetPosition(ProgressPosition(index, count));
        m_list.AddName(name);
        if (m_settings.ConvertEnabled)
            ConvertMember(name, fileName, raw);
    }

    // The member's picture in icons and its record in the map. A member that
    // has no converter, or is too damaged to convert, still gets its record
    // with the kind found; its raw file is all there is of it, and the
    // caller hears why.
    void ConvertMember(const std::string& name, const std::string& fileName, const fs::path& raw)
    {
        const imagecodec::Format format = m_settings.TargetFormat;
        fs::path picture = m_icons / ReplaceExtension(fileName, imagecodec::TargetExtension(format));
        imagecodec::ImageKind kind = imagecodec::ImageKind::ikUnknown;
        std::string whyNot;
        bool converted = false;
        try {
            converted = imagecodec::ConvertFromPhone(raw, picture, format, kind, &whyNot);
        } catch (const IoError& e) {
            // One damaged member does not stop the extraction of the rest;
            // a picture that cannot be written (a full disk) does, like any
            // other write, and the error names that picture.
            if (e.path() != raw)
                throw;
            whyNot = e.message();
        }
        if (!converted && m_notConverted)
            m_notConverted->push_back({fileName, whyNot});
        const fs::path mapFile = m_icons / kConvMapFileName;
        AppendConvRec(m_map.records, TConvRec{name, ConvNameOf(picture, mapFile), kind}, mapFile);
        ++m_map.count;
    }

    // The picture's file name as the map keeps it: Windows-1251 bytes, like
    // the member name it was made from.
    static std::string ConvNameOf(const fs::path& picture, const fs::path& mapFile)
    {
        auto bytes = Utf8ToCp1251(picture.filename().string());
        if (!bytes)
            throw IoError("the picture name \"" + picture.filename().string() +
                              "\" cannot be written in Windows-1251",
                          mapFile);
        return *bytes;
    }

    const fs::path& m_archive;
    const fs::path m_raws;
    const fs::path m_icons;
    const ConversionSettings& m_settings;
    IProgress& m_progress;
    IMemberList& m_list;
    std::vector<LeftOut>* m_notConverted;
    std::vector<std::byte> m_memberBuffer;
    MapImage m_map;
};

} // namespace

fs::path UnpackArchive(const fs::path& archive, const fs::path& workFolder,
                       const ConversionSettings& settings, IProgress& progress,
                       IMemberList& list, std::vector<LeftOut>* notConverted,
                       Overwrite overwrite)
{
    // FIXME: files in the way are not yet checked for; `overwrite` is unused.
    (void)overwrite;
    progress.Show();
    try {
        progress.SetCaption(kExtractingCaption);
        Extraction(archive, workFolder, settings, progress, list, notConverted).Run();
    } catch (...) {
        // The progress display ends with the operation, also when it fails.
        progress.Close();
        throw;
    }
    progress.Close();
    return workFolder;
}

} // namespace zefir::archive
