// The Explorer thumbnail handler as the shell uses it: the DLL loaded, a
// class object asked for by CLSID, the file handed over as a stream (or by
// path), and the thumbnail read back from the bitmap it returns.

#include <windows.h>

#include <objidl.h>
#include <propsys.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "LoaderCases.h"
#include "TestUtil.h"
#include "core/imaging/Fit.h"
#include "plugins/windows-thumbnail/ThumbnailClasses.h"

namespace zefir::test {
namespace {

using plugins::LoaderKind;

// Releases a COM interface at the end of a scope.
template <typename T> struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p)
            p->Release();
    }
    T* operator->() const { return p; }
};

class ThumbnailProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t exe[MAX_PATH];
        const DWORD length = ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const fs::path dll = fs::path(std::wstring(exe, length)).parent_path() / L"zefir-thumbnails.dll";
        m_dll = ::LoadLibraryW(dll.c_str());
        ASSERT_NE(m_dll, nullptr) << "cannot load " << dll.string();
        m_getClassObject = reinterpret_cast<decltype(m_getClassObject)>(
            reinterpret_cast<void*>(::GetProcAddress(m_dll, "DllGetClassObject")));
        m_canUnloadNow = reinterpret_cast<decltype(m_canUnloadNow)>(
            reinterpret_cast<void*>(::GetProcAddress(m_dll, "DllCanUnloadNow")));
        ASSERT_TRUE(m_getClassObject && m_canUnloadNow);
    }
    void TearDown() override
    {
        if (m_dll)
            ::FreeLibrary(m_dll);
    }

    // A provider of the class for `kind`, asked for `iid`.
    template <typename T> HRESULT Create(LoaderKind kind, T** out)
    {
        const CLSID* clsid = nullptr;
        for (const plugins::ThumbnailClass& c : plugins::ThumbnailClasses())
            if (c.kind == kind)
                clsid = &c.clsid;
        Held<IClassFactory> factory;
        const HRESULT got =
            m_getClassObject(*clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory.p));
        if (FAILED(got))
            return got;
        return factory->CreateInstance(nullptr, __uuidof(T), reinterpret_cast<void**>(out));
    }

    // A provider of `kind` initialised with `stream`.
    HRESULT FromStream(LoaderKind kind, IStream* stream, IThumbnailProvider** out)
    {
        Held<IInitializeWithStream> init;
        HRESULT done = Create(kind, &init.p);
        if (SUCCEEDED(done))
            done = init->Initialize(stream, STGM_READ);
        if (SUCCEEDED(done))
            done = init->QueryInterface(__uuidof(IThumbnailProvider), reinterpret_cast<void**>(out));
        return done;
    }

    // The same with `bytes` in a stream that has no name, as from a program
    // that hands over only a file's bytes.
    HRESULT FromMemory(LoaderKind kind, const std::vector<std::byte>& bytes,
                       IThumbnailProvider** out)
    {
        Held<IStream> memory;
        memory.p = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                       static_cast<UINT>(bytes.size()));
        return FromStream(kind, memory.p, out);
    }

    // The thumbnail of at most `side` pixels, as 0xAARRGGBB with the alpha
    // premultiplied, its rows read top-down whatever way they are kept.
    static HRESULT Thumbnail(IThumbnailProvider* provider, UINT side, imaging::Bitmap& out)
    {
        HBITMAP bitmap = nullptr;
        WTS_ALPHATYPE alpha = WTSAT_UNKNOWN;
        const HRESULT made = provider->GetThumbnail(side, &bitmap, &alpha);
        if (FAILED(made))
            return made;
        EXPECT_EQ(alpha, WTSAT_ARGB);
        BITMAP shape{};
        ::GetObjectW(bitmap, sizeof(shape), &shape);
        out = imaging::Bitmap(static_cast<std::uint32_t>(shape.bmWidth),
                              static_cast<std::uint32_t>(shape.bmHeight));
        BITMAPINFO info = plugins::TopDownArgbInfo(out.width, out.height);
        HDC screen = ::GetDC(nullptr);
        ::GetDIBits(screen, bitmap, 0, out.height, out.pixels.data(), &info, DIB_RGB_COLORS);
        ::ReleaseDC(nullptr, screen);
        ::DeleteObject(bitmap);
        return made;
    }

    static imaging::Bitmap Expected(const LoaderCase& c, UINT side)
    {
        plugins::PhoneFileBytes bytes(c.kind);
        bytes.Append(c.bytes);
        imaging::Bitmap fit = imaging::FitPicture(bytes.Decode(c.name), side);
        for (std::uint32_t& p : fit.pixels)
            p = plugins::PremultipliedPixel(p);
        return fit;
    }

    HMODULE m_dll = nullptr;
    HRESULT(__stdcall* m_getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(__stdcall* m_canUnloadNow)() = nullptr;
};

TEST_F(ThumbnailProviderTest, EveryKindGivesTheFittedPictureAndDamagedFilesAreRefused)
{
    TempDir dir;
    for (const LoaderCase& c : AllFiles()) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir / c.name;
        WriteBytes(file, c.bytes);
        // As Explorer hands a file over: a stream on it, which knows its name.
        Held<IStream> stream;
        ASSERT_EQ(::SHCreateStreamOnFileEx(file.c_str(), STGM_READ, 0, FALSE, nullptr, &stream.p),
                  S_OK);
        Held<IThumbnailProvider> provider;
        ASSERT_EQ(FromStream(c.kind, stream.p, &provider.p), S_OK);
        for (UINT side : {32u, 256u}) {
            imaging::Bitmap got;
            const HRESULT made = Thumbnail(provider.p, side, got);
            if (!c.message.empty()) {
                EXPECT_EQ(made, E_FAIL);
                continue;
            }
            ASSERT_EQ(made, S_OK);
            const imaging::Bitmap want = Expected(c, side);
            EXPECT_EQ(got.width, want.width);
            EXPECT_EQ(got.height, want.height);
            EXPECT_EQ(got.pixels, want.pixels);
        }
    }
    EXPECT_EQ(m_canUnloadNow(), S_OK);
}

// What tells a file's kind apart is the class, and a raw picture's size is
// in its name: bytes the class cannot take are refused.
TEST_F(ThumbnailProviderTest, BytesOfAnotherKindOrWithoutTheirNameAreRefused)
{
    const struct {
        const char* name;
        LoaderCase file;
        LoaderKind classKind;
    } cases[] = {
        {"a raw picture from a stream without a name", GoodFiles()[2], LoaderKind::Raw},
        {"a Moto Image given to the Moto Bitmap class", GoodFiles()[3], LoaderKind::MotoBitmap},
    };
    ASSERT_EQ(cases[0].file.kind, LoaderKind::Raw);
    ASSERT_EQ(cases[1].file.kind, LoaderKind::MotoImage);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Held<IThumbnailProvider> provider;
        ASSERT_EQ(FromMemory(c.classKind, c.file.bytes, &provider.p), S_OK);
        imaging::Bitmap got;
        EXPECT_EQ(Thumbnail(provider.p, 64, got), E_FAIL);
    }
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(m_getClassObject(IID_IUnknown, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
}

// Given by its path, a raw picture is read with the size its name gives.
TEST_F(ThumbnailProviderTest, ARawPictureIsReadByItsPath)
{
    const LoaderCase raw = GoodFiles()[2];
    ASSERT_EQ(raw.kind, LoaderKind::Raw);
    TempDir dir;
    WriteBytes(dir / raw.name, raw.bytes);
    Held<IInitializeWithFile> fromFile;
    ASSERT_EQ(Create(LoaderKind::Raw, &fromFile.p), S_OK);
    ASSERT_EQ(fromFile->Initialize((dir / raw.name).c_str(), STGM_READ), S_OK);
    Held<IThumbnailProvider> named;
    ASSERT_EQ(fromFile->QueryInterface(__uuidof(IThumbnailProvider),
                                       reinterpret_cast<void**>(&named.p)),
              S_OK);
    imaging::Bitmap got;
    ASSERT_EQ(Thumbnail(named.p, 64, got), S_OK);
    EXPECT_EQ(got.pixels, Expected(raw, 64).pixels);
}

TEST(PremultipliedPixel, ScalesTheColoursByTheAlpha)
{
    const struct {
        std::uint32_t argb, premultiplied;
    } cases[] = {
        {0xFF102030, 0xFF102030}, {0x00FFFFFF, 0x00000000},
        {0x80FF4000, 0x80802000}, {0x01FF0000, 0x01010000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plugins::PremultipliedPixel(c.argb), c.premultiplied) << std::hex << c.argb;
}

} // namespace
} // namespace zefir::test
