#include "table/EditBlastSearchPage.h"

namespace blastsearch {

CEditBlastSearchPage::CEditBlastSearchPage(CBlastSearchObject*) : CEditObjectPage(kLayoutId) {}

CEditBlastSearchPage::~CEditBlastSearchPage() = default;

int CEditBlastSearchPage::GetObjXType() { return kObjXType; }

int CEditBlastSearchPage::NeedsChanges(int changes) {
  return CEditObjectPage::NeedsChanges(changes);
}

int CEditBlastSearchPage::UpdateObject(CDBObjectBase*) { return 0; }

}  // namespace blastsearch
