#pragma once

// A fixture that corrupts archive bytes on purpose and reads them again: the
// reader must either load cleanly or raise CKaArchiveException, and must not
// allocate more than the bytes could hold.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "host/KaArchive.h"
#include "host/KaArchiveFormat.h"
#include "platform/File.h"
#include "support/AllocationProbe.h"

namespace blastsearch {

class ArchiveCorruptionTest : public ::testing::Test {
 protected:
  // Reads the bytes of `file` in the way under test; may throw.
  virtual void Load(CFile& file) = 0;

  // The bytes under test, and a pristine copy that Reset() restores.
  void SetData(std::string data) {
    m_original = std::move(data);
    m_data = m_original;
  }
  void Reset() { m_data = m_original; }

  void Truncate(std::size_t size) { m_data.resize(size); }
  void FlipByte(std::size_t offset, unsigned char mask = 0xFF) {
    m_data[offset] = static_cast<char>(m_data[offset] ^ mask);
  }
  void SetU32(std::size_t offset, std::uint32_t value) {
    ka_archive_format::EncodeFixed32(m_data.data() + offset, value);
  }
  std::uint32_t GetU32(std::size_t offset) const {
    return ka_archive_format::DecodeFixed32(m_data.data() + offset);
  }

  // True when the bytes loaded, false when the reader raised
  // CKaArchiveException (its message and offset kept). Any other exception
  // fails the test, as does an allocation larger than the bytes justify.
  bool Reads() {
    m_strError.clear();
    m_nErrorOffset = 0;
    CMemFile file(m_data);
    bool loaded = false;
    std::size_t largest = 0;
    {
      AllocationProbe probe;
      try {
        Load(file);
        loaded = true;
      } catch (const CKaArchiveException& e) {
        m_strError = e.what();
        m_nErrorOffset = e.GetOffset();
      }
      largest = probe.Largest();
    }
    EXPECT_LE(largest, m_data.size() + kAllocationSlack)
        << "a load of " << m_data.size() << " bytes allocated " << largest << " at once";
    return loaded;
  }

  // Reads the data once with each byte flipped by each of `masks`; returns
  // how many of those reads were rejected.
  int FlipEveryByte(std::initializer_list<unsigned char> masks) {
    int rejected = 0;
    for (std::size_t i = 0; i < m_original.size(); ++i) {
      for (unsigned char mask : masks) {
        Reset();
        FlipByte(i, mask);
        rejected += Reads() ? 0 : 1;
      }
    }
    Reset();
    return rejected;
  }

  // Reads the data once with each of `values` written over every 4 bytes in
  // turn (a length, count or value gone wild wherever it stands).
  void SetEveryU32(std::initializer_list<std::uint32_t> values) {
    for (std::uint32_t value : values) {
      for (std::size_t i = 0; i + 4 <= m_original.size(); ++i) {
        Reset();
        SetU32(i, value);
        Reads();
      }
    }
    Reset();
  }

  // Room for the reader's and the objects' own small allocations.
  static constexpr std::size_t kAllocationSlack = 4096;

  std::string m_data;
  std::string m_strError;
  std::uint64_t m_nErrorOffset = 0;

 private:
  std::string m_original;
};

}  // namespace blastsearch
