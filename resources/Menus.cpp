// The module's context menu (10001): four popups, the full and the short
// menus of the table and of its objects. Command identifiers are the host's.
#include <iterator>

#include "resources/ResourceParts.h"

namespace blastsearch {

namespace {

constexpr unsigned kSep = MF_SEPARATOR;
constexpr unsigned kSepEnd = MF_SEPARATOR | MF_END;
constexpr unsigned kPopup = MF_POPUP;
constexpr unsigned kPopupEnd = MF_POPUP | MF_END;
constexpr unsigned kEnd = MF_END;
constexpr unsigned kHelp = MF_HELP;

constexpr CMenuResourceItem kContextMenu[] = {
    // The full table menu.
    {kPopup, 0, "&Table"},
    {0, 33057, "Type 1"},
    {0, 33058, "Type 2"},
    {0, 33059, "Type 3"},
    {0, 33060, "Type 4"},
    {0, 33061, "Type 5"},
    {0, 33062, "Type 6"},
    {0, 33063, "Type 7"},
    {0, 33064, "Type 8"},
    {kSep, 0, ""},
    {kPopup, 0, "&New"},
    {0, 33055, "&Subbase"},
    {kEnd, 33065, "Subbase (&Using Subbase Editor)..."},
    {0, 33068, "&Import from Archive..."},
    {0, 33067, "&Export Subbase into Archive... "},
    {kSep, 0, ""},
    {0, 33066, "&Edit Subbase..."},
    {0, 33049, "&Rename Subbase"},
    {kHelp, 33054, "&Dismiss Subbase"},
    {kHelp, 33089, "C&lear Subbase"},
    {0, 33053, "Delete &Contents from Database"},
    {kSep, 0, ""},
    {0, 33069, "Subbase S&ummary..."},
    {0, 33048, "&Properties..."},
    {kSep, 0, ""},
    {kEnd, 33043, "&Close"},

    // The full object menu.
    {kPopup, 0, "&Blast Search"},
    {0, 33052, "&Open"},
    {0, 33072, "&Edit..."},
    {kSep, 0, ""},
    {kPopup, 0, "&New"},
    {0, 33055, "&Subbase for Selection"},
    {kSep, 0, ""},
    {kEnd, 33070, "&BLASTResult from NCB-html response ..."},
    {0, 33068, "&Import from Archive..."},
    {0, 33103, "Export into &Archive... "},
    {kSep, 0, ""},
    {0, 33051, "E&xclude from Subbase"},
    {0, 33050, "&Delete from Database"},
    {0, 33049, "&Rename"},
    {0, 33113, "D&uplicate"},
    {kSep, 0, ""},
    {0, 33115, "Set System &Attributes..."},
    {0, 33048, "&Properties..."},
    {kSep, 0, ""},
    {kEnd, 33043, "&Close"},

    // The short table menu.
    {kPopup, 0, "&Table"},
    {0, 33074, "&Explore"},
    {0, 33066, "Edi&t..."},
    {kSep, 0, ""},
    {0, 33067, "Export into &Archive... "},
    {kSep, 0, ""},
    {kHelp, 33054, "&Dismiss"},
    {kHelp, 33089, "C&lear"},
    {0, 33053, "Delete &Contents"},
    {0, 33049, "&Rename"},
    {kSep, 0, ""},
    {0, 33048, "&Properties..."},
    {kEnd, 33069, "S&ummary..."},

    // The short object menu.
    {kPopupEnd, 0, "&Blast Search"},
    {0, 33052, "&Open"},
    {0, 33072, "&Edit..."},
    {kSep, 0, ""},
    {0, 33094, "&Copy"},
    {0, 33103, "Export into &Archive... "},
    {kSep, 0, ""},
    {0, 33051, "E&xclude from Subbase"},
    {0, 33050, "&Delete from Database"},
    {0, 33113, "D&uplicate"},
    {0, 33049, "&Rename"},
    {kSep, 0, ""},
    {0, 33115, "Set System &Attributes..."},
    {kEnd, 33048, "&Properties..."},
};

constexpr CMenuResource kMenus[] = {
    {10001, kContextMenu, static_cast<int>(std::size(kContextMenu))},
};

}  // namespace

std::span<const CMenuResource> ModuleMenus() { return kMenus; }

}  // namespace blastsearch
