#pragma once

#include <string>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// The name that a link carries, for links of the forms "scheme:.../name" and
// "scheme:.../name?key=first-second".
//
// With a '/' and no '?', the name is everything after the first '/', taken
// as it stands, and both numbers become 0. With a '?' after the first '/',
// the name is the text between them, percent-decoded when it decodes (else
// taken as it stands); the numbers are read from "=first-second" after the
// '/' (both 0 when the link has no '=' or no '-', both left as they were in
// any other arrangement). Without a '/', or with the '?' before it, the name
// is empty and the numbers are left as they were. Numbers are written only
// when both pointers are given; either may be null.
std::string QlonLinkToName(std::string link, int* first, int* second);

}  // namespace BLASTSEARCH_EXPORT
