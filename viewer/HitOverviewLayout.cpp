#include "viewer/HitOverviewLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace blastsearch {

int OverviewScaleLength(int queryLength, const std::vector<CQueryRange>& ranges) {
  int length = std::max(queryLength, 0);
  for (const CQueryRange& range : ranges) {
    length = std::max({length, range.m_nStart, range.m_nEnd});
  }
  return length;
}

int QueryPositionX(int position, int scaleLength, int width) {
  if (scaleLength <= 0 || width <= 0) return 0;
  const std::int64_t offset = std::clamp<std::int64_t>(position - 1, 0, scaleLength);
  return static_cast<int>(offset * width / scaleLength);
}

std::vector<CBarSpan> PlaceSegmentBars(int queryLength, const std::vector<CQueryRange>& ranges,
                                       int width) {
  std::vector<CBarSpan> spans(ranges.size());
  const int scale = OverviewScaleLength(queryLength, ranges);
  if (scale <= 0 || width <= 0) return spans;
  constexpr int kMinWidth = 2;
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    if (std::max(ranges[i].m_nStart, ranges[i].m_nEnd) < 1) continue;  // no range known
    const int low = std::max(1, std::min(ranges[i].m_nStart, ranges[i].m_nEnd));
    const int high = std::max({1, ranges[i].m_nStart, ranges[i].m_nEnd});
    int left = QueryPositionX(low, scale, width);
    const int right = QueryPositionX(high + 1, scale, width);
    int barWidth = std::max(right - left, std::min(kMinWidth, width));
    if (left + barWidth > width) left = width - barWidth;
    spans[i] = CBarSpan{left, barWidth};
  }
  return spans;
}

std::vector<int> RulerPositions(int scaleLength, int width, int minSpacing) {
  std::vector<int> positions;
  if (scaleLength <= 0 || width <= 0) return positions;
  minSpacing = std::max(minSpacing, 1);
  // The smallest round step whose labels lie minSpacing apart.
  std::int64_t step = 1;
  for (std::int64_t power = 1;; power *= 10) {
    bool found = false;
    for (int factor : {1, 2, 5}) {
      step = power * factor;
      if (step * width >= static_cast<std::int64_t>(minSpacing) * scaleLength) {
        found = true;
        break;
      }
    }
    if (found || step >= scaleLength) break;
  }
  positions.push_back(1);
  for (std::int64_t position = step; position <= scaleLength; position += step) {
    // Keep the label of 1 clear of the first step's.
    if ((position - 1) * width < static_cast<std::int64_t>(minSpacing) * scaleLength) continue;
    positions.push_back(static_cast<int>(position));
  }
  return positions;
}

int BitScoreBand(double bitScore) {
  if (!(bitScore >= 40.0)) return 0;  // also NaN
  if (bitScore < 50.0) return 1;
  if (bitScore < 80.0) return 2;
  if (bitScore < 200.0) return 3;
  return 4;
}

CBandColour BandColour(int band) {
  switch (band) {
    case 1:
      return {0x1f, 0x3f, 0xe0};
    case 2:
      return {0x1a, 0x9a, 0x2a};
    case 3:
      return {0xc0, 0x2a, 0xc8};
    case 4:
      return {0xe0, 0x1f, 0x1f};
    default:
      return {0x20, 0x20, 0x20};
  }
}

std::string BandLabel(int band) {
  switch (band) {
    case 0:
      return "< 40";
    case 1:
      return "40 - 50";
    case 2:
      return "50 - 80";
    case 3:
      return "80 - 200";
    case 4:
      return ">= 200";
    default:
      return "";
  }
}

}  // namespace blastsearch
