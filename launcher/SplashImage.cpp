#include "launcher/SplashImage.h"

#include "win32/SystemLibrary.h"

#include <ocidl.h>
#include <olectl.h>

#include <cstring>

extern const unsigned char kSplashGif[];
extern const std::size_t kSplashGifSize;

namespace {

using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CreateStreamFn = HRESULT(WINAPI *)(HGLOBAL, BOOL, LPSTREAM *);
using OleLoadPictureFn = HRESULT(WINAPI *)(LPSTREAM, LONG, BOOL, REFIID, LPVOID *);

struct LoadedLibrary {
    explicit LoadedLibrary(const wchar_t *name) : module(LoadSystemLibrary(name)) {}
    ~LoadedLibrary() {
        if (module) FreeLibrary(module);
    }
    LoadedLibrary(const LoadedLibrary &) = delete;
    LoadedLibrary &operator=(const LoadedLibrary &) = delete;
    HMODULE module;
};

// CoInitialize, undone only when it succeeded (S_FALSE included).
struct ComInitialisation {
    explicit ComInitialisation(HMODULE ole32) {
        if (!ole32) return;
        const auto initialize = SystemEntry<CoInitializeFn>(ole32, "CoInitialize");
        if (initialize && SUCCEEDED(initialize(nullptr)))
            uninitialize = SystemEntry<CoUninitializeFn>(ole32, "CoUninitialize");
    }
    ~ComInitialisation() {
        if (uninitialize) uninitialize();
    }
    ComInitialisation(const ComInitialisation &) = delete;
    ComInitialisation &operator=(const ComInitialisation &) = delete;
    CoUninitializeFn uninitialize = nullptr;
};

struct PictureReference {
    PictureReference() = default;
    ~PictureReference() {
        if (picture) picture->Release();
    }
    PictureReference(const PictureReference &) = delete;
    PictureReference &operator=(const PictureReference &) = delete;
    IPicture *picture = nullptr;
};

IPicture *Decode(HMODULE ole32, HMODULE oleaut32) {
    const auto createStream = SystemEntry<CreateStreamFn>(ole32, "CreateStreamOnHGlobal");
    const auto oleLoadPicture = SystemEntry<OleLoadPictureFn>(oleaut32, "OleLoadPicture");
    if (!createStream || !oleLoadPicture) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, kSplashGifSize);
    if (!memory) return nullptr;
    std::memcpy(GlobalLock(memory), kSplashGif, kSplashGifSize);
    GlobalUnlock(memory);
    IStream *stream = nullptr;
    // The stream owns the memory from here on and frees it with its last release.
    if (FAILED(createStream(memory, TRUE, &stream))) {
        GlobalFree(memory);
        return nullptr;
    }
    IPicture *picture = nullptr;
    if (FAILED(oleLoadPicture(stream, static_cast<LONG>(kSplashGifSize), FALSE, IID_IPicture,
                              reinterpret_cast<void **>(&picture))))
        picture = nullptr;
    stream->Release();
    return picture;
}

} // namespace

// Members go in reverse order: the picture, then COM, then the libraries.
struct SplashDecoder {
    LoadedLibrary ole32{L"ole32.dll"};
    LoadedLibrary oleaut32{L"oleaut32.dll"};
    ComInitialisation com{ole32.module};
    PictureReference picture;
};

void SplashDecoderRelease::operator()(SplashDecoder *decoder) const { delete decoder; }

SplashImage LoadSplashImage() {
    SplashImage image(new SplashDecoder);
    if (image->ole32.module && image->oleaut32.module)
        image->picture.picture = Decode(image->ole32.module, image->oleaut32.module);
    return image;
}

void DrawSplashImage(const SplashImage &image, HDC dc, SIZE size, const RECT &clip) {
    if (!image || !image->picture.picture) return;
    IPicture *picture = image->picture.picture;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    picture->get_Width(&width);
    picture->get_Height(&height);
    // Stretched to the control's rectangle; the picture is stored top-down.
    picture->Render(dc, 0, 0, size.cx, size.cy, 0, height, width, -height, &clip);
}
