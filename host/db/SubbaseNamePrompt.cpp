#include "host/db/SubbaseNamePrompt.h"

#include "platform/UserInteraction.h"

namespace blastsearch {

int ChooseDbSubbaseName(int, int, std::string& name, int, const std::string& prompt, CWnd*) {
  std::string answer = name;
  try {
    if (UserInteraction().EditText(prompt, answer) != IDOK) return 0;
  } catch (...) {
    return 0;
  }
  name = answer;
  return 1;
}

}  // namespace blastsearch
