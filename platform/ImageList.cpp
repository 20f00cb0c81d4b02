#include "platform/ImageList.h"

#include <algorithm>

namespace blastsearch {

CIcon::CIcon(int cx, int cy) {
  if (cx <= 0 || cy <= 0) return;
  m_nWidth = cx;
  m_nHeight = cy;
  m_pixels.assign(static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy), CRgba{});
}

CRgba CIcon::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return CRgba{};
  return m_pixels[static_cast<std::size_t>(y) * m_nWidth + x];
}

void CIcon::SetPixel(int x, int y, CRgba colour) {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
  m_pixels[static_cast<std::size_t>(y) * m_nWidth + x] = colour;
}

bool CImageList::Create(int cx, int cy, int grow) {
  if (cx < 1 || cy < 1 || cx > kMaxSide || cy > kMaxSide || grow < 0) return false;
  m_cx = cx;
  m_cy = cy;
  m_nGrow = grow;
  m_images.clear();
  return true;
}

void CImageList::GetImageSize(int& cx, int& cy) const {
  cx = m_cx;
  cy = m_cy;
}

bool CImageList::SetImageCount(int n) {
  if (m_cx == 0 || n < 0 || n > kMaxImages) return false;
  m_images.resize(static_cast<std::size_t>(n), CIcon(m_cx, m_cy));
  return true;
}

int CImageList::Add(const CBitmap& bitmap, CRgb mask) {
  if (m_cx == 0 || bitmap.GetHeight() < m_cy) return -1;
  const int count = bitmap.GetWidth() / m_cx;
  if (count == 0 || count > kMaxImages - GetImageCount()) return -1;
  const int first = GetImageCount();
  if (m_nGrow > 0 && m_images.capacity() < m_images.size() + count) {
    m_images.reserve(m_images.size() + static_cast<std::size_t>(std::max(count, m_nGrow)));
  }
  for (int image = 0; image < count; ++image) {
    CIcon icon(m_cx, m_cy);
    for (int y = 0; y < m_cy; ++y) {
      for (int x = 0; x < m_cx; ++x) {
        const CRgb colour = bitmap.GetPixel(image * m_cx + x, y);
        if (colour == mask) continue;  // stays transparent
        icon.SetPixel(x, y, CRgba{colour.m_r, colour.m_g, colour.m_b, 255});
      }
    }
    m_images.push_back(std::move(icon));
  }
  return first;
}

bool CImageList::Replace(int pos, const CIcon& icon) {
  if (pos < 0 || pos >= GetImageCount() || icon.GetWidth() == 0) return false;
  CIcon image(m_cx, m_cy);
  for (int y = 0; y < m_cy; ++y) {
    for (int x = 0; x < m_cx; ++x) {
      image.SetPixel(x, y, icon.GetPixel(x * icon.GetWidth() / m_cx, y * icon.GetHeight() / m_cy));
    }
  }
  m_images[static_cast<std::size_t>(pos)] = std::move(image);
  return true;
}

std::unique_ptr<CIcon> CImageList::ExtractIcon(int pos) const {
  const CIcon* image = GetImage(pos);
  return image != nullptr ? std::make_unique<CIcon>(*image) : nullptr;
}

const CIcon* CImageList::GetImage(int pos) const {
  if (pos < 0 || pos >= GetImageCount()) return nullptr;
  return &m_images[static_cast<std::size_t>(pos)];
}

}  // namespace blastsearch
