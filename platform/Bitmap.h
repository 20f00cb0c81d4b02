#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A colour: red, green, blue.
struct CRgb {
  std::uint8_t m_r = 0, m_g = 0, m_b = 0;
  friend bool operator==(const CRgb&, const CRgb&) = default;
};

// A 16-colour bitmap: width, height and a palette index per pixel, read from
// the bytes of a Windows .bmp file (4 bits a pixel, uncompressed, rows stored
// bottom-up or, with a negative height, top-down). Pixels are addressed from
// the top-left corner.
class CBitmap {
 public:
  // Largest width and height accepted from a file.
  static constexpr int kMaxSide = 4096;

  CBitmap() = default;

  // Reads the .bmp file `bytes`: true, the bitmap holding its picture; false
  // when the bytes are not such a file or are damaged (cut short, sizes or
  // offsets beyond the bytes really there, a pixel naming a colour the palette
  // lacks), with the bitmap left empty and `error` (when given) saying what is
  // wrong. Never reads outside `bytes`.
  [[nodiscard]] bool LoadFromBytes(std::span<const unsigned char> bytes,
                                   std::string* error = nullptr);

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  bool IsEmpty() const { return m_nWidth == 0; }
  // The palette (at most 16 colours).
  const std::vector<CRgb>& GetPalette() const { return m_palette; }
  // The palette index / colour of the pixel at (x, y); 0 / black outside.
  int GetPixelIndex(int x, int y) const;
  CRgb GetPixel(int x, int y) const;

 private:
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<CRgb> m_palette;
  std::vector<std::uint8_t> m_indices;  // top-down, row by row
};

// The bitmap `id` of the resources of the loaded modules
// (platform/ModuleResources.h): a new bitmap owned by the caller; null when no
// module has it or its bytes are not a sound .bmp file.
[[nodiscard]] std::unique_ptr<CBitmap> LoadBitmap(unsigned id);

}  // namespace BLASTSEARCH_EXPORT
