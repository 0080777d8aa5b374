#pragma once

// The Qt image-format plugin for the phone's pictures: QImageReader reads
// ".k", ".g" and ".raw" files with it as any picture, chosen by the file's
// extension or the format a program names.

#include <QImage>
#include <QImageIOHandler>
#include <QImageIOPlugin>

#include <optional>

#include "plugins/PhoneLoader.h"

namespace zefir::qtplugin {

class PhonePictureHandler : public QImageIOHandler {
public:
    explicit PhonePictureHandler(plugins::LoaderKind kind);

    bool canRead() const override;
    bool read(QImage* image) override;
    bool supportsOption(ImageOption option) const override;
    QVariant option(ImageOption option) const override;

private:
    // Decodes the device's bytes once; a size asked for first and the
    // picture read after it come from one decoding.
    const QImage& Decoded() const;

    plugins::LoaderKind m_kind;
    mutable std::optional<QImage> m_image;
};

class PhonePicturePlugin : public QImageIOPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "zefir.json")

public:
    Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
    QImageIOHandler* create(QIODevice* device, const QByteArray& format) const override;
};

} // namespace zefir::qtplugin
