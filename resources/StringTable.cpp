// The module's string table: the prompts of its menu commands (status-bar
// text, then after "\n" the tooltip where there is one) and other texts.
#include "resources/ResourceParts.h"

namespace blastsearch {

namespace {

constexpr const char* kShowTable = "Displays the contents of the database table";

constexpr CStringResource kStrings[] = {
    {32775, "Imports items from a Quillon Archive"},
    {33043, "Closes the window."},
    {33048, "Displays the properies of the selected items\nProperties"},
    {33049, "Renames the selected item\nRename"},
    {33050, "Deletes the selected items from the database and all subbases\nDelete"},
    {33051, "Excludes the selected items from the current subbase"},
    {33052, "Opens the selected items"},
    {33053, "Deletes the contents of the selected subbase from the database and all subbases"},
    {33054,
     "Dismisses the items included in the selected subbase and removes the subbase\n"
     "Dismiss Subbase"},
    {33055, "Creates a new subbase containing selected items (if any)\nNew Subbase"},
    {33057, kShowTable},
    {33058, kShowTable},
    {33059, kShowTable},
    {33060, kShowTable},
    {33061, kShowTable},
    {33062, kShowTable},
    {33063, kShowTable},
    {33064, kShowTable},
    {33065, "Creates a new subbase and fills it with items"},
    {33066, "Edits the contents of the selected subbase"},
    {33067, "Exports the selected subbase contents into a Quillon Archive file"},
    {33069, "Creates a text file containing subbase summary information"},
    {33070, "Creates a new result from NCBI html-response file"},
    {33072, "Edits the selected item\nEdit"},
    {33074, "Explore"},
    {33089, "Dismisses the items included in the selected subbase"},
    {33094,
     "Copies the selected items to the Clipboard. Use Paste to put them in the new location.\n"
     "Copy"},
    {33103, "Export selected items into Quillon Archive"},
    {33113, "Makes a copy of the selected item(s)"},
    {33115, "Sets the systems attributes of the selected items"},
};

}  // namespace

std::span<const CStringResource> ModuleStrings() { return kStrings; }

}  // namespace blastsearch
