// Writes the seed corpus of every fuzz target: small valid files made with
// the project's own writers. Usage: zefir-make-corpus FOLDER

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/Error.h"
#include "core/archive/ConvMap.h"
#include "core/archive/EzxFormat.h"
#include "core/imagecodec/ImageCodec.h"
#include "core/imaging/Imaging.h"

using namespace zefir;
namespace fs = std::filesystem;

namespace {

imaging::Bitmap Picture(std::uint32_t w, std::uint32_t h, bool transparent)
{
    imaging::Bitmap bmp(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint32_t alpha = transparent && (x + y) % 3 == 0 ? 0 : 255;
            bmp.At(x, y) = alpha << 24 | (x * 40 % 256) << 16 | (y * 60 % 256) << 8 | 0x80;
        }
    return bmp;
}

void Write(const fs::path& path, std::span<const std::byte> bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void Write(const fs::path& path, const std::string& bytes)
{
    Write(path, std::as_bytes(std::span(bytes)));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zefir-make-corpus FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    try {
        const auto small = Picture(5, 2, true);
        const auto square = Picture(16, 16, true);
        const auto k18 = imagecodec::EncodeMotoBitmap18(small, "a.k");
        const auto k32 = imagecodec::EncodeMotoBitmap32(square, "b.k");
        const auto raw = imagecodec::EncodeRawPicture(Picture(10, 10, true), "c(10x10).raw");
        const auto gif = imaging::EncodePicture(square, "image/gif", "x.gif");
        const auto png = imaging::EncodePicture(small, "image/png", "x.png");
        const auto bmp = imaging::EncodePicture(small, "image/bmp", "x.bmp");
        const auto jpg = imaging::EncodePicture(square, "image/jpeg", "x.jpg");

        Write(out / "motobitmap18/small.k", k18);
        Write(out / "motobitmap32/square.k", k32);
        Write(out / "raw/ten", fuzz::JoinNamedInput("c(10x10).raw", raw));
        Write(out / "raw/hex-height", fuzz::JoinNamedInput("d(5xx2).raw", k18));
        for (const auto& [name, bytes] : {std::pair{"gif", gif}, std::pair{"png", png},
                                          std::pair{"bmp", bmp}, std::pair{"jpg", jpg}})
            Write(out / "picture" / name, bytes);

        // ConvertToPhone: first byte kind + 5 x extension index.
        auto withSelector = [](unsigned selector, const std::vector<std::byte>& bytes) {
            std::string s(1, static_cast<char>(selector));
            s.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            return s;
        };
        Write(out / "convert_to_phone/bmp-18", withSelector(1, bmp));
        Write(out / "convert_to_phone/bmp-32", withSelector(2, bmp));
        Write(out / "convert_to_phone/bmp-raw", withSelector(0, imaging::EncodePicture(
                                                                     Picture(4, 4, true),
                                                                     "image/bmp", "x.bmp")));
        Write(out / "convert_to_phone/png", withSelector(1 + 5, png));
        Write(out / "convert_to_phone/unk", withSelector(3 + 20, jpg));

        Write(out / "convert_from_phone/k18", fuzz::JoinNamedInput("a.k", k18));
        Write(out / "convert_from_phone/k32", fuzz::JoinNamedInput("b.K", k32));
        Write(out / "convert_from_phone/raw", fuzz::JoinNamedInput("c(10x10).raw", raw));
        Write(out / "convert_from_phone/g-gif", fuzz::JoinNamedInput("d.g", gif));
        Write(out / "convert_from_phone/g-png", fuzz::JoinNamedInput("e.g", png));

        std::vector<std::byte> image;
        archive::AppendConvRec(image, {"a.k", "a.bmp", imagecodec::ImageKind::ikMotoBitmap18}, "m");
        archive::AppendConvRec(image, {"b.g", "b.gif", imagecodec::ImageKind::ikMotoImage}, "m");
        archive::AppendConvRec(image, {"a2.k", "a.bmp", imagecodec::ImageKind::ikMotoBitmap32}, "m");
        Write(out / "convmap/three", archive::ConvMapFileBytes(3, image));

        std::vector<archive::Member> members = {
            {"a.k", k18}, {"b.k", k32}, {"c(10x10).raw", raw}, {"d.g", gif}, {"e.g", png}};
        Write(out / "archive/five", archive::BuildArchive(members, "five.ezx"));
        Write(out / "archive/empty", archive::BuildArchive({}, "empty.ezx"));
    } catch (const IoError& e) {
        std::fprintf(stderr, "zefir-make-corpus: %s\n", e.what());
        return 1;
    }
    return 0;
}
