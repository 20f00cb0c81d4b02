// The searches over length-delimited text: the same answers as the plain
// ones wherever the marker stands against the blocks they read, never a read
// past the end.

#include "parse/FindText.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <span>
#include <string>
#include <string_view>

namespace blastsearch {

namespace {

// Runs the body of a test once with the widest searches the processor has
// and once with the 16-byte ones that every x86-64 processor has.
template <class Body>
void InBothWidths(Body body) {
  for (const bool narrow : {false, true}) {
    SCOPED_TRACE(narrow ? "16-byte searches" : "widest searches");
    const bool previous = SetNarrowSearches(narrow);
    body();
    SetNarrowSearches(previous);
  }
}

const char* Expected(std::string_view text, std::string_view marker) {
  const std::size_t at = text.find(marker);
  return at == std::string_view::npos ? nullptr : text.data() + at;
}

// Texts of `size` characters with the marker at `at` (or nowhere when it
// does not fit), each in a buffer of its own, so that a read past its end is
// seen by the address sanitizer.
TEST(FindText, FindsWhatThePlainSearchFindsAtEveryPlace) {
  InBothWidths([&] {
    const std::string_view markers[] = {
        "Q", "\n>", "Query:", "Score = ", "Frame", "Sequences producing significant alignments:"};
    for (std::string_view marker : markers) {
      for (std::size_t size : {0, 1, 15, 16, 17, 31, 32, 33, 47, 64, 100}) {
        for (std::size_t at = 0; at <= size; ++at) {
          auto text = std::make_unique<char[]>(size + 1);
          for (std::size_t i = 0; i < size; ++i) text[i] = "ACDQSe :\n"[i % 9];
          if (at + marker.size() <= size) marker.copy(text.get() + at, marker.size());
          const std::string_view view(text.get(), size);
          SCOPED_TRACE(std::string(marker) + " size " + std::to_string(size) + " at " +
                       std::to_string(at));
          ASSERT_EQ(FindText(view.data(), view.data() + size, marker), Expected(view, marker));
          // Every probe character gives the same answer.
          for (std::size_t probe = 0; probe <= marker.size(); ++probe) {
            ASSERT_EQ(FindText(view.data(), view.data() + size, marker, probe),
                      Expected(view, marker));
          }
        }
      }
    }
  });
}

TEST(FindText, RandomTextsOfFewLetters) {
  InBothWidths([&] {
    std::mt19937 random(21);
    for (int i = 0; i < 3000; ++i) {
      std::string text(random() % 200, ' ');
      for (char& c : text) c = "ab\n"[random() % 3];
      std::string marker(1 + random() % 6, ' ');
      for (char& c : marker) c = "ab\n"[random() % 3];
      const std::size_t from = text.empty() ? 0 : random() % text.size();
      const std::string_view rest = std::string_view(text).substr(from);
      // Every probe: a text that differs from the marker only in a
      // character that is not compared first is no match.
      for (std::size_t probe = 0; probe <= marker.size(); ++probe) {
        ASSERT_EQ(FindText(rest.data(), rest.data() + rest.size(), marker, probe),
                  Expected(rest, marker))
            << text << " / " << marker << " / " << probe;
      }
    }
  });
}

// One to four markers searched in one pass: each found where it would be
// alone, whichever comes first and wherever it stands against the blocks.
TEST(FindText, SeveralMarkersInOnePass) {
  InBothWidths([&] {
    std::mt19937 random(33);
    for (int i = 0; i < 6000; ++i) {
      const auto buffer = std::make_unique<char[]>(300);
      std::string_view text(buffer.get(), random() % 300);
      for (std::size_t c = 0; c < text.size(); ++c) buffer[c] = "ab \n"[random() % 4];
      const std::size_t count = 1 + random() % kMostTexts;
      std::string owned[kMostTexts];
      std::string_view markers[kMostTexts];
      std::size_t probes[kMostTexts];
      for (std::size_t m = 0; m < count; ++m) {
        owned[m].assign(1 + random() % 7, ' ');
        for (char& c : owned[m]) c = "ab \n"[random() % 4];
        markers[m] = owned[m];
        probes[m] = random() % 8;
      }
      const char* found[kMostTexts] = {};
      FindTexts(text.data(), text.data() + text.size(), std::span(markers).first(count), probes,
                found);
      for (std::size_t m = 0; m < count; ++m) {
        ASSERT_EQ(found[m], Expected(text, markers[m]))
            << text << " / " << markers[m] << " / " << probes[m];
      }
    }
  });
}

TEST(FindText, FirstCarriageReturnOrZeroByte) {
  InBothWidths([&] {
    using namespace std::string_literals;
    for (std::size_t size : {0, 1, 16, 31, 32, 33, 70}) {
      for (std::size_t at = 0; at <= size; ++at) {
        for (char odd : {'\r', '\0'}) {
          std::string text(size, 'x');
          if (at < size) text[at] = odd;
          const char* found = FindCarriageReturnOrZero(text.data(), text.data() + size);
          ASSERT_EQ(found - text.data(), static_cast<std::ptrdiff_t>(at)) << size << " " << at;
        }
      }
    }
  });
}

TEST(FindText, FirstOfASetOfUpToEightCharacters) {
  InBothWidths([&] {
    for (std::string_view set :
         {" ", " \n", ") \r\n", "/ \r\n", "\"{}[],", "abcdefgh", "", "abcdefghi"}) {
      for (std::size_t size : {0, 1, 31, 32, 33, 65}) {
        for (std::size_t at = 0; at <= size; ++at) {
          std::string text(size, 'x');
          if (at < size && !set.empty()) text[at] = set.back();
          const char* end = text.data() + size;
          const std::size_t want = set.size() > 8 ? std::string::npos : text.find_first_of(set);
          const char* found = FindAnyOf(text.data(), end, set);
          ASSERT_EQ(found, want == std::string::npos ? end : text.data() + want)
              << "set \"" << set << "\" size " << size << " at " << at;
        }
      }
    }
  });
}

}  // namespace

}  // namespace blastsearch
