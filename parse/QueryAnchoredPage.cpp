#include "parse/QueryAnchoredPage.h"

bool IsQueryAnchoredPage(std::string_view page) {
  (void)page;
  return false;
}
