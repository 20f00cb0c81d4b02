#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Bitmap.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A colour with opacity: alpha 0 is transparent, 255 opaque.
struct CRgba {
  std::uint8_t m_r = 0, m_g = 0, m_b = 0, m_a = 0;
  friend bool operator==(const CRgba&, const CRgba&) = default;
};

// An icon: width, height and a colour with opacity per pixel (addressed from
// the top-left corner). A new icon is wholly transparent.
class CIcon {
 public:
  CIcon() = default;
  // An icon of `cx` by `cy` transparent pixels (none when either is not
  // positive).
  CIcon(int cx, int cy);

  int GetWidth() const { return m_nWidth; }
  int GetHeight() const { return m_nHeight; }
  // The pixel at (x, y); transparent black outside the icon.
  CRgba GetPixel(int x, int y) const;
  // Sets the pixel at (x, y); nothing outside the icon.
  void SetPixel(int x, int y, CRgba colour);
  // Every pixel, row by row from the top.
  const std::vector<CRgba>& GetPixels() const { return m_pixels; }

 private:
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<CRgba> m_pixels;
};

// A list of images of one size, each with its mask (kept as the images'
// transparency). Made empty; Create gives it its image size.
class CImageList {
 public:
  // Largest image side and image count.
  static constexpr int kMaxSide = 256;
  static constexpr int kMaxImages = 65536;

  CImageList() = default;

  // Makes the list empty with images of `cx` by `cy` pixels; `grow` is how
  // many images it makes room for at a time. False (list unchanged) for a
  // side outside 1..kMaxSide or a negative `grow`.
  bool Create(int cx, int cy, int grow);
  // The image size; 0 by 0 before Create.
  void GetImageSize(int& cx, int& cy) const;
  int GetImageCount() const { return static_cast<int>(m_images.size()); }
  // Sets the number of images: new images are blank and transparent, those
  // beyond `n` are dropped. False (unchanged) before Create or for `n`
  // outside 0..kMaxImages.
  bool SetImageCount(int n);
  // Cuts `bitmap` into images of the list's size, left to right (its width
  // divided by the list's width, rows below the list's height ignored), and
  // adds them; pixels of the colour `mask` become transparent. The position
  // of the first image added, or -1 (nothing added) when the bitmap is
  // narrower or lower than one image or the list would grow past kMaxImages.
  int Add(const CBitmap& bitmap, CRgb mask);
  // Replaces the image at `pos` with `icon`, mask included (scaled to the
  // list's size when it differs): true, false outside the list or for an
  // empty icon.
  bool Replace(int pos, const CIcon& icon);
  // A copy of the image at `pos` as an icon owned by the caller; null
  // outside the list.
  std::unique_ptr<CIcon> ExtractIcon(int pos) const;
  // The image at `pos`, owned by the list (valid until it changes); null
  // outside the list.
  const CIcon* GetImage(int pos) const;

 private:
  int m_cx = 0;
  int m_cy = 0;
  int m_nGrow = 0;
  std::vector<CIcon> m_images;
};

}  // namespace BLASTSEARCH_EXPORT
