// The analysers on the pages of a remote search: submission, polling, final page.

#include "parse/NCBIAnalyser.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "model/BlastSearchEntry.h"
#include "parse/NCBIAnalyserBase.h"
#include "parse/NCBIAnalyserQ.h"
#include "platform/Exception.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

namespace {

struct ReadyCase {
  const char* name;
  const char* page;
  int ready;
  const char* error;  // the message, for -1
};

const ReadyCase kReadyCases[] = {
    {"ready", "<!--\nQBlastInfoBegin\n\tStatus=READY\nQBlastInfoEnd\n-->", 1, ""},
    {"ready with carriage return", "QBlastInfoBegin\r\n\tStatus=READY\r\nQBlastInfoEnd", 1, ""},
    {"ready followed by a blank", "QBlastInfoBegin Status=READY QBlastInfoEnd", 1, ""},
    {"waiting", "QBlastInfoBegin\n\tStatus=WAITING\nQBlastInfoEnd\n", 0, ""},
    {"unknown", "QBlastInfoBegin\n\tStatus=UNKNOWN\nQBlastInfoEnd\n", 0, ""},
    {"case matters", "QBlastInfoBegin\n\tStatus=Ready\n", 0, ""},
    {"longer word", "QBlastInfoBegin\n\tStatus=READYING\n", 0, ""},
    {"empty status", "QBlastInfoBegin\n\tStatus=\n", 0, ""},
    {"status before the block", "Status=READY\nQBlastInfoBegin\nQBlastInfoEnd\n", 0, ""},
    {"no block", "<html><body>Status=READY</body></html>\n", 0, ""},
    {"status without a line end", "QBlastInfoBegin\n\tStatus=READY", 0, ""},
    {"nothing", "", 0, ""},
    {"error closed by a tag", "<p>ERROR: Results not found<br>\n</p>", -1,
     "ERROR: Results not found"},
    {"error after a ready status",
     "QBlastInfoBegin\n\tStatus=READY\nQBlastInfoEnd\n<b>ERROR: late failure\n", -1,
     "ERROR: late failure"},
    {"warning closed by a line end", "WARNING: query too short\nmore", -1,
     "WARNING: query too short"},
    {"error wins over an earlier warning", "WARNING: first\nthen ERROR: second<b>", -1,
     "ERROR: second"},
    {"error at the text's end", "ERROR: ", -1, "ERROR: "},
    {"marker needs its blank", "ERROR:x\nWARNING:y\n", 0, ""},
};

// The service's status pages: the QBlast analyser keeps the service's
// message as its error, the classic one shows it in a box instead.
TEST(CheckReady, QBlastKeepsAndClassicShowsTheServiceMessage) {
  for (const ReadyCase& c : kReadyCases) {
    for (const bool qblast : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (qblast ? " (QBlast)" : " (classic)"));
      CScriptedUserInteraction ui;
      CNCBIAnalyserQ qblastAnalyser;
      CNCBIAnalyser classicAnalyser;
      CNCBIAnalyserBase& analyser =
          qblast ? static_cast<CNCBIAnalyserBase&>(qblastAnalyser) : classicAnalyser;
      CMemFile page(c.page);
      EXPECT_EQ(analyser.CheckReady(&page), c.ready);
      EXPECT_EQ(analyser.GetError(), qblast ? c.error : "");
      if (!qblast && c.ready < 0) {
        ASSERT_EQ(ui.Messages().size(), 1u);
        EXPECT_EQ(ui.Messages()[0].strText, c.error);
        EXPECT_EQ(ui.Messages()[0].nStyle, MB_ICONSTOP);
      } else {
        EXPECT_TRUE(ui.Messages().empty());
      }
    }
  }
}

TEST(CheckReady, ErrorTextStaysUntilReplacedAndReadsFromThePosition) {
  CNCBIAnalyserQ analyser;
  CMemFile error("ERROR: one\n");
  EXPECT_EQ(analyser.CheckReady(&error), -1);
  CMemFile ready("QBlastInfoBegin\nStatus=READY\n");
  EXPECT_EQ(analyser.CheckReady(&ready), 1);
  EXPECT_EQ(analyser.GetError(), "ERROR: one");
  // The page is read from the file's position on.
  CMemFile skipped("ERROR: hidden\nQBlastInfoBegin\nStatus=READY\n");
  skipped.Seek(14, CFile::begin);
  EXPECT_EQ(analyser.CheckReady(&skipped), 1);
  CMemFile warning("WARNING: two\n");
  EXPECT_EQ(analyser.CheckReady(&warning), -1);
  EXPECT_EQ(analyser.GetError(), "WARNING: two");
}

TEST(AnalyseSubmitID, QBlastInformationBlock) {
  struct {
    const char* name;
    const char* page;
    int result;
    const char* id;
  } const cases[] = {
      {"plain",
       "<!--QBlastInfoBegin\n    RID = 954517067-8610-1647\n    RTOE = 207\nQBlastInfoEnd\n-->", 1,
       "954517067-8610-1647"},
      {"extra blanks", "QBlastInfoBegin\n    RID =    ABC123   \n", 1, "ABC123"},
      {"carriage return", "QBlastInfoBegin\r\n    RID = XYZ\r\n", 1, "XYZ"},
      {"identifier only before the block", "RID = EARLY\nQBlastInfoBegin\nQBlastInfoEnd\n", 0, ""},
      {"identifier without a line end", "QBlastInfoBegin\n RID = LAST", 0, ""},
      {"no block", "<html>RID = 12</html>\n", 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CNCBIAnalyserQ analyser;
    CMemFile page(c.page);
    std::string id = "left over";
    EXPECT_EQ(analyser.AnalyseSubmitID(&page, id), c.result);
    EXPECT_EQ(id, c.id);
  }
}

TEST(AnalyseSubmitID, ClassicHiddenField) {
  struct {
    const char* name;
    const char* page;
    const char* id;
  } const cases[] = {
      {"field", "<FORM><INPUT TYPE=\"hidden\" NAME=\"RID\" VALUE=\"963-1234-55\"></FORM>",
       "963-1234-55"},
      {"empty value", "<INPUT NAME=\"RID\" VALUE=\"\">", ""},
      {"unclosed value runs to the end", "<INPUT NAME=\"RID\" VALUE=\"ABC 12\n", "ABC 12\n"},
      {"nothing after the marker", "<INPUT NAME=\"RID\" VALUE=\"", ""},
      {"no field", "<INPUT NAME=\"CMD\" VALUE=\"Get\">", ""},
      {"marker case matters", "<input name=\"RID\" value=\"x\">", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CNCBIAnalyser analyser;
    CMemFile page(c.page);
    std::string id = "left over";
    EXPECT_EQ(analyser.AnalyseSubmitID(&page, id), 1);
    EXPECT_EQ(id, c.id);
  }
}

// The base analyser, its report parser replaced to watch what ReadRequest hands it.
class CWatchingAnalyser : public CNCBIAnalyserBase {
 public:
  using CNCBIAnalyserBase::CNCBIAnalyserBase;
  const char* Buffer() const { return m_pBuffer; }

  std::string m_strSeen;
  int m_nCalls = 0;
  bool m_bThrow = false;

 protected:
  int AnalyseBuffer() override {
    ++m_nCalls;
    m_strSeen = m_pBuffer;
    if (m_bThrow) throw CMemoryException("parse failed");
    return 0;
  }
};

TEST(ReadRequest, BaseHandsTheWholePageToTheParserAndReleasesIt) {
  CScriptedUserInteraction ui;
  CWatchingAnalyser analyser(nullptr);
  CMemFile page("the whole page");
  EXPECT_EQ(analyser.ReadRequest(&page), 1);
  EXPECT_EQ(analyser.m_nCalls, 1);
  EXPECT_EQ(analyser.m_strSeen, "the whole page");
  EXPECT_EQ(analyser.Buffer(), nullptr);
  EXPECT_TRUE(ui.Messages().empty());
}

TEST(ReadRequest, BaseShortReadIsReportedAndStillReturnsOne) {
  CScriptedUserInteraction ui;
  CWatchingAnalyser analyser(nullptr);
  CMemFile page("0123456789");
  page.Seek(4, CFile::begin);
  EXPECT_EQ(analyser.ReadRequest(&page), 1);
  EXPECT_EQ(analyser.m_nCalls, 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].strText, "BLAST-Data file don't readed");
  EXPECT_EQ(ui.Messages()[0].nStyle, static_cast<unsigned>(MB_OK));
}

TEST(ReadRequest, ParserExceptionReachesTheCallerAndTheBufferIsReleased) {
  CWatchingAnalyser analyser(nullptr);
  analyser.m_bThrow = true;
  CMemFile page("page");
  EXPECT_THROW(analyser.ReadRequest(&page), CMemoryException);
  EXPECT_EQ(analyser.Buffer(), nullptr);
}

TEST(ReadRequest, FileFailureReachesTheCaller) {
  CWatchingAnalyser analyser(nullptr);
  CFile closed;
  EXPECT_THROW(analyser.ReadRequest(&closed), CFileException);
}

TEST(ReadRequest, QBlastParsesTheFinalPage) {
  CBlastSearchEntry entry;
  CNCBIAnalyserQ analyser(&entry);
  CMemFile page(
      "Query= q\n (30 letters)\nSequences producing significant alignments:\n\n"
      ">gi|42|x desc\n Length = 30\n\n Score = 10 bits (20), Expect = 1\n\n"
      "Query: 1 MK 2\n         MK\nSbjct: 1 MK 2\n");
  EXPECT_EQ(analyser.ReadRequest(&page), 1);
  EXPECT_EQ(entry.m_Mol.m_nLength, 30);
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
  EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_strID, "42");
}

TEST(ReadRequest, QBlastWithoutEntryOnlyReads) {
  CNCBIAnalyserQ analyser;
  CMemFile page("Sequences producing significant alignments:\n>gi|1|a b\n");
  EXPECT_EQ(analyser.ReadRequest(&page), 1);
}

TEST(ReadRequest, ClassicHandsThePageToTheHtmlReader) {
  CScriptedUserInteraction ui;
  CBlastSearchEntry entry;
  CNCBIAnalyser analyser(&entry);
  analyser.InitObjTypes(2, 2);
  int progress = -1;
  analyser.Init(&progress, nullptr);
  CMemFile page(
      "<b>Query=</b> q\n (30 letters)\n<a name = 77></a><a href=x>gi|77|n</a> desc\n"
      " Length = 30\n\n Score = 10 bits (20), Expect = 1\n\nQuery: 1 MK 2\n         MK\n"
      "Sbjct: 1 MK 2\n");
  EXPECT_EQ(analyser.ReadRequest(&page), 1);
  EXPECT_EQ(entry.m_Mol.m_nType, 2);
  EXPECT_EQ(entry.m_Mol.m_nLength, 30);
  EXPECT_EQ(progress, 0);
  ASSERT_EQ(entry.m_Hits.m_HitList.size(), 1u);
  EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_strID, "77");
  EXPECT_EQ(entry.m_Hits.m_HitList.front()->m_nMolType, 2);

  // A short read: message, result 0, entry untouched.
  CBlastSearchEntry untouched;
  CNCBIAnalyser second(&untouched);
  CMemFile cut("<b>Query=</b> q\n (30 letters)\n");
  cut.Seek(3, CFile::begin);
  EXPECT_EQ(second.ReadRequest(&cut), 0);
  ASSERT_EQ(ui.Messages().size(), 1u);
  EXPECT_EQ(ui.Messages()[0].strText, "HTTP-Data File don't readed");
  EXPECT_EQ(untouched.m_Mol.m_nType, 0);
}

TEST(Analysers, BaseFormsFindNothing) {
  CNCBIAnalyserBase analyser(nullptr);
  CMemFile page("QBlastInfoBegin\nRID = 1\nStatus=READY\nERROR: x\n");
  std::string id = "kept";
  EXPECT_EQ(analyser.AnalyseSubmitID(&page, id), 0);
  EXPECT_EQ(analyser.CheckReady(&page), 0);
  EXPECT_EQ(analyser.GetError(), "");
}

}  // namespace

}  // namespace blastsearch
