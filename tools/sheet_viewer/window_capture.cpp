#include "tools/sheet_viewer/window_capture.h"

namespace sheet_viewer {

namespace {

// Asks for what the desktop composes, not only the classic paint; older
// runtimes do not know the flag and must be asked without it.
constexpr UINT kRenderFullContent = 0x00000002;

// A top-down 32-bit DIB section of the window's size, selected into its own
// memory DC; everything is given back by the destructor.
class DibCanvas {
  public:
    DibCanvas(HDC reference, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: rows top to bottom
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        dc_ = CreateCompatibleDC(reference);
        bitmap_ = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (dc_ != nullptr && bitmap_ != nullptr) {
            previous_ = SelectObject(dc_, bitmap_);
        }
    }
    ~DibCanvas() {
        if (previous_ != nullptr) {
            SelectObject(dc_, previous_);
        }
        if (bitmap_ != nullptr) {
            DeleteObject(bitmap_);
        }
        if (dc_ != nullptr) {
            DeleteDC(dc_);
        }
    }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    bool ready() const { return previous_ != nullptr && bits_ != nullptr; }
    HDC dc() const { return dc_; }

    // Blue, green, red, unused in memory; the unused byte is not alpha.
    RgbaPicture ToPicture() const {
        RgbaPicture picture;
        picture.width = static_cast<uint32_t>(width_);
        picture.height = static_cast<uint32_t>(height_);
        picture.pixels.resize(size_t{picture.width} * picture.height * 4);
        GdiFlush();
        const auto* source = static_cast<const uint8_t*>(bits_);
        for (size_t i = 0; i < picture.pixels.size(); i += 4) {
            picture.pixels[i] = source[i + 2];
            picture.pixels[i + 1] = source[i + 1];
            picture.pixels[i + 2] = source[i];
            picture.pixels[i + 3] = 0xFF;
        }
        return picture;
    }

  private:
    int width_;
    int height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    void* bits_ = nullptr;
};

}  // namespace

RgbaPicture CaptureWindow(HWND window) {
    RECT bounds;
    if (window == nullptr || !GetWindowRect(window, &bounds)) {
        return {};
    }
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) {
        return {};
    }
    // Whatever is still due is painted before the picture is taken.
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);

    const HDC windowDc = GetWindowDC(window);
    if (windowDc == nullptr) {
        return {};
    }
    RgbaPicture picture;
    {
        DibCanvas canvas(windowDc, width, height);
        if (canvas.ready()) {
            const bool copied = BitBlt(canvas.dc(), 0, 0, width, height, windowDc, 0, 0, SRCCOPY) ||
                                PrintWindow(window, canvas.dc(), kRenderFullContent) ||
                                PrintWindow(window, canvas.dc(), 0);
            if (copied) {
                picture = canvas.ToPicture();
            }
        }
    }
    ReleaseDC(window, windowDc);
    return picture;
}

}  // namespace sheet_viewer
