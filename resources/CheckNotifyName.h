#pragma once

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The name under which the checkable-tab sheet's check-notify message is
// registered (RegisterWindowMessage); the module registers it at load.
inline constexpr char kCheckNotifyMessageName[] = "CCoolPropertySheet check notify msg";

}  // namespace BLASTSEARCH_EXPORT
