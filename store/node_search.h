// The node search: titles that contain a typed text, and going to a hit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/db.h"
#include "store/node_store.h"
#include "store/tree_model.h"

namespace lw {

struct SearchHit {
  int id = 0;
  std::u16string title;
};

// Every node whose title contains `typed` (its first 44 units), in table
// order. The text is matched with LIKE: "%" and "_" in it are wildcards (so
// "%" lists every node and "_" every node with a title), and ASCII letters
// match either case while other letters match only as typed. The text is
// bound, never written into the statement, so any character may be typed.
// An empty text lists nothing and runs no query; a failing query is
// reported and lists nothing.
std::vector<SearchHit> SearchNodes(Db& db, std::u16string_view typed);

// Selecting a hit: the node's item is selected in the tree (through the
// selection rules) and the answer is what the page pane shows; a node that
// is no longer in the index clears the selection. Nothing when the
// selection may not change now (busy).
std::optional<ShownPage> GoToHit(NodeStore& store, TreeModel& model, int id);

}  // namespace lw
