// Pictures of the screen: what a box looked like to the user, kept for the test report and used to
// tell icons apart where their handles cannot be compared.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace msgbox_driver {

// Rows from top to bottom, three bytes a pixel in blue, green, red order, no padding.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const Image&) const = default;
};

// The pixels of the screen under `area` (screen coordinates); empty if the screen cannot be read.
// Only what is on top shows: a window covered by another is captured covered.
Image CaptureScreen(const RECT& area);

// The part of `image` under `area` (image coordinates), clipped to the image.
Image Crop(const Image& image, const RECT& area);

// True if every pixel has the same colour, as a window that has not painted yet has.
bool IsUniform(const Image& image);

// `icon` drawn at the given size over a plain background, as a static control draws it.
Image RenderIcon(HICON icon, int width, int height, COLORREF background);

// Writes `image` as an uncompressed 24-bit BMP file; false if the file cannot be written.
bool SaveBmp(const Image& image, const std::wstring& path);

}  // namespace msgbox_driver
