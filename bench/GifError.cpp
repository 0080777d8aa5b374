// How far GIF conversion moves the colours of the benchmark's pictures.
// Usage: zefir-bench-gif-error COUNT
// Each member that extraction converts (Moto Bitmaps and raw pictures) is
// decoded, written as a GIF and read back. Over the pictures of more than 256
// colours (a transparent pixel counting as one), which need a reduced
// palette, it prints the mean difference of a colour channel over the
// opaque pixels, the worst picture's mean and the largest difference; over
// the others, the largest difference, which must be 0.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_set>

#include "bench/BenchMembers.h"
#include "core/Error.h"
#include "core/imagecodec/PhonePictures.h"

using namespace zefir;

namespace {

std::size_t CountColours(const imaging::Bitmap& picture)
{
    std::unordered_set<std::uint32_t> colours;
    for (std::uint32_t argb : picture.pixels)
        colours.insert(argb >> 24 == 0 ? 0 : argb | 0xFF000000);
    return colours.size();
}

struct Difference {
    std::size_t pictures = 0;
    std::uint64_t sum = 0;      // of channel differences over the opaque pixels
    std::uint64_t channels = 0; // opaque pixels times 3
    double worstMean = 0;       // of one picture
    int largest = 0;
    std::size_t wrongAlpha = 0; // pixels that changed between transparent and opaque

    double Mean() const { return channels ? double(sum) / double(channels) : 0.0; }
};

// Adds one picture's differences.
void Compare(const imaging::Bitmap& source, const imaging::Bitmap& back, Difference& total)
{
    Difference d;
    for (std::size_t i = 0; i < source.pixels.size(); ++i) {
        std::uint32_t a = source.pixels[i];
        std::uint32_t b = back.pixels[i];
        if ((a >> 24 == 0) != (b >> 24 == 0))
            ++d.wrongAlpha;
        else if (a >> 24 != 0) {
            for (int shift : {16, 8, 0}) {
                int diff = std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF));
                d.sum += diff;
                d.largest = std::max(d.largest, diff);
            }
            d.channels += 3;
        }
    }
    total.pictures += 1;
    total.sum += d.sum;
    total.channels += d.channels;
    total.worstMean = std::max(total.worstMean, d.Mean());
    total.largest = std::max(total.largest, d.largest);
    total.wrongAlpha += d.wrongAlpha;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zefir-bench-gif-error COUNT\n");
        return 2;
    }
    const unsigned count = static_cast<unsigned>(std::stoul(argv[1]));
    try {
        Difference many;
        Difference few;
        for (unsigned i = 0; i < count; ++i) {
            archive::Member member = bench::MakeMember(i, false);
            if (imagecodec::KindOfName(member.name) == imagecodec::ImageKind::ikMotoImage)
                continue; // copied out as it is
            imaging::Bitmap source =
                imagecodec::DecodePhonePicture(member.name, member.data, member.name).picture;
            imaging::Bitmap back = imaging::DecodePicture(
                imaging::EncodePicture(source, "image/gif", member.name), member.name);
            Compare(source, back, CountColours(source) > 256 ? many : few);
        }
        std::printf("gif: %zu pictures of more than 256 colours: mean channel error %.3f, worst "
                    "picture's mean %.3f, largest difference %d; %zu of at most 256 colours: "
                    "largest difference %d; pixels whose transparency changed: %zu\n",
                    many.pictures, many.Mean(), many.worstMean, many.largest, few.pictures,
                    few.largest, many.wrongAlpha + few.wrongAlpha);
    } catch (const IoError& e) {
        std::fprintf(stderr, "zefir-bench-gif-error: %s\n", e.what());
        return 1;
    }
    return 0;
}
