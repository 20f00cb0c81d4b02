#pragma once

#include <string_view>

#include "platform/Export.h"

namespace blastsearch BLASTSEARCH_EXPORT {

// A dialog layout kept as data: the dialog's caption, font and size and its
// controls, every position and size in dialog units (a quarter of the
// font's average character width across, an eighth of its height down).
// Layouts are constants of the modules' resources (platform/ModuleResources.h)
// and live as long as their module stays loaded.

// What a control is; the window layer builds the matching widget.
enum class EControlKind : int {
  kStatic,      // a text
  kPushButton,  // a push button
  kDefButton,   // the default push button
  kCheckBox,    // an automatic check box
  kEdit,        // a one-line edit with automatic horizontal scrolling
  kListBox,     // the host's icon list box (styles below)
  kComboList,   // the host's table combo box, a drop-down list
  kGroupBox,    // a frame with a title
  kFrame,       // an invisible frame that only marks a place
  kListView,    // a list of rows with columns (styles below)
  kDropList,    // a plain drop-down list, filled with the control's items
};

// The number of control kinds.
inline constexpr int kControlKinds = static_cast<int>(EControlKind::kDropList) + 1;

// Styles of list boxes.
enum : unsigned {
  LBS_SORT = 0x0002,
  LBS_MULTIPLESEL = 0x0008,
  LBS_EXTENDEDSEL = 0x0800,
};

// Styles of list views.
enum : unsigned {
  LVS_REPORT = 0x0001,     // rows with column headers
  LVS_SINGLESEL = 0x0004,  // one row selected at most
};

// One control: identifier (-1: none), kind, text, place and size, styles,
// and for a drop-down list the items it starts with, separated by "\n"
// (null: none).
struct CControlLayout {
  int m_nId;
  EControlKind m_kind;
  const char* m_pszText;
  int m_x, m_y, m_cx, m_cy;
  unsigned m_nStyle;
  const char* m_pszItems = nullptr;
};

// One dialog or property page.
struct CDialogLayout {
  int m_nId;
  const char* m_pszCaption;
  int m_cx, m_cy;
  const CControlLayout* m_pControls;
  int m_nControls;
};

// The layout `id` of the resources of the loaded modules, or null.
const CDialogLayout* FindDialogLayout(int id);

}  // namespace BLASTSEARCH_EXPORT
