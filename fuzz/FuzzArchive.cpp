// The archive reader on arbitrary bytes: the listing, then a whole
// extraction with conversion. Nothing may be written outside the working
// folder, whatever the member names say.

#include <cstdlib>

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/archive/Archive.h"
#include "core/archive/EzxFormat.h"

using namespace zefir;

namespace {

// Extraction writes one file per member; more would only slow the fuzzer.
constexpr std::size_t kMaxEntriesToExtract = 64;

void List(const fuzz::fs::path& path)
{
    archive::ArchiveReader reader(path);
    std::vector<std::byte> buffer;
    for (std::size_t i = 0; i < reader.entries().size(); ++i) {
        try {
            reader.ReadName(i);
            reader.ReadMember(i, buffer);
        } catch (const IoError&) {
        }
    }
}

void Extract(const fuzz::fs::path& path, const fuzz::fs::path& work)
{
    if (archive::ArchiveReader(path).entries().size() > kMaxEntriesToExtract)
        return;
    archive::NullProgress progress;
    archive::NullMemberList list;
    archive::UnpackArchive(path, work, {true, imagecodec::Format::Bmp}, progress, list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ClearScratch();
    const auto path = fuzz::ScratchFolder() / "in.ezx";
    const auto work = fuzz::ScratchFolder() / "work";
    fuzz::WriteScratchFile(path, fuzz::AsBytes(data, size));
    fuzz::fs::create_directory(work);
    try {
        List(path);
        Extract(path, work);
    } catch (const IoError&) {
    }
    // Only the archive and the working folder may be in the scratch folder.
    for (const auto& entry : fuzz::fs::directory_iterator(fuzz::ScratchFolder()))
        if (entry.path() != path && entry.path() != work)
            std::abort();
    return 0;
}
