// ConvertFromPhone and InspectPhoneFile on a phone file of any name and
// content. Input: a length byte, the name, the file's bytes.

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/imagecodec/ImageCodec.h"

using namespace zefir;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto input = fuzz::SplitNamedInput(fuzz::AsBytes(data, size));
    // The name must stay a plain file name inside the scratch folder.
    std::string name = "f";
    for (char c : input.name)
        name += (c == '/' || c == '\0') ? '_' : c;
    fuzz::ClearScratch();
    const auto source = fuzz::ScratchFolder() / name;
    fuzz::WriteScratchFile(source, input.bytes);
    auto target = fuzz::ScratchFolder() / "out.png";
    imagecodec::ImageKind kind{};
    try {
        // A file it cannot read (a name too long to create) is an IoError.
        imagecodec::InspectPhoneFile(source);
        imagecodec::ConvertFromPhone(source, target, imagecodec::Format::Png, kind);
    } catch (const IoError&) {
    }
    return 0;
}
