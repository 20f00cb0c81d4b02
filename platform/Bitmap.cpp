#include "platform/Bitmap.h"

#include <cstdint>
#include <cstdlib>

namespace blastsearch {

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;  // the smallest header we read

std::uint32_t ReadU32(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

std::uint16_t ReadU16(std::span<const unsigned char> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool Fail(std::string* error, const char* what) {
  if (error != nullptr) *error = what;
  return false;
}

}  // namespace

bool CBitmap::LoadFromBytes(std::span<const unsigned char> bytes, std::string* error) {
  *this = CBitmap();
  const std::size_t size = bytes.size();
  if (size < kFileHeaderSize + kInfoHeaderSize) return Fail(error, "too short for a bitmap file");
  if (bytes[0] != 'B' || bytes[1] != 'M') return Fail(error, "no bitmap signature \"BM\"");
  const std::uint32_t fileSize = ReadU32(bytes, 2);
  if (fileSize > size) return Fail(error, "the file is shorter than its header says");
  const std::uint32_t pixelOffset = ReadU32(bytes, 10);
  const std::uint32_t headerSize = ReadU32(bytes, 14);
  if (headerSize < kInfoHeaderSize || headerSize > size - kFileHeaderSize) {
    return Fail(error, "the information header's size is wrong");
  }
  const auto width = static_cast<std::int32_t>(ReadU32(bytes, 18));
  const auto rawHeight = static_cast<std::int32_t>(ReadU32(bytes, 22));
  const std::uint16_t planes = ReadU16(bytes, 26);
  const std::uint16_t bitCount = ReadU16(bytes, 28);
  const std::uint32_t compression = ReadU32(bytes, 30);
  const std::uint32_t imageSize = ReadU32(bytes, 34);
  const std::uint32_t coloursUsed = ReadU32(bytes, 46);
  if (planes != 1 || bitCount != 4) return Fail(error, "not a 16-colour bitmap");
  if (compression != 0) return Fail(error, "compressed bitmaps are not read");
  if (rawHeight == INT32_MIN) return Fail(error, "the height is out of range");
  const std::int32_t height = std::abs(rawHeight);
  if (width <= 0 || height == 0 || width > kMaxSide || height > kMaxSide) {
    return Fail(error, "the width or height is out of range");
  }
  const std::uint32_t colours = coloursUsed == 0 ? 16 : coloursUsed;
  if (colours > 16) return Fail(error, "the palette has more than 16 colours");
  // Sizes below are at most a few megabytes: no overflow in 64 bits.
  const std::uint64_t paletteEnd = kFileHeaderSize + std::uint64_t{headerSize} + 4ULL * colours;
  if (paletteEnd > size) return Fail(error, "the palette runs past the end of the file");
  if (pixelOffset < paletteEnd) return Fail(error, "the pixels overlap the headers");
  const std::uint64_t stride = (std::uint64_t(width) * 4 + 31) / 32 * 4;
  const std::uint64_t pixelBytes = stride * std::uint64_t(height);
  if (imageSize != 0 && imageSize < pixelBytes) return Fail(error, "the image size is too small");
  if (std::uint64_t{pixelOffset} + pixelBytes > size) {
    return Fail(error, "the pixels run past the end of the file");
  }

  std::vector<CRgb> palette(colours);
  for (std::uint32_t i = 0; i < colours; ++i) {
    const std::size_t at = kFileHeaderSize + headerSize + 4 * i;  // blue, green, red, unused
    palette[i] = CRgb{bytes[at + 2], bytes[at + 1], bytes[at]};
  }
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width) * height);
  for (std::int32_t row = 0; row < height; ++row) {
    const std::int32_t stored = rawHeight > 0 ? height - 1 - row : row;
    const std::size_t rowStart = pixelOffset + static_cast<std::size_t>(stored) * stride;
    for (std::int32_t x = 0; x < width; ++x) {
      const unsigned char pair = bytes[rowStart + static_cast<std::size_t>(x) / 2];
      const std::uint8_t index = (x % 2 == 0) ? pair >> 4 : pair & 0x0F;
      if (index >= colours) return Fail(error, "a pixel names a colour the palette lacks");
      indices[static_cast<std::size_t>(row) * width + x] = index;
    }
  }
  m_nWidth = width;
  m_nHeight = height;
  m_palette = std::move(palette);
  m_indices = std::move(indices);
  return true;
}

int CBitmap::GetPixelIndex(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return 0;
  return m_indices[static_cast<std::size_t>(y) * m_nWidth + x];
}

CRgb CBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return CRgb{};
  return m_palette[static_cast<std::size_t>(GetPixelIndex(x, y))];
}

}  // namespace blastsearch
