#include "sfx/stub/Picture.h"

#include <cstring>

namespace tb::sfx {

UniqueBitmap BitmapFromFile(const std::string& data) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    if (data.size() < sizeof file + sizeof info) return UniqueBitmap();
    std::memcpy(&file, data.data(), sizeof file);
    std::memcpy(&info, data.data() + sizeof file, sizeof info);
    if (file.bfType != 0x4D42 || info.biSize < sizeof info || info.biSize > 256 || info.biWidth <= 0 ||
        info.biHeight == 0 || info.biWidth > 4096 || info.biHeight > 4096 || info.biHeight < -4096 ||
        info.biPlanes != 1 || (info.biCompression != BI_RGB && info.biCompression != BI_BITFIELDS))
        return UniqueBitmap();
    const int bits = info.biBitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return UniqueBitmap();
    const uint64_t stride = ((uint64_t(info.biWidth) * bits + 31) / 32) * 4;
    const uint64_t height = info.biHeight < 0 ? uint64_t(-info.biHeight) : uint64_t(info.biHeight);
    uint64_t colours = bits <= 8 ? (info.biClrUsed ? info.biClrUsed : 1u << bits) : 0;
    if (info.biCompression == BI_BITFIELDS && info.biSize == sizeof info) colours = 3;
    const uint64_t header = sizeof file + info.biSize + colours * 4;
    if (colours > 256 || header > data.size() || file.bfOffBits < header || file.bfOffBits > data.size() ||
        data.size() - file.bfOffBits < stride * height)
        return UniqueBitmap();
    const auto* bitmapInfo = reinterpret_cast<const BITMAPINFO*>(data.data() + sizeof file);
    WindowDC screen(nullptr);
    return UniqueBitmap(::CreateDIBitmap(screen.Get(), &bitmapInfo->bmiHeader, CBM_INIT, data.data() + file.bfOffBits,
                                         bitmapInfo, DIB_RGB_COLORS));
}

UniqueBitmap FitBitmap(HBITMAP bitmap, int width, int height) {
    BITMAP b{};
    if (!bitmap || !::GetObject(bitmap, sizeof b, &b) || width <= 0 || height <= 0) return UniqueBitmap();
    int w = b.bmWidth, h = b.bmHeight;
    if (w > width || h > height) {
        if (int64_t(w) * height > int64_t(h) * width) {
            h = int(int64_t(h) * width / w);
            w = width;
        } else {
            w = int(int64_t(w) * height / h);
            h = height;
        }
    }
    WindowDC screen(nullptr);
    MemoryDC from(screen.Get()), to(screen.Get());
    UniqueBitmap fitted(::CreateCompatibleBitmap(screen.Get(), w < 1 ? 1 : w, h < 1 ? 1 : h));
    if (!fitted) return fitted;
    SelectedObject a(from.Get(), bitmap), c(to.Get(), fitted.Get());
    ::SetStretchBltMode(to.Get(), HALFTONE);
    ::StretchBlt(to.Get(), 0, 0, w, h, from.Get(), 0, 0, b.bmWidth, b.bmHeight, SRCCOPY);
    return fitted;
}

}  // namespace tb::sfx
