// The module's start-up. Its static objects are defined here, in the order
// in which they must be made when the library is loaded (definitions of one
// file are made in their order). The entry point, which joins the host's
// window framework once all of the library's static objects exist, is in
// BlastSearchModuleEntry.cpp, linked last. At unload they go in reverse: the
// module leaves the framework, then the table goes (it leaves the engine and
// the file-type registry), then the archive links.

#include "table/BlastSearchModule.h"

#include "host/KaArchive.h"
#include "host/RttiLink.h"
#include "model/BlastSearchEntry.h"
#include "platform/RegisteredMessage.h"
#include "resources/CheckNotifyName.h"
#include "table/BlastSearchTable.h"
#include "util/StringVDataStorage.h"

namespace blastsearch {

namespace {

// Sets the table's copy of the object type.
struct CObjTypeCopy {
  CObjTypeCopy() { CBlastSearchTable::s_nObjType = CBlastSearchObject::objtype(); }
};

// 1. The table's copy of the object type.
CObjTypeCopy s_objTypeFirst;

// 2. The checkable-tab sheet's message.
[[maybe_unused]] const int s_checkNotifyMessage = RegisterWindowMessage(kCheckNotifyMessageName);

}  // namespace

// 3. The archive links of the result classes, in this order.
UX_RTTI_LINK CBlastSearchSeqComponent::_UX_RTTI_LINK("SeqComponent",
                                                     RUNTIME_CLASS(CBlastSearchSeqComponent),
                                                     &CBlastSearchSeqComponent::_ux_serialize,
                                                     nullptr, nullptr);
UX_RTTI_LINK CBlastSearchHitElement::_UX_RTTI_LINK("~HitElement~",
                                                   RUNTIME_CLASS(CBlastSearchHitElement),
                                                   &CBlastSearchHitElement::_ux_serialize, nullptr,
                                                   nullptr);
UX_RTTI_LINK CBlastSearchHitMoleculeName::_UX_RTTI_LINK("~HitMolName~",
                                                        RUNTIME_CLASS(CBlastSearchHitMoleculeName),
                                                        &CBlastSearchHitMoleculeName::_ux_serialize,
                                                        nullptr, nullptr);
UX_RTTI_LINK CBlastSearchHit::_UX_RTTI_LINK("~Hit~", RUNTIME_CLASS(CBlastSearchHit),
                                            &CBlastSearchHit::_ux_serialize, nullptr, nullptr);
UX_RTTI_LINK CBlastSearchHits::_UX_RTTI_LINK("~Hits~", RUNTIME_CLASS(CBlastSearchHits),
                                             &CBlastSearchHits::_ux_serialize, nullptr, nullptr);
UX_RTTI_LINK CBlastSearchEntry::_UX_RTTI_LINK("~Entry~", RUNTIME_CLASS(CBlastSearchEntry),
                                              &CBlastSearchEntry::_ux_serialize, nullptr, nullptr);

// 4. The archive link of the tagged string storage.
UX_RTTI_LINK CStringVDataStorage::_UX_RTTI_LINK("~Data~", RUNTIME_CLASS(CStringVDataStorage),
                                                &CStringVDataStorage::_ux_serialize, nullptr,
                                                nullptr);

namespace {

// 5. The table: registers under 201 and enters its file types.
CBlastSearchTable s_blastSearchTable;

// 6. The copy of the object type, set again.
CObjTypeCopy s_objTypeAgain;

}  // namespace

CBlastSearchTable& blastSearch() { return s_blastSearchTable; }

}  // namespace blastsearch
