// The one-pass reading of the regular lines of an alignment (a pair of rows,
// a score line), and what it leaves to the general reading.

#include "parse/RegularLines.h"

#include <gtest/gtest.h>

#include <climits>
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
  EXPECT_FALSE(pair.bLowerCase);
}

// Rows with a lower-case letter anywhere (in the vector part or the tail)
// are told apart, so that only they are upper-cased again.
TEST(RowPair, TellsRowsWithLowerCaseLetters) {
  const std::string upper(40, 'A');
  for (std::size_t at : {0, 15, 16, 31, 39}) {
    for (bool inQuery : {true, false}) {
      std::string residues = upper;
      residues[at] = 'z';
      const std::string text = "Query: 1 " + (inQuery ? residues : upper) + " 40\n\nSbjct: 1 " +
                               (inQuery ? upper : residues) + " 40\n";
      CRowPair pair;
      ASSERT_TRUE(Read(text, pair));
      EXPECT_TRUE(pair.bLowerCase) << at << inQuery;
    }
  }
  CRowPair pair;
  ASSERT_TRUE(Read("Query: 1 " + upper + "{` 40\n\nSbjct: 1 " + upper + "@[ 40\n", pair));
  EXPECT_FALSE(pair.bLowerCase);
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

// A label far from where the look starts is left to the general reading,
// so that a text without rows costs little per look.
TEST(RowPair, LooksOnlyNearForTheLabels) {
  CRowPair pair;
  EXPECT_TRUE(Read(std::string(100, '\n') + kPair, pair));
  EXPECT_FALSE(Read(std::string(200, '\n') + kPair, pair));
  EXPECT_FALSE(Read("Query: 1 AC 2\n" + std::string(100, ' ') + "\nSbjct: 1 AC 2\n", pair));
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

// Reads a score line from a buffer of exactly its size.
bool ReadScore(const std::string& text, std::string& values) {
  auto bytes = std::make_unique<char[]>(text.size());
  text.copy(bytes.get(), text.size());
  CScoreLine line;
  if (!ReadScoreLine(bytes.get(), bytes.get() + text.size(), line)) return false;
  values = std::string(line.bits) + "|" + std::string(line.raw) + "|" + std::string(line.expect) +
           "|" + std::to_string(line.pBeforeExpect - bytes.get()) + "|" +
           std::to_string(line.pEnd - bytes.get());
  return true;
}

TEST(ScoreLine, ReadsTheRegularForms) {
  struct {
    const char* text;
    const char* values;  // bits|raw|expect|offset before expect|offset of the end
  } const cases[] = {
      {"\n Score = 123.4 bits (270), Expect = 3e-45\n", "123.4|270|3e-45|26|43"},
      {"Score =  38.5 bits (88), Expect(2) = 0.002\nx", "38.5|88|0.002|23|43"},
      {"  Score=1009 bits (2609), Expect = 0.0,\n", "1009|2609|0.0,|24|40"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string values;
    ASSERT_TRUE(ReadScore(c.text, values));
    EXPECT_EQ(values, c.values);
  }
}

TEST(ScoreLine, LeavesEveryOtherFormToTheGeneralReading) {
  const char* const forms[] = {
      "x Score = 1 bits (2), Expect = 3\n",                 // something before the label
      "Score = 1\nbits (2), Expect = 3\n",                  // the bit score ends the line
      "Score = 1 bit (2), Expect = 3\n",                    // another word
      "Score = 1 bits (2) Expect = 3\n",                    // no comma
      "Score = 1 bits (2), Expect                  = 3\n",  // the '=' far off
      "Score = 1 bits (2), Expect = 3",                     // the value runs to the end
      "Score 1 bits (2), Expect = 3\n",                     // no '='
      "Score = 1 bits (2 ), Expect = 3\n",                  // a blank after the raw score
      "\tScore = 1 bits (2), Expect = 3\n",                 // a tab before it
  };
  for (const char* form : forms) {
    SCOPED_TRACE(form);
    std::string values;
    EXPECT_FALSE(ReadScore(form, values));
  }
  std::string values;
  EXPECT_TRUE(ReadScore(std::string(60, ' ') + "Score = 1 bits (2), Expect = 3\n", values));
  EXPECT_FALSE(ReadScore(std::string(70, ' ') + "Score = 1 bits (2), Expect = 3\n", values));
}

TEST(ScoreLine, ALineCutAnywhereIsNotRead) {
  const std::string line = " Score = 123.4 bits (270), Expect = 3e-45\n";
  std::string values;
  for (std::size_t size = 0; size < line.size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_FALSE(ReadScore(line.substr(0, size), values));
  }
  EXPECT_TRUE(ReadScore(line, values));
}

TEST(CountsClause, EndsWhereTheNextLabelBegins) {
  struct {
    const char* text;
    int next;  // offset past the clause; -1: not in the form
  } const cases[] = {
      {"Identities = 200/250 (80%), Positives", 28},
      {"Identities=1/2(50%), Gaps", 21},
      {"Identities = 1/2 (50%),Positives", -1},
      {"Identities = 1 / 2 (50%), Positives", -1},
      {"Identities = /2 (50%), Positives", -1},
      {"Identities = 1/2 (50 %), Positives", -1},
      {"Positives = 1/2 (50%), Gaps", -1},  // another label
      {"Identities = 1/2 (50%), ", 24},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::string text = c.text;
    // Every cut of the text, from a buffer of exactly that size.
    for (std::size_t size = 0; size <= text.size(); ++size) {
      auto bytes = std::make_unique<char[]>(size);
      text.copy(bytes.get(), size);
      const char* next = SkipCountsClause(bytes.get(), bytes.get() + size, "Identities");
      const int expected = c.next >= 0 && static_cast<std::size_t>(c.next) <= size ? c.next : -1;
      EXPECT_EQ(next == nullptr ? -1 : next - bytes.get(), expected) << size;
    }
  }
}

// The line's last clause ends at its line break, and gives its numbers as
// the general reading takes them.
TEST(CountsClause, TheLastClauseEndsAtTheLineBreak) {
  const std::string text = "Identities = 99999999999/250 (80%)\n Strand";
  int count = 0;
  int columns = 0;
  const char* const begin = text.data();
  EXPECT_EQ(SkipCountsClause(begin, begin + text.size(), "Identities", &count, &columns),
            begin + text.find('\n'));
  EXPECT_EQ(count, INT_MAX);
  EXPECT_EQ(columns, 250);
  EXPECT_EQ(SkipCountsClause(begin, begin + text.find('\n'), "Identities"), nullptr);
}

}  // namespace

}  // namespace blastsearch
