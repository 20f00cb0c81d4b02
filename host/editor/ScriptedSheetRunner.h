#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "host/editor/EditorPropSheet.h"
#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A sheet runner for tests and scripted sessions: each run takes the next
// step queued in advance, which edits the sheet's pages' members as a
// person would and gives the answer; with no step queued it answers
// IDCANCEL. Installs itself for its lifetime and restores the previous
// runner.
class CScriptedSheetRunner : public CScopedEditorSheetRunner {
 public:
  using Step = std::function<int(CEditorPropSheet&)>;

  // Script: the next run calls `step` and answers what it returns.
  void Queue(Step step) { m_steps.push_back(std::move(step)); }
  // Script: the next run answers `answer` without editing anything.
  void QueueAnswer(int answer);

  int RunSheet(CEditorPropSheet& sheet) override;

  // The title of every sheet run, in order.
  const std::vector<std::string>& Titles() const { return m_titles; }
  int Runs() const { return static_cast<int>(m_titles.size()); }

 private:
  std::deque<Step> m_steps;
  std::vector<std::string> m_titles;
};

}  // namespace BLASTSEARCH_EXPORT
