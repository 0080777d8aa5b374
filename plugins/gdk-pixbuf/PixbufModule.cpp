#include "plugins/gdk-pixbuf/PixbufModule.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "core/Error.h"

namespace zefir::pixbuf {

namespace {

namespace fs = std::filesystem;
using plugins::LoaderKind;
using plugins::PhoneFileBytes;

// No signature: gdk-pixbuf chooses these modules by MIME type, and the
// phone kinds have no bytes of their own to be told by (a Moto Image's are
// the GIF's or the PNG's, which their own modules claim).
GdkPixbufModulePattern kNoSignature[] = {{nullptr, nullptr, 0}};

struct FormatStrings {
    std::string name, description;
    std::string mimeType, extension;
    gchar* mimeTypes[2];
    gchar* extensions[2];
};

// gdk-pixbuf keeps pointers to these for the life of the process.
FormatStrings& StringsOf(LoaderKind kind)
{
    static FormatStrings strings[3];
    FormatStrings& s = strings[static_cast<std::size_t>(kind)];
    if (s.name.empty()) {
        const plugins::LoaderFormat& format = plugins::FormatOf(kind);
        s.name = format.name;
        s.description = format.description;
        s.mimeType = format.mimeType;
        s.extension = format.extension;
        s.mimeTypes[0] = s.mimeType.data();
        s.mimeTypes[1] = nullptr;
        s.extensions[0] = s.extension.data();
        s.extensions[1] = nullptr;
    }
    return s;
}

// Without the path: gdk-pixbuf names the file itself when it knows it.
void SetError(GError** error, GdkPixbufError code, const std::string& message)
{
    g_set_error_literal(error, GDK_PIXBUF_ERROR, code, message.c_str());
}

// Runs one module function, turning whatever it throws into a GError.
template <typename Result, typename Function>
Result Guarded(GError** error, Result failed, Function&& function)
{
    try {
        return function();
    } catch (const IoError& e) {
        SetError(error,
                 e.kind() == ErrorKind::Damaged ? GDK_PIXBUF_ERROR_CORRUPT_IMAGE
                                                : GDK_PIXBUF_ERROR_FAILED,
                 e.message());
    } catch (const std::bad_alloc&) {
        SetError(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
                 "not enough memory to decode the picture");
    } catch (const std::exception& e) {
        SetError(error, GDK_PIXBUF_ERROR_FAILED, e.what());
    }
    return failed;
}

// The picture as gdk-pixbuf keeps it: RGBA bytes, not premultiplied, rows
// padded to its rowstride. Null, with the error set, when there is no
// memory for it.
GdkPixbuf* ToPixbuf(const imaging::Bitmap& picture, GError** error)
{
    GdkPixbuf* pixbuf = gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, static_cast<int>(picture.width),
                                       static_cast<int>(picture.height));
    if (pixbuf == nullptr) {
        SetError(error, GDK_PIXBUF_ERROR_INSUFFICIENT_MEMORY,
                 "not enough memory for a picture of " + std::to_string(picture.width) + " x " +
                     std::to_string(picture.height) + " pixels");
        return nullptr;
    }
    const auto stride = static_cast<std::size_t>(gdk_pixbuf_get_rowstride(pixbuf));
    guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
    for (std::uint32_t y = 0; y < picture.height; ++y) {
        guchar* out = pixels + y * stride;
        const std::uint32_t* in = picture.Row(y);
        for (std::uint32_t x = 0; x < picture.width; ++x, out += 4) {
            out[0] = static_cast<guchar>(in[x] >> 16);
            out[1] = static_cast<guchar>(in[x] >> 8);
            out[2] = static_cast<guchar>(in[x]);
            out[3] = static_cast<guchar>(in[x] >> 24);
        }
    }
    return pixbuf;
}

// The path of an open file, as the system's table of the process's open
// files gives it; empty where there is none (a pipe, a system without
// /proc). gdk-pixbuf hands a module the open file alone, and a raw
// picture's size is in its name.
fs::path PathOf(FILE* file)
{
    std::error_code error;
    fs::path path = fs::read_symlink("/proc/self/fd/" + std::to_string(fileno(file)), error);
    if (error || !path.is_absolute())
        return {};
    return path;
}

struct LoadContext {
    PhoneFileBytes bytes;
    GdkPixbufModuleSizeFunc sizeFunc;
    GdkPixbufModulePreparedFunc preparedFunc;
    GdkPixbufModuleUpdatedFunc updatedFunc;
    gpointer userData;
};

} // namespace

void FillInfo(GdkPixbufFormat* info, LoaderKind kind)
{
    FormatStrings& s = StringsOf(kind);
    info->name = s.name.data();
    info->signature = kNoSignature;
    info->description = s.description.data();
    info->mime_types = s.mimeTypes;
    info->extensions = s.extensions;
    // The decoders keep no state between calls.
    info->flags = GDK_PIXBUF_FORMAT_THREADSAFE;
    info->license = nullptr;
}

GdkPixbuf* LoadFile(LoaderKind kind, FILE* file, GError** error)
{
    return Guarded<GdkPixbuf*>(error, nullptr, [&] {
        const fs::path path = PathOf(file);
        PhoneFileBytes bytes(kind);
        std::vector<std::byte> buffer(64 * 1024);
        std::size_t got = 0;
        while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
            bytes.Append(std::span(buffer).first(got));
        if (std::ferror(file))
            throw IoError("cannot read the file", path, ErrorKind::CannotRead);
        return ToPixbuf(bytes.Decode(path), error);
    });
}

gpointer BeginLoad(LoaderKind kind, GdkPixbufModuleSizeFunc sizeFunc,
                   GdkPixbufModulePreparedFunc preparedFunc, GdkPixbufModuleUpdatedFunc updatedFunc,
                   gpointer userData, GError** error)
{
    return Guarded<gpointer>(error, nullptr, [&] {
        return new LoadContext{PhoneFileBytes(kind), sizeFunc, preparedFunc, updatedFunc, userData};
    });
}

gboolean LoadIncrement(gpointer context, const guchar* buffer, guint size, GError** error)
{
    return Guarded<gboolean>(error, FALSE, [&]() -> gboolean {
        static_cast<LoadContext*>(context)->bytes.Append(
            std::as_bytes(std::span(buffer, static_cast<std::size_t>(size))));
        return TRUE;
    });
}

gboolean StopLoad(gpointer context, GError** error)
{
    const std::unique_ptr<LoadContext> c(static_cast<LoadContext*>(context));
    return Guarded<gboolean>(error, FALSE, [&]() -> gboolean {
        // The bytes come without the file's name.
        const imaging::Bitmap picture = c->bytes.Decode({});
        int width = static_cast<int>(picture.width);
        int height = static_cast<int>(picture.height);
        if (c->sizeFunc != nullptr) {
            c->sizeFunc(&width, &height, c->userData);
            // A caller that asked only for the size wants no pixels.
            if (width == 0 || height == 0)
                return TRUE;
        }
        GdkPixbuf* pixbuf = ToPixbuf(picture, error);
        if (pixbuf == nullptr)
            return FALSE;
        if (c->preparedFunc != nullptr)
            c->preparedFunc(pixbuf, nullptr, c->userData);
        if (c->updatedFunc != nullptr)
            c->updatedFunc(pixbuf, 0, 0, static_cast<int>(picture.width),
                           static_cast<int>(picture.height), c->userData);
        g_object_unref(pixbuf);
        return TRUE;
    });
}

} // namespace zefir::pixbuf
