#include "host/OrvMessageBox.h"

#include "platform/UserInteraction.h"

namespace blastsearch {

int OrvMessageBox(const char* text, unsigned style, unsigned /*helpId*/) {
  return UserInteraction().ShowMessage(text != nullptr ? text : "", style);
}

}  // namespace blastsearch
