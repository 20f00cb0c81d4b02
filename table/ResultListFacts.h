#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CBlastSearchEntry;

// The prefix of the lookup keys that carry what a list shows of a result
// without reading its record: "list:program=blastp", "list:database=nr",
// "list:evalue=1e-50", "list:identity=98.5", "list:keyword=kinase". They are
// written whenever the object is stored, so objects stored by older versions
// have none until they are stored again.
inline constexpr std::string_view kResultFactKey = "list:";

// The storage's lookup key of a stored result is this prefix and the digest
// kept in the result's info text (result_info::kDigest).
inline constexpr std::string_view kResultDigestKey = "result-digest:";

// What a list shows of one result beside its list columns.
struct CResultListFacts {
  std::string m_strProgram;             // lower case, "" unknown
  std::string m_strDatabase;            // as the report names it
  std::string m_strBestExpect;          // the smallest expect value of a pair, as text
  std::string m_strBestIdentity;        // the highest percent identity of a pair ("98.5")
  std::vector<std::string> m_keywords;  // the object's keywords
};

// The keys (with kResultFactKey) of `entry`'s facts and of `keywords`; a
// fact the result does not have gives no key. Never throws but bad_alloc.
std::vector<std::string> MakeResultFactKeys(const CBlastSearchEntry& entry,
                                            const std::vector<std::string>& keywords);

// Takes one key (kResultFactKey and a fact) into `facts`: false, `facts`
// untouched, when it is no fact key.
[[nodiscard]] bool ReadResultFactKey(std::string_view key, CResultListFacts& facts);

// The best expect value and best percent identity of `entry`'s segment
// pairs as the list writes them ("" when no pair has one): the expect value
// with three significant digits ("0" for zero), the identity with one
// decimal.
std::string BestExpectText(const CBlastSearchEntry& entry);
std::string BestIdentityText(const CBlastSearchEntry& entry);

}  // namespace BLASTSEARCH_EXPORT
