#include "plugins/qt-imageformat/PhonePicturePlugin.h"

#include <QFile>
#include <QFileDevice>
#include <QLoggingCategory>
#include <QVariant>

#include <exception>
#include <new>
#include <span>

#include "core/Error.h"

namespace zefir::qtplugin {

namespace {

Q_LOGGING_CATEGORY(lcPhonePictures, "zefir.imageformats")

using plugins::LoaderKind;

// The kind a format key names ("k", "g", "raw", any letter case).
std::optional<LoaderKind> KindOfFormat(const QByteArray& format)
{
    const QByteArray key = format.toLower();
    for (const plugins::LoaderFormat& row : plugins::LoaderFormats())
        if (key == QByteArray(row.extension.data(), static_cast<qsizetype>(row.extension.size())))
            return row.kind;
    return std::nullopt;
}

// The file behind the device, where it is a file: a raw picture's size is
// in its name.
std::filesystem::path PathOf(const QIODevice* device)
{
    const auto* file = qobject_cast<const QFileDevice*>(device);
    if (file == nullptr || file->fileName().isEmpty())
        return {};
    return std::filesystem::path(QFile::encodeName(file->fileName()).toStdString());
}

QImage ToImage(const imaging::Bitmap& picture)
{
    // Format_ARGB32 holds each pixel as the core does, 0xAARRGGBB.
    QImage image(static_cast<int>(picture.width), static_cast<int>(picture.height),
                 QImage::Format_ARGB32);
    if (image.isNull())
        throw std::bad_alloc();
    for (std::uint32_t y = 0; y < picture.height; ++y)
        std::copy_n(picture.Row(y), picture.width,
                    reinterpret_cast<std::uint32_t*>(image.scanLine(static_cast<int>(y))));
    return image;
}

} // namespace

PhonePictureHandler::PhonePictureHandler(LoaderKind kind) : m_kind(kind) {}

bool PhonePictureHandler::canRead() const
{
    if (device() == nullptr || !device()->isReadable())
        return false;
    const std::string_view extension = plugins::FormatOf(m_kind).extension;
    setFormat(QByteArray(extension.data(), static_cast<qsizetype>(extension.size())));
    return true;
}

const QImage& PhonePictureHandler::Decoded() const
{
    if (m_image)
        return *m_image;
    m_image.emplace();
    if (device() == nullptr)
        return *m_image;
    const std::filesystem::path path = PathOf(device());
    try {
        plugins::PhoneFileBytes bytes(m_kind);
        QByteArray chunk;
        while (!(chunk = device()->read(64 * 1024)).isEmpty())
            bytes.Append(std::as_bytes(std::span(chunk.constData(), chunk.size())));
        *m_image = ToImage(bytes.Decode(path));
    } catch (const IoError& e) {
        qCWarning(lcPhonePictures, "%s", e.what());
    } catch (const std::bad_alloc&) {
        qCWarning(lcPhonePictures, "%s: not enough memory to decode the picture",
                  path.string().c_str());
    } catch (const std::exception& e) {
        qCWarning(lcPhonePictures, "%s: %s", path.string().c_str(), e.what());
    }
    return *m_image;
}

bool PhonePictureHandler::read(QImage* image)
{
    const QImage& decoded = Decoded();
    if (decoded.isNull())
        return false;
    *image = decoded;
    return true;
}

bool PhonePictureHandler::supportsOption(ImageOption option) const
{
    return option == Size || option == ImageFormat;
}

QVariant PhonePictureHandler::option(ImageOption option) const
{
    if (option == ImageFormat)
        return QImage::Format_ARGB32;
    if (option == Size && device() != nullptr)
        return Decoded().size();
    return {};
}

QImageIOPlugin::Capabilities PhonePicturePlugin::capabilities(QIODevice* device,
                                                              const QByteArray& format) const
{
    // Only a format named by the extension or the program: the phone kinds
    // have no signature to recognise them by.
    if (!KindOfFormat(format) || (device != nullptr && !device->isReadable()))
        return {};
    return CanRead;
}

QImageIOHandler* PhonePicturePlugin::create(QIODevice* device, const QByteArray& format) const
{
    const std::optional<LoaderKind> kind = KindOfFormat(format);
    if (!kind)
        return nullptr;
    auto* handler = new PhonePictureHandler(*kind);
    handler->setDevice(device);
    handler->setFormat(format);
    return handler;
}

} // namespace zefir::qtplugin
