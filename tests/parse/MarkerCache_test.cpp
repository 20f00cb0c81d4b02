// Remembered marker searches give exactly the answers of the plain ones.

#include "parse/MarkerCache.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "ParseHelpers.h"
#include "parse/ScanText.h"
#include "support/Corpus.h"

namespace blastsearch {

namespace {

const char* const kMarkers[] = {"Score = ", "Score", "=", "\n>",   "Query: ", "<a name",
                                "<A",       "ab",    "a", "Frame", "zz",      ""};

// Texts over a small alphabet, so that markers occur, overlap and go missing.
std::string RandomText(std::mt19937& random, std::size_t length) {
  static const char kAlphabet[] = "aAbBz =\n>< Score=Query: <a nAmE";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += kAlphabet[pick(random)];
  return text;
}

// Finds, look-aheads and takes from positions that mostly move forward but
// sometimes step back, in both modes side by side; every other round the
// cache knows where the text ends.
TEST(MarkerCache, AnswersEqualThePlainSearches) {
  std::mt19937 random(12345);
  for (int round = 0; round < 600; ++round) {
    std::string text = RandomText(random, 1 + random() % 400);
    const char* const begin = text.c_str();
    CMarkerCache cached(MarkerSearch::Cached);
    CMarkerCache plain(MarkerSearch::Plain);
    if (round % 2 == 1) cached.SetTextEnd(begin + text.size());
    std::size_t position = 0;
    for (int step = 0; step < 200; ++step) {
      SCOPED_TRACE(testing::Message() << "round " << round << " step " << step);
      const int move = static_cast<int>(random() % 10);
      if (move < 7) {
        position = std::min(text.size(), position + random() % 8);
      } else if (move < 8) {
        position = random() % (text.size() + 1);
      }
      const char* from = begin + position;
      const char* marker = kMarkers[random() % std::size(kMarkers)];
      const char* other = kMarkers[random() % std::size(kMarkers)];
      const auto match = random() % 2 ? CMarkerCache::Match::Exact : CMarkerCache::Match::TagFolded;
      // Two markers readied in one pass now and then: no answer changes.
      if (random() % 4 == 0) cached.FindBoth(from, cached.Marker(marker), cached.Marker(other));
      // The plain mode is the primitives themselves.
      const char* expected = match == CMarkerCache::Match::Exact || marker[0] != '<'
                                 ? std::strstr(from, marker)
                                 : StrStr(from, marker);
      ASSERT_EQ(plain.Find(from, marker, match), expected);
      ASSERT_EQ(cached.Find(from, marker, match), expected);
      ASSERT_EQ(cached.Follows(from, marker, {other}, match),
                plain.Follows(from, marker, {other}, match));

      const int limit = static_cast<int>(random() % 3) * 5;
      char* cursorCached = text.data() + position;
      char* cursorPlain = cursorCached;
      ASSERT_EQ(cached.FindString(&cursorCached, marker, limit),
                FindString(&cursorPlain, marker, limit));
      ASSERT_EQ(cursorCached, cursorPlain);

      static const char* const kStops[] = {" ", "\n", "=>", " \r\n", "=> \n", "ab=>\n"};
      const char* stop = kStops[random() % std::size(kStops)];
      const char* skip = random() % 2 ? " " : nullptr;
      const char* first = random() % 3 ? marker : nullptr;
      const char* second = random() % 2 ? other : nullptr;
      std::string valueCached = "x";
      std::string valuePlain = "x";
      cursorCached = text.data() + position;
      cursorPlain = cursorCached;
      ASSERT_EQ(cached.GetString(&cursorCached, first, second, skip, valueCached, stop),
                GetString(&cursorPlain, first, second, skip, valuePlain, stop, 0));
      ASSERT_EQ(cursorCached, cursorPlain);
      ASSERT_EQ(valueCached, valuePlain);
    }
  }
}

TEST(MarkerCache, MarkersAreKnownByTheirText) {
  std::string text = "one Score two Score three";
  CMarkerCache cache(MarkerSearch::Cached);
  const std::string copy = "Score";  // same text, another pointer
  const char* first = cache.Find(text.c_str(), "Score");
  EXPECT_EQ(first, text.c_str() + 4);
  EXPECT_EQ(cache.Find(text.c_str() + 5, copy.c_str()), text.c_str() + 14);
  EXPECT_EQ(cache.Find(text.c_str() + 15, "Score"), nullptr);
  // Going back to an earlier position still answers right.
  EXPECT_EQ(cache.Find(text.c_str(), "Score"), first);
}

TEST(MarkerCache, ThreadDefaultModeIsScoped) {
  EXPECT_EQ(DefaultMarkerSearch(), MarkerSearch::Cached);
  {
    CMarkerSearchScope plain(MarkerSearch::Plain);
    EXPECT_EQ(DefaultMarkerSearch(), MarkerSearch::Plain);
  }
  EXPECT_EQ(DefaultMarkerSearch(), MarkerSearch::Cached);
}

// Both readers give identical trees with remembered and with plain marker
// searches, on every corpus report, whole and cut short.
TEST(MarkerCache, ReadersGiveIdenticalTreesOnTheCorpus) {
  SKIP_WITHOUT_CORPUS();
  int files = 0;
  int hits = 0;
  for (const char* folder : {"text", "html-classic", "html-qblast", "blastplus-text"}) {
    for (const auto& path : CorpusFiles(folder)) {
      const std::string whole = ReadWholeFile(path);
      ++files;
      for (std::size_t part = 10; part >= 1; --part) {
        // Cuts at odd places, not just at line ends.
        const std::size_t cut = whole.size() * part / 10;
        const std::string text = whole.substr(0, part < 10 && cut > 7 ? cut - 7 : cut);
        SCOPED_TRACE(path.filename().string() + " cut at " + std::to_string(text.size()));
        ParseOutcome cachedQ;
        ParseOutcome cachedClassic;
        {
          CMarkerSearchScope mode(MarkerSearch::Cached);
          cachedQ = ParseQBlast(text);
          cachedClassic = ParseClassic(text);
        }
        CMarkerSearchScope mode(MarkerSearch::Plain);
        const ParseOutcome plainQ = ParseQBlast(text);
        const ParseOutcome plainClassic = ParseClassic(text);
        ASSERT_EQ(cachedQ.nResult, plainQ.nResult);
        ASSERT_EQ(cachedQ.strDump, plainQ.strDump);
        ASSERT_EQ(cachedClassic.nResult, plainClassic.nResult);
        ASSERT_EQ(cachedClassic.strDump, plainClassic.strDump);
        if (part == 10) hits += CountHits(cachedQ.strDump) + CountHits(cachedClassic.strDump);
      }
    }
  }
  EXPECT_GT(files, 90);
  EXPECT_GT(hits, 500);  // the comparison is not between empty trees
}

}  // namespace

}  // namespace blastsearch
