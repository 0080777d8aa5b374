// The Explorer thumbnail handler: an in-process COM server with one class
// per phone kind, each the shell's thumbnail provider for its extensions
// (.k, .g, .raw). The shell hands it the file as a stream, or by its path
// where it is asked to; a raw picture's size is read from the file's name,
// which a stream gives through Stat.

#include <windows.h>

#include <objidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <thumbcache.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <new>
#include <optional>
#include <span>
#include <vector>

#include "core/imaging/Fit.h"
#include "core/imaging/Imaging.h"
#include "plugins/PhoneLoader.h"
#include "plugins/windows-thumbnail/ThumbnailClasses.h"

namespace zefir::plugins {

namespace {

namespace fs = std::filesystem;

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// A stream larger than this is not read further: no phone file comes near
// it, and the decoder refuses what it has.
constexpr std::uint64_t kMostRead = 64ull << 20;

// The reference count of a COM object of this DLL, which DllCanUnloadNow
// asks about through g_objects. It starts at 1, for its maker.
template <typename Self> class Counted {
public:
    Counted() { ++g_objects; }
    ~Counted() { --g_objects; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

protected:
    ULONG Reference() { return ++m_references; }
    ULONG Unreference()
    {
        const ULONG left = --m_references;
        if (left == 0)
            delete static_cast<Self*>(this);
        return left;
    }

private:
    std::atomic<ULONG> m_references{1};
};

class ThumbnailProvider final : public IThumbnailProvider,
                                public IInitializeWithStream,
                                public IInitializeWithFile,
                                public Counted<ThumbnailProvider> {
public:
    explicit ThumbnailProvider(LoaderKind kind) : m_kind(kind) {}

    IFACEMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(IThumbnailProvider))
            *out = static_cast<IThumbnailProvider*>(this);
        else if (iid == __uuidof(IInitializeWithStream))
            *out = static_cast<IInitializeWithStream*>(this);
        else if (iid == __uuidof(IInitializeWithFile))
            *out = static_cast<IInitializeWithFile*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return Reference(); }
    IFACEMETHODIMP_(ULONG) Release() override { return Unreference(); }

    // The file is read here, decoded when the thumbnail is asked for.
    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override
    {
        if (!stream)
            return E_INVALIDARG;
        if (m_bytes)
            return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
        STATSTG stat{};
        if (SUCCEEDED(stream->Stat(&stat, STATFLAG_DEFAULT)) && stat.pwcsName) {
            m_file = fs::path(stat.pwcsName);
            ::CoTaskMemFree(stat.pwcsName);
        }
        PhoneFileBytes bytes(m_kind);
        std::vector<std::byte> chunk(64 * 1024);
        for (std::uint64_t total = 0; total <= kMostRead;) {
            ULONG got = 0;
            const HRESULT read = stream->Read(chunk.data(), static_cast<ULONG>(chunk.size()), &got);
            if (FAILED(read))
                return read;
            if (got == 0)
                break;
            bytes.Append(std::span(chunk.data(), got));
            total += got;
        }
        m_bytes.emplace(std::move(bytes));
        return S_OK;
    }

    IFACEMETHODIMP Initialize(LPCWSTR path, DWORD mode) override
    {
        if (!path)
            return E_INVALIDARG;
        IStream* stream = nullptr;
        const HRESULT opened =
            ::SHCreateStreamOnFileEx(path, STGM_READ | STGM_SHARE_DENY_NONE, 0, FALSE, nullptr,
                                     &stream);
        if (FAILED(opened))
            return opened;
        const HRESULT done = Initialize(stream, mode);
        stream->Release();
        if (SUCCEEDED(done))
            m_file = fs::path(path);
        return done;
    }

    // At most cx x cx pixels, as the file managers' thumbnails on Linux:
    // the icon at the largest whole zoom that fits, shrunk when larger.
    IFACEMETHODIMP GetThumbnail(UINT cx, HBITMAP* bitmap, WTS_ALPHATYPE* alpha) override
    {
        if (!bitmap || !alpha)
            return E_POINTER;
        *bitmap = nullptr;
        if (!m_bytes || cx == 0)
            return E_UNEXPECTED;
        try {
            const imaging::Bitmap thumbnail = imaging::FitPicture(m_bytes->Decode(m_file), cx);
            *bitmap = Premultiplied(thumbnail);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        } catch (...) {
            // Damaged or refused: Explorer shows the file's icon instead.
            return E_FAIL;
        }
        if (!*bitmap)
            return E_OUTOFMEMORY;
        *alpha = WTSAT_ARGB;
        return S_OK;
    }

private:
    // A top-down 32-bit DIB with premultiplied alpha, as the shell blends it.
    static HBITMAP Premultiplied(const imaging::Bitmap& picture)
    {
        const BITMAPINFO info = TopDownArgbInfo(picture.width, picture.height);
        void* bits = nullptr;
        HBITMAP made = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!made)
            return nullptr;
        auto* out = static_cast<std::uint32_t*>(bits);
        std::transform(picture.pixels.begin(), picture.pixels.end(), out, PremultipliedPixel);
        return made;
    }

    LoaderKind m_kind;
    fs::path m_file;
    std::optional<PhoneFileBytes> m_bytes;
};

class ClassFactory final : public IClassFactory, public Counted<ClassFactory> {
public:
    explicit ClassFactory(LoaderKind kind) : m_kind(kind) {}

    IFACEMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid != IID_IUnknown && iid != IID_IClassFactory) {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    IFACEMETHODIMP_(ULONG) AddRef() override { return Reference(); }
    IFACEMETHODIMP_(ULONG) Release() override { return Unreference(); }

    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        auto* provider = new (std::nothrow) ThumbnailProvider(m_kind);
        if (!provider)
            return E_OUTOFMEMORY;
        const HRESULT found = provider->QueryInterface(iid, out);
        provider->Release();
        return found;
    }
    IFACEMETHODIMP LockServer(BOOL lock) override
    {
        lock ? ++g_locks : --g_locks;
        return S_OK;
    }

private:
    LoaderKind m_kind;
};

std::optional<LoaderKind> KindOfClass(REFCLSID clsid)
{
    for (const ThumbnailClass& c : ThumbnailClasses())
        if (clsid == c.clsid)
            return c.kind;
    return std::nullopt;
}

} // namespace

} // namespace zefir::plugins

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    const auto kind = zefir::plugins::KindOfClass(clsid);
    if (!kind)
        return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) zefir::plugins::ClassFactory(*kind);
    if (!factory)
        return E_OUTOFMEMORY;
    const HRESULT found = factory->QueryInterface(iid, out);
    factory->Release();
    return found;
}

STDAPI DllCanUnloadNow()
{
    return zefir::plugins::g_objects.load() == 0 && zefir::plugins::g_locks.load() == 0 ? S_OK
                                                                                          : S_FALSE;
}

} // extern "C"
