#include "host/editor/EditObjectPage.h"

namespace blastsearch {

CEditObjectPage::~CEditObjectPage() = default;

int CEditObjectPage::GetObjXType() { return 0; }

int CEditObjectPage::NeedsChanges(int changes) { return changes != 0 ? 1 : 0; }

int CEditObjectPage::UpdateObject(CDBObjectBase*) { return 0; }

}  // namespace blastsearch
