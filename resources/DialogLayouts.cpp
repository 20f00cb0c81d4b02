// The module's dialog layouts: the BLAST search page of the object editor,
// and the table search dialog with its three pages.
#include <iterator>

#include "resources/ResourceParts.h"

namespace blastsearch {

namespace {

using K = EControlKind;

constexpr CControlLayout kBlastSearchPage[] = {
    {-1, K::kStatic, "Title", 14, 9, 14, 8, 0},
    {495, K::kEdit, "", 32, 7, 251, 12, 0},
    {2459, K::kListView, "List1", 12, 32, 214, 33, LVS_REPORT | LVS_SINGLESEL},
    {2461, K::kPushButton, "Add", 229, 32, 50, 11, 0},
    {2462, K::kPushButton, "Edit", 229, 43, 50, 11, 0},
    {2463, K::kPushButton, "Remove", 229, 54, 50, 11, 0},
    {2511, K::kEdit, "", 48, 73, 235, 12, 0},
    {-1, K::kGroupBox, "", 7, 91, 276, 92, 0},
    {2493, K::kDropList, "", 55, 89, 87, 53, 0, "Journal article\nBook\nMeeting proceedings"},
    {-1, K::kGroupBox, "Authors", 7, 22, 276, 46, 0},
    {-1, K::kStatic, " Citation type ", 12, 91, 44, 8, 0},
    {-1, K::kStatic, "Affiliation", 14, 75, 29, 8, 0},
};

constexpr CControlLayout kSearchDialog[] = {
    {-1, K::kStatic, "Look in:", 7, 9, 30, 8, 0},
    {116, K::kComboList, "", 38, 7, 118, 100, 0},
    {812, K::kDefButton, "Start Search", 160, 6, 54, 14, 0},
    {2, K::kPushButton, "Close", 217, 6, 44, 14, 0},
    {-1, K::kStatic, "for BLAST results satisfying all of the specified conditions below:", 7, 25,
     254, 10, 0},
    {2552, K::kFrame, "", 0, 38, 263, 219, 0},
};

constexpr CControlLayout kTextPage[] = {
    {-1, K::kStatic, "Find only the objects with one or more of these substrings:", 7, 6, 238, 8,
     0},
    {686, K::kListBox, "", 7, 17, 124, 80, LBS_SORT | LBS_EXTENDEDSEL},
    {-1, K::kStatic, "New substring:", 138, 17, 100, 8, 0},
    {2310, K::kEdit, "", 138, 27, 107, 13, 0},
    {926, K::kDefButton, "< Add", 138, 44, 52, 14, 0},
    {509, K::kPushButton, "> Remove", 193, 44, 52, 14, 0},
    {-1, K::kStatic, "In one or more of the selected fields:", 7, 103, 238, 8, 0},
    {2225, K::kListBox, "", 7, 114, 238, 62, LBS_MULTIPLESEL},
    {2269, K::kCheckBox, "&Match Case", 7, 182, 80, 10, 0},
};

constexpr CControlLayout kKeywordsPage[] = {
    {1003, K::kStatic, "", 7, 6, 238, 18, 0},
    {966, K::kListBox, "", 7, 27, 160, 165, LBS_SORT | LBS_EXTENDEDSEL},
    {926, K::kPushButton, "< Add ...", 174, 27, 71, 14, 0},
    {2265, K::kPushButton, "> Remove", 174, 45, 71, 14, 0},
    {120, K::kPushButton, ">> Remove All", 174, 63, 71, 14, 0},
};

constexpr CControlLayout kAttribPage[] = {
    {-1, K::kGroupBox, "Query Name contains following substring:", 7, 7, 238, 36, 0},
    {1000, K::kEdit, "", 15, 21, 222, 13, 0},
    {-1, K::kGroupBox, "Hit Count", 7, 50, 238, 34, 0},
    {1004, K::kCheckBox, "< = 10", 15, 66, 60, 10, 0},
    {1005, K::kCheckBox, "11 - 100", 90, 66, 60, 10, 0},
    {1006, K::kCheckBox, "> 100", 165, 66, 60, 10, 0},
};

constexpr CDialogLayout kLayouts[] = {
    {5000, "Dialog", 290, 190, kBlastSearchPage, static_cast<int>(std::size(kBlastSearchPage))},
    {5001, "BLAST Results Database Search", 265, 262, kSearchDialog,
     static_cast<int>(std::size(kSearchDialog))},
    {5002, "Keywords", 252, 199, kKeywordsPage, static_cast<int>(std::size(kKeywordsPage))},
    {5003, "Attributes", 252, 199, kAttribPage, static_cast<int>(std::size(kAttribPage))},
    {5004, "Text Search", 252, 199, kTextPage, static_cast<int>(std::size(kTextPage))},
};

}  // namespace

std::span<const CDialogLayout> ModuleDialogLayouts() { return kLayouts; }

}  // namespace blastsearch
