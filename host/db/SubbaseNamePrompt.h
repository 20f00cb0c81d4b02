#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

class CWnd;

// Asks the person, through the user-interaction service, for the name of a
// subbase of the table of `objType` in database `dbId`: `prompt` is the
// question and `name` holds the proposed name on entry. Returns 1 with
// `name` set to the answer, or 0 (cancelled) with `name` unchanged. `mode`
// and `parent` are accepted for the host's callers and unused. Never throws.
int ChooseDbSubbaseName(int objType, int dbId, std::string& name, int mode,
                        const std::string& prompt, CWnd* parent);

}  // namespace BLASTSEARCH_EXPORT
