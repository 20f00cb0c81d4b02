// The one-pass reading of a regular pair of alignment rows, and what it
// leaves to the general reading.

#include "parse/RowPair.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace blastsearch {

namespace {

const std::string kPair =
    "\nQuery: 12  ACDEFGHIKL 21\n           AC EF HIKL\nSbjct: 5   ACDEFAHIKL 14\n\n";

// Reads `text` from a buffer of exactly its size, so that a read past its
// end is caught by the sanitizers.
bool Read(const std::string& text, CRowPair& pair) {
  auto bytes = std::make_unique<char[]>(text.size());
  text.copy(bytes.get(), text.size());
  const bool read = ReadRowPair(bytes.get(), bytes.get() + text.size(), pair);
  if (read) {
    // Views into the copy: compare them before it goes.
    EXPECT_EQ(pair.pLineEnd[0], '\n');
    pair.query = std::string_view(text).substr(pair.query.data() - bytes.get(), pair.query.size());
    pair.subject =
        std::string_view(text).substr(pair.subject.data() - bytes.get(), pair.subject.size());
  }
  return read;
}

TEST(RowPair, ReadsTheRegularForm) {
  CRowPair pair;
  ASSERT_TRUE(Read(kPair, pair));
  EXPECT_EQ(pair.nQueryStart, 12);
  EXPECT_EQ(pair.query, "ACDEFGHIKL");
  EXPECT_EQ(pair.nQueryEnd, 21);
  EXPECT_EQ(pair.nSubjectStart, 5);
  EXPECT_EQ(pair.subject, "ACDEFAHIKL");
  EXPECT_EQ(pair.nSubjectEnd, 14);
}

TEST(RowPair, PositionsPointIntoTheText) {
  CRowPair pair;
  ASSERT_TRUE(ReadRowPair(kPair.data(), kPair.data() + kPair.size(), pair));
  EXPECT_EQ(pair.pAfterQueryStart, kPair.data() + kPair.find("12 ") + 3);
  EXPECT_EQ(pair.pLineEnd, kPair.data() + kPair.find(" 14\n") + 3);
}

TEST(RowPair, LeavesEveryOtherFormToTheGeneralReading) {
  const char* const forms[] = {
      "x: Query: 1 AC 2\n AC\nSbjct: 1 AC 2\n",        // an earlier ':'
      "Query: 1 AC 2\n A:C\nSbjct: 1 AC 2\n",          // a ':' before the subject row
      "Query: 1 12 2\n\nSbjct: 1 AC 2\n",              // a row without residues
      "Query: 1234567890 AC 2\n AC\nSbjct: 1 AC 2\n",  // a number beyond nine digits
      "Query: 1 AC 2\r\n AC\r\nSbjct: 1 AC 2\r\n",     // carriage returns
      "Query: 1 AC 2 \n AC\nSbjct: 1 AC 2\n",          // a blank after the end number
      "Query: 1 AC\n AC\nSbjct: 1 AC 2\n",             // no end number
      "Query: 1\n",                                    // no residues
      "Query: 12AC 2\n AC\nSbjct: 1 AC 2\n",           // a number glued to the residues
      "Query: -1 AC 2\n AC\nSbjct: 1 AC 2\n",          // a sign
      "Query: 1 AC 2\n AC\nSbjct: 1 AC\n",             // no subject end number
      "Query: 1 AC 2\n AC\nSbjct: 1 AC 2",             // no line feed at the end
      "Query: 1 AC 2\n AC\nQuery: 1 AC 2\n",           // no subject row
  };
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    CRowPair pair;
    EXPECT_FALSE(Read(form, pair));
  }
}

TEST(RowPair, AZeroByteEndsTheResidues) {
  const std::string text("Query: 1 A\0C 2\n AC\nSbjct: 1 AC 2\n", 33);
  CRowPair pair;
  EXPECT_FALSE(Read(text, pair));
}

TEST(RowPair, APairCutAnywhereIsNotRead) {
  const std::size_t last = kPair.find(" 14\n") + 4;
  for (std::size_t size = 0; size < last; ++size) {
    SCOPED_TRACE(size);
    CRowPair pair;
    EXPECT_FALSE(Read(kPair.substr(0, size), pair));
  }
  CRowPair pair;
  EXPECT_TRUE(Read(kPair.substr(0, last), pair));
}

}  // namespace

}  // namespace blastsearch
