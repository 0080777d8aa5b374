// The Qt image-format plugin as Qt programs reach it: QImageReader on a
// file, choosing the plugin by the extension, or on any device with the
// format named. QT_PLUGIN_PATH points Qt at the built plugin.

#include <QBuffer>
#include <QImageReader>
#include <QStringList>

#include "LoaderCases.h"

namespace zefir::test {
namespace {

using plugins::LoaderKind;

// What the plugin told the log, where its refusals go.
QStringList g_messages;

void Record(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_messages << message;
}

class QtImageFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_messages.clear();
        m_previous = qInstallMessageHandler(Record);
    }
    void TearDown() override { qInstallMessageHandler(m_previous); }

    QtMessageHandler m_previous = nullptr;
};

QString QtPath(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

QImage ReadBytes(std::span<const std::byte> bytes, LoaderKind kind)
{
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer,
                        QByteArray::fromStdString(std::string(plugins::FormatOf(kind).extension)));
    return reader.read();
}

void ExpectPicture(const QImage& image, const LoaderCase& c)
{
    const imaging::Bitmap expected =
        imagecodec::DecodePhonePicture(c.name, c.bytes, c.name).picture;
    ASSERT_EQ(image.width(), static_cast<int>(expected.width));
    ASSERT_EQ(image.height(), static_cast<int>(expected.height));
    ASSERT_EQ(image.format(), QImage::Format_ARGB32);
    for (std::uint32_t y = 0; y < expected.height; ++y)
        for (std::uint32_t x = 0; x < expected.width; ++x)
            ASSERT_EQ(image.pixel(static_cast<int>(x), static_cast<int>(y)), expected.At(x, y))
                << "pixel " << x << "," << y;
}

TEST_F(QtImageFormat, TheFormatsAreKnown)
{
    for (const char* format : {"k", "g", "raw"})
        EXPECT_TRUE(QImageReader::supportedImageFormats().contains(format)) << format;
    EXPECT_TRUE(QImageReader::supportedMimeTypes().contains("image/x-moto-raw"));
}

// A file by name gives its picture, its size asked first as thumbnailers
// do, or the reason it is refused; the same bytes without a name too, but
// for a raw picture, whose size is in the name.
TEST_F(QtImageFormat, EveryKindLoadsOrIsRefusedWithTheReason)
{
    const QString noName = kNoNameMessage;
    TempDir dir;
    for (const LoaderCase& c : AllFiles()) {
        SCOPED_TRACE(c.name);
        g_messages.clear();
        WriteBytes(dir / c.name, c.bytes);
        QImageReader reader(QtPath(dir / c.name));
        const QSize size = reader.size();
        const QImage byName = reader.read();
        const QImage unnamed = ReadBytes(c.bytes, c.kind);
        QStringList messages;
        if (c.message.empty()) {
            EXPECT_EQ(size, byName.size());
            ExpectPicture(byName, c);
        } else {
            EXPECT_TRUE(byName.isNull());
            messages << QtPath(dir / c.name) + ": " + QString::fromStdString(c.message);
        }
        if (c.kind == LoaderKind::Raw)
            messages << noName;
        else if (c.message.empty())
            ExpectPicture(unnamed, c);
        else
            messages << QString::fromStdString(c.message);
        EXPECT_EQ(g_messages, messages);
    }
}

TEST_F(QtImageFormat, HostileBytesNeverCrash)
{
    TempDir dir;
    const auto inputs = HostileInputs(ZEFIR_BINARY_DIR "/fuzz-corpus");
    ASSERT_GT(inputs.size(), 100u);
    std::size_t refused = 0;
    for (const auto& bytes : inputs) {
        for (const plugins::LoaderFormat& format : plugins::LoaderFormats())
            refused += ReadBytes(bytes, format.kind).isNull();
        WriteBytes(dir / "f(12x5).raw", bytes);
        refused += QImageReader(QtPath(dir / "f(12x5).raw")).read().isNull();
    }
    // Every refusal said why.
    EXPECT_EQ(static_cast<std::size_t>(g_messages.size()), refused);
}

} // namespace
} // namespace zefir::test
