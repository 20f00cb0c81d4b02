#pragma once

#include <string>

#include "host/KaXDataWrapper.h"
#include "platform/Object.h"

// The host's molecule record. The extension uses the members below directly;
// the record's archive form is the host's own.
class CUxMol : public CObject {
  DECLARE_DYNCREATE(CUxMol)

 public:
  CUxMol() = default;
  CUxMol(const CUxMol&) = default;
  CUxMol& operator=(const CUxMol&) = default;
  ~CUxMol() override = default;

  std::string m_strName;      // molecule name
  int m_nType = 1;            // object type; 2 means protein
  int m_nType2 = 0;           // second type word
  int m_nWord1 = 0;           // further words whose meaning is the host's
  int m_nWord2 = 0;
  int m_nLength = 0;          // sequence length
  std::string m_strSequence;  // the sequence
  std::string m_strLink;      // link text of the molecule
  std::string m_strID;        // identifier
  CKaXDataWrapper m_xData;    // extra data of other modules
};
