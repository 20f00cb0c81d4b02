#pragma once

#include <string>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// Geometry of the graphical overview of a result: where the bars of the
// segment pairs lie along the query, the ruler's positions and the colour
// bands of the bit scores. Pure functions, no window code.

// The stretch of the query that a segment pair covers, in query positions
// (from 1) as the report gives them; start may exceed end (minus strand).
struct CQueryRange {
  int m_nStart = 0;
  int m_nEnd = 0;
};

// A bar of the overview in pixels of its track: from m_nLeft, m_nWidth wide.
struct CBarSpan {
  int m_nLeft = 0;
  int m_nWidth = 0;
};

// The length that the overview's scale spans: the query length, or the
// furthest position of a range when a range reaches past it (or the query
// length is unknown); 0 when nothing has a length.
int OverviewScaleLength(int queryLength, const std::vector<CQueryRange>& ranges);

// One span per range, in the order of `ranges`, in a track `width` pixels
// wide that shows the query from position 1 (left edge) to the scale length
// (right edge). A bar is at least 2 pixels wide and stays inside the track.
// A range without a position from 1 up gets an empty span. With no scale length or no width every
// span is empty (left 0, width 0).
std::vector<CBarSpan> PlaceSegmentBars(int queryLength, const std::vector<CQueryRange>& ranges,
                                       int width);

// The pixel of the track where query position `position` begins.
int QueryPositionX(int position, int scaleLength, int width);

// The positions that the ruler labels: 1, then multiples of a round step
// (1, 2 or 5 times a power of ten) whose labels are at least `minSpacing`
// pixels apart, up to the scale length. Empty with no scale or no width.
std::vector<int> RulerPositions(int scaleLength, int width, int minSpacing);

// The five bit-score bands of the overview: 0 below 40, 1 from 40 to below
// 50, 2 from 50 to below 80, 3 from 80 to below 200, 4 from 200.
enum { kBitScoreBands = 5 };
int BitScoreBand(double bitScore);

// An RGB colour.
struct CBandColour {
  int m_nRed = 0;
  int m_nGreen = 0;
  int m_nBlue = 0;
};
// The colour of band `band` (0 to 4): black, blue, green, magenta, red;
// black for any other band.
CBandColour BandColour(int band);
// The legend text of band `band`: "< 40", "40 - 50", "50 - 80", "80 - 200",
// ">= 200"; "" for any other band.
std::string BandLabel(int band);

}  // namespace BLASTSEARCH_EXPORT
