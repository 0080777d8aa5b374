// The gdk-pixbuf modules as GTK programs reach them: gdk-pixbuf choosing a
// module by the MIME type of a named file, and the streaming loader asked
// for a MIME type, as thumbnailers use it. The environment points
// gdk-pixbuf at a loaders cache listing the built modules beside the
// system's, and GLib at the project's MIME types.

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "LoaderCases.h"

namespace zefir::test {
namespace {

using plugins::LoaderKind;

struct PixbufResult {
    GdkPixbuf* pixbuf = nullptr;
    std::string error;
    PixbufResult() = default;
    PixbufResult(const PixbufResult&) = delete;
    ~PixbufResult()
    {
        if (pixbuf != nullptr)
            g_object_unref(pixbuf);
    }
};

void Take(PixbufResult& result, GdkPixbuf* pixbuf, GError* error)
{
    result.pixbuf = pixbuf;
    if (error != nullptr) {
        result.error = error->message;
        g_error_free(error);
    }
    // Whatever the bytes, one or the other (gdk-pixbuf's own GIF module
    // gives what it could read of a damaged file beside the error).
    EXPECT_TRUE(result.pixbuf != nullptr || !result.error.empty());
}

void LoadFile(PixbufResult& result, const fs::path& path)
{
    GError* error = nullptr;
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(path.c_str(), &error);
    Take(result, pixbuf, error);
}

void Stream(PixbufResult& result, LoaderKind kind, std::span<const std::byte> bytes)
{
    GError* error = nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_mime_type(
        std::string(plugins::FormatOf(kind).mimeType).c_str(), &error);
    ASSERT_NE(loader, nullptr) << error->message;
    const bool written = bytes.empty() || gdk_pixbuf_loader_write(
                                              loader, reinterpret_cast<const guchar*>(bytes.data()),
                                              bytes.size(), &error);
    gdk_pixbuf_loader_close(loader, written ? &error : nullptr);
    GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader);
    if (pixbuf != nullptr && error == nullptr)
        g_object_ref(pixbuf);
    else
        pixbuf = nullptr;
    g_object_unref(loader);
    Take(result, pixbuf, error);
    // The phone modules give exactly one of the two.
    EXPECT_NE(result.pixbuf == nullptr, result.error.empty()) << result.error;
}

// The same picture: alpha everywhere, the colour where it shows.
void ExpectPicture(const PixbufResult& result, const LoaderCase& c)
{
    ASSERT_NE(result.pixbuf, nullptr) << result.error;
    const imaging::Bitmap expected =
        imagecodec::DecodePhonePicture(c.name, c.bytes, c.name).picture;
    ASSERT_EQ(gdk_pixbuf_get_width(result.pixbuf), static_cast<int>(expected.width));
    ASSERT_EQ(gdk_pixbuf_get_height(result.pixbuf), static_cast<int>(expected.height));
    ASSERT_TRUE(gdk_pixbuf_get_has_alpha(result.pixbuf));
    const guchar* pixels = gdk_pixbuf_read_pixels(result.pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(result.pixbuf);
    for (std::uint32_t y = 0; y < expected.height; ++y)
        for (std::uint32_t x = 0; x < expected.width; ++x) {
            const guchar* p = pixels + y * stride + x * 4;
            std::uint32_t got = Argb(p[3], p[0], p[1], p[2]);
            if (p[3] == 0)
                got = 0;
            ASSERT_EQ(got, expected.At(x, y)) << "pixel " << x << "," << y;
        }
}

// How GLib types files once the project's MIME types are installed: the
// type is what chooses a module or a thumbnailer.
TEST(MimeTypes, NamesAndFirstBytesGiveTheTypes)
{
    const std::string archive = "motoskin\n\nv1.00\n00000038\n\nComment: zefirkit\nID table:\n\n";
    const std::string binary("\x10\0\0\0\x10\0\0\0\x12\0\0\0", 12);
    const struct {
        const char* name;
        std::string bytes;
        const char* type;
    } cases[] = {
        {"iconres.ezx", binary, "application/x-ezx-icon-archive"},
        {"iconres", archive, "application/x-ezx-icon-archive"},
        {"iconres.ezx.orig", archive, "application/x-ezx-icon-archive"},
        {"notes.orig", "motoskin is not an archive\n", "text/plain"},
        {nullptr, archive, "application/x-ezx-icon-archive"},
        {"a.k", binary, "image/x-moto-bitmap"},
        {"a.g", binary, "image/x-moto-image"},
        {"icon(16x16).raw", binary, "image/x-moto-raw"},
        {"ICON(16X16).RAW", binary, "image/x-moto-raw"},
        {"P1000123.RAW", binary, "image/x-panasonic-rw"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(no name)");
        gchar* type = g_content_type_guess(c.name, reinterpret_cast<const guchar*>(c.bytes.data()),
                                           c.bytes.size(), nullptr);
        gchar* mime = g_content_type_get_mime_type(type);
        EXPECT_STREQ(mime, c.type);
        g_free(mime);
        g_free(type);
    }
}

TEST(PixbufLoader, SizeAndScaleGoThroughTheStreamingLoader)
{
    TempDir dir;
    const LoaderCase c = GoodFiles()[1];
    WriteBytes(dir / c.name, c.bytes);
    gint width = 0, height = 0;
    GdkPixbufFormat* format = gdk_pixbuf_get_file_info((dir / c.name).c_str(), &width, &height);
    ASSERT_NE(format, nullptr);
    gchar* name = gdk_pixbuf_format_get_name(format);
    EXPECT_STREQ(name, "zefir-moto-bitmap");
    g_free(name);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 12);
    GdkPixbuf* scaled = gdk_pixbuf_new_from_file_at_size((dir / c.name).c_str(), 32, 32, nullptr);
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(gdk_pixbuf_get_width(scaled), 32);
    EXPECT_EQ(gdk_pixbuf_get_height(scaled), 24);
    g_object_unref(scaled);
}

// Every good file loads by name and streamed, but for a raw picture
// streamed, whose size is in the name; a damaged one is refused with the
// reason either way.
TEST(PixbufLoader, EveryKindLoadsOrIsRefusedWithTheReason)
{
    const std::string noName = kNoNameMessage;
    TempDir dir;
    for (const LoaderCase& c : AllFiles()) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir / c.name, c.bytes);
        // By name, a Moto Image's bytes choose the module: the GIF's, the
        // JPEG's.
        PixbufResult byName;
        LoadFile(byName, dir / c.name);
        if (c.message.empty()) {
            ExpectPicture(byName, c);
        } else if (c.kind != LoaderKind::MotoImage) {
            EXPECT_EQ(byName.error, "Failed to load image \u201C" + (dir / c.name).string() +
                                        "\u201D: " + c.message);
        }
        PixbufResult streamed;
        Stream(streamed, c.kind, c.bytes);
        if (c.kind == LoaderKind::Raw)
            EXPECT_EQ(streamed.error, noName);
        else if (c.message.empty())
            ExpectPicture(streamed, c);
        else
            EXPECT_EQ(streamed.error, c.message);
    }
}

TEST(PixbufLoader, HostileBytesGiveAPictureOrAnError)
{
    TempDir dir;
    const auto inputs = HostileInputs(ZEFIR_BINARY_DIR "/fuzz-corpus");
    ASSERT_GT(inputs.size(), 100u);
    for (const auto& bytes : inputs) {
        for (const plugins::LoaderFormat& format : plugins::LoaderFormats()) {
            PixbufResult streamed;
            Stream(streamed, format.kind, bytes);
        }
        for (const char* name : {"f.k", "f.g", "f(12x5).raw"}) {
            WriteBytes(dir / name, bytes);
            PixbufResult byName;
            LoadFile(byName, dir / name);
        }
    }
}

} // namespace
} // namespace zefir::test
