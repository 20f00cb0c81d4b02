#include "host/editor/ScriptedSheetRunner.h"

#include "platform/UserInteraction.h"

namespace blastsearch {

void CScriptedSheetRunner::QueueAnswer(int answer) {
  Queue([answer](CEditorPropSheet&) { return answer; });
}

int CScriptedSheetRunner::RunSheet(CEditorPropSheet& sheet) {
  m_titles.push_back(sheet.GetTitle());
  if (m_steps.empty()) return IDCANCEL;
  Step step = std::move(m_steps.front());
  m_steps.pop_front();
  return step(sheet);
}

}  // namespace blastsearch
