#include "launcher/SplashImage.h"

#include <olectl.h>

#include <cstring>

extern const unsigned char kSplashGif[];
extern const std::size_t kSplashGifSize;

namespace {

using CoInitializeFn = HRESULT(WINAPI *)(LPVOID);
using CoUninitializeFn = void(WINAPI *)();
using CreateStreamFn = HRESULT(WINAPI *)(HGLOBAL, BOOL, LPSTREAM *);
using OleLoadPictureFn = HRESULT(WINAPI *)(LPSTREAM, LONG, BOOL, REFIID, LPVOID *);

template <typename Fn> Fn Entry(HMODULE module, const char *name) {
    // Through the generic function type, which converts to any other.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

IPicture *Decode(HMODULE ole32, HMODULE oleaut32) {
    const auto createStream = Entry<CreateStreamFn>(ole32, "CreateStreamOnHGlobal");
    const auto oleLoadPicture = Entry<OleLoadPictureFn>(oleaut32, "OleLoadPicture");
    if (!createStream || !oleLoadPicture) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, kSplashGifSize);
    if (!memory) return nullptr;
    std::memcpy(GlobalLock(memory), kSplashGif, kSplashGifSize);
    GlobalUnlock(memory);
    IStream *stream = nullptr;
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

void LoadSplashImage(SplashImage &image) {
    image.ole32 = LoadLibraryW(L"ole32.dll");
    image.oleaut32 = LoadLibraryW(L"oleaut32.dll");
    if (!image.ole32 || !image.oleaut32) return;
    if (const auto coInitialize = Entry<CoInitializeFn>(image.ole32, "CoInitialize"))
        coInitialize(nullptr);
    image.picture = Decode(image.ole32, image.oleaut32);
}

void DrawSplashImage(const SplashImage &image, HDC dc, SIZE size, const RECT &clip) {
    if (!image.picture) return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    image.picture->get_Width(&width);
    image.picture->get_Height(&height);
    // Stretched to the control's rectangle; the picture is stored top-down.
    image.picture->Render(dc, 0, 0, size.cx, size.cy, 0, height, width, -height, &clip);
}

void ReleaseSplashImage(SplashImage &image) {
    if (image.picture) image.picture->Release();
    image.picture = nullptr;
    if (image.ole32) {
        if (const auto coUninitialize = Entry<CoUninitializeFn>(image.ole32, "CoUninitialize"))
            coUninitialize();
    }
    if (image.oleaut32) FreeLibrary(image.oleaut32);
    if (image.ole32) FreeLibrary(image.ole32);
    image.ole32 = image.oleaut32 = nullptr;
}
