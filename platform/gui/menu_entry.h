#pragma once
// What a command menu is made of, without Qt: the items and the state an update rule gives one.

#include <string>
#include <vector>

namespace pgui {

// A node with children is a popup; id 0 with no text is a separator.
struct MenuEntry {
    int id = 0;
    std::string text;
    std::vector<MenuEntry> children;
    bool refilled = false;  // a popup whose items are asked for each time it opens
};

// check: -1 no check mark, else 0 or 1; an empty label leaves the item's text.
struct ItemState {
    bool enabled = true;
    int check = -1;
    std::string label;
    bool operator==(const ItemState&) const = default;
};

}  // namespace pgui
