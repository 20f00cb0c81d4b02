#include "support/ReportParse.h"

#include <cctype>
#include <cstdio>

#include "model/BlastSearchEntry.h"
#include "parse/NCBIAnalyser.h"
#include "parse/NCBIAnalyserQ.h"
#include "platform/File.h"
#include "platform/UserInteraction.h"

namespace blastsearch {

const char* ReaderName(ReportReader reader) {
  return reader == ReportReader::QBlast ? "QBlast" : "Classic";
}

std::string TestName(ReportReader reader, const std::string& file) {
  std::string name = std::string(ReaderName(reader)) + "_" + file;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

int ParseReport(ReportReader reader, const std::string& text, CBlastSearchEntry& entry,
                int* progress, int* stop, int queryType, int hitType) {
  CScriptedUserInteraction quiet;
  CMemFile file(text);
  if (reader == ReportReader::QBlast) {
    CNCBIAnalyserQ analyser(&entry);
    analyser.Init(progress, stop);
    if (queryType != 0) analyser.InitObjTypes(queryType, hitType);
    return analyser.ReadRequest(&file);
  }
  CNCBIAnalyser analyser(&entry);
  analyser.Init(progress, stop);
  if (queryType != 0) analyser.InitObjTypes(queryType, hitType);
  return analyser.ReadRequest(&file);
}

namespace {

std::string Real(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string RowText(const char* label, const CBlastSearchSeqComponent& row) {
  return std::string("  ") + label + ' ' + std::to_string(row.m_nStart) + ".." +
         std::to_string(row.m_nEnd) + " length=" + std::to_string(row.m_nLength) +
         " minus=" + std::to_string(row.m_bMinusStrand) + " extra=" + std::to_string(row.m_nExtra) +
         " [" + row.m_strSeq + "]\n";
}

}  // namespace

std::string ElementText(const CBlastSearchHitElement& element) {
  return " element bits=" + Real(element.m_dBitScore) +
         " score=" + std::to_string(element.m_nScore) + " expect=" + Real(element.m_dExpect) +
         " ident=" + std::to_string(element.m_nIdentities) +
         " pos=" + std::to_string(element.m_nPositives) +
         " gaps=" + std::to_string(element.m_nGaps) +
         " align=" + std::to_string(element.m_nAlignLength) +
         " frame=" + std::to_string(element.m_nFrame) + '\n' + RowText("query", element.m_Query) +
         RowText("sbjct", element.m_Subject);
}

std::string HitText(const CBlastSearchHit& hit) {
  std::string text = "hit name=[" + hit.m_strName + "] id=[" + hit.m_strID + "] desc=[" +
                     hit.m_strDescription + "] length=" + std::to_string(hit.m_nLength) +
                     " type=" + std::to_string(hit.m_nMolType) + '\n';
  for (const auto& element : hit.m_ElementList) {
    if (element) text += ElementText(*element);
  }
  return text;
}

CParseWatchdog::CParseWatchdog(std::chrono::seconds limit)
    : m_limit(limit), m_thread([this] { Watch(); }) {}

CParseWatchdog::~CParseWatchdog() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bQuit = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

int* CParseWatchdog::Arm() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::atomic_ref<int>(m_nStop).store(0);
  m_bFired = false;
  m_bArmed = true;
  m_deadline = std::chrono::steady_clock::now() + m_limit;
  m_wake.notify_all();
  return &m_nStop;
}

bool CParseWatchdog::Disarm() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bArmed = false;
  m_wake.notify_all();
  return m_bFired;
}

void CParseWatchdog::Watch() {
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_bQuit) {
    if (!m_bArmed) {
      m_wake.wait(lock);
      continue;
    }
    if (m_wake.wait_until(lock, m_deadline) == std::cv_status::timeout && m_bArmed &&
        std::chrono::steady_clock::now() >= m_deadline) {
      m_bFired = true;
      m_bArmed = false;
      std::atomic_ref<int>(m_nStop).store(1);
    }
  }
}

}  // namespace blastsearch
