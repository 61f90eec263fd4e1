#include "screen_image.h"

#include <algorithm>
#include <cstring>

#include "owned_handle.h"

namespace msgbox_driver {
namespace {

constexpr int kBytesPerPixel = 3;

std::size_t TightRowSize(int width) {
  return static_cast<std::size_t>(width) * kBytesPerPixel;
}

// Rows of a DIB, and of a BMP file, start on four-byte boundaries.
std::size_t PaddedRowSize(int width) {
  return (TightRowSize(width) + 3) & ~std::size_t{3};
}

class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) {
      ::ReleaseDC(nullptr, dc_);
    }
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;

  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// A memory DC drawing into a top-down 24-bit DIB, so that its bits read in the order of Image.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height) {
    dc_.reset(::CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (dc_ && bitmap_) {
      previous_ = ::SelectObject(dc_.get(), bitmap_.get());
    }
  }
  ~Canvas() {
    // The bitmap cannot be deleted while a DC still holds it.
    if (previous_ != nullptr) {
      ::SelectObject(dc_.get(), previous_);
    }
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  explicit operator bool() const { return previous_ != nullptr && bits_ != nullptr; }
  HDC dc() const { return dc_.get(); }

  Image Pixels() const {
    ::GdiFlush();
    Image image{width_, height_, {}};
    const std::size_t row = TightRowSize(width_);
    image.pixels.resize(row * static_cast<std::size_t>(height_));
    const auto* source = static_cast<const std::uint8_t*>(bits_);
    for (int y = 0; y < height_; ++y) {
      std::memcpy(image.pixels.data() + row * static_cast<std::size_t>(y),
                  source + PaddedRowSize(width_) * static_cast<std::size_t>(y), row);
    }
    return image;
  }

 private:
  int width_;
  int height_;
  OwnedMemoryDc dc_;
  OwnedGdiObject bitmap_;
  HGDIOBJ previous_ = nullptr;
  void* bits_ = nullptr;
};

template <typename T>
void Append(std::vector<std::uint8_t>& bytes, const T& value) {
  const auto* first = reinterpret_cast<const std::uint8_t*>(&value);
  bytes.insert(bytes.end(), first, first + sizeof(T));
}

}  // namespace

Image CaptureScreen(const RECT& area) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    return {};
  }
  const ScreenDc screen;
  Canvas canvas(width, height);
  if (screen.get() == nullptr || !canvas) {
    return {};
  }
  // CAPTUREBLT takes in layered windows, which a plain copy of the screen leaves out.
  if (!::BitBlt(canvas.dc(), 0, 0, width, height, screen.get(), area.left, area.top,
                SRCCOPY | CAPTUREBLT)) {
    return {};
  }
  return canvas.Pixels();
}

Image Crop(const Image& image, const RECT& area) {
  const int left = std::clamp(static_cast<int>(area.left), 0, image.width);
  const int top = std::clamp(static_cast<int>(area.top), 0, image.height);
  const int right = std::clamp(static_cast<int>(area.right), left, image.width);
  const int bottom = std::clamp(static_cast<int>(area.bottom), top, image.height);
  Image part{right - left, bottom - top, {}};
  const std::size_t row = TightRowSize(part.width);
  for (int y = top; y < bottom; ++y) {
    const auto first =
        image.pixels.begin() +
        static_cast<std::ptrdiff_t>(TightRowSize(image.width) * static_cast<std::size_t>(y) +
                                    TightRowSize(left));
    part.pixels.insert(part.pixels.end(), first, first + static_cast<std::ptrdiff_t>(row));
  }
  return part;
}

bool IsUniform(const Image& image) {
  if (image.pixels.size() < kBytesPerPixel) {
    return true;
  }
  for (std::size_t i = kBytesPerPixel; i < image.pixels.size(); ++i) {
    if (image.pixels[i] != image.pixels[i % kBytesPerPixel]) {
      return false;
    }
  }
  return true;
}

Image RenderIcon(HICON icon, int width, int height, COLORREF background) {
  Canvas canvas(width, height);
  const OwnedGdiObject brush(::CreateSolidBrush(background));
  if (!canvas || !brush) {
    return {};
  }
  const RECT all{0, 0, width, height};
  ::FillRect(canvas.dc(), &all, static_cast<HBRUSH>(brush.get()));
  if (!::DrawIconEx(canvas.dc(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) {
    return {};
  }
  return canvas.Pixels();
}

bool SaveBmp(const Image& image, const std::wstring& path) {
  if (image.empty()) {
    return false;
  }
  const std::size_t padded = PaddedRowSize(image.width);
  const std::size_t pixelBytes = padded * static_cast<std::size_t>(image.height);

  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixelBytes);
  info.biSize = sizeof(info);
  info.biWidth = image.width;
  info.biHeight = image.height;  // positive: bottom row first, which every reader accepts
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(pixelBytes);

  std::vector<std::uint8_t> bytes;
  bytes.reserve(file.bfSize);
  Append(bytes, file);
  Append(bytes, info);
  const std::size_t row = TightRowSize(image.width);
  for (int y = image.height - 1; y >= 0; --y) {
    const auto first =
        image.pixels.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(y));
    bytes.insert(bytes.end(), first, first + static_cast<std::ptrdiff_t>(row));
    bytes.resize(bytes.size() + padded - row);
  }

  const OwnedFile out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  return out &&
         ::WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
         written == bytes.size();
}

}  // namespace msgbox_driver
