// The node index: every node shown under the library root of the tree, in
// tree order (depth first: each folder, then each of its books, each book
// followed by its files), with the handle of its tree item and the rowid of
// its row.
//
// The key of an entry is its running sequence number 0, 1, 2, ... in that
// order. The index is rebuilt from the tree after a library is loaded and
// after every change that adds, removes, moves or re-identifies nodes; it
// finds the tree item and the row of an id, supplies the numbers in use when
// a new id is made, and lets callers walk all nodes in tree order.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <unordered_map>
#include <vector>

#include "store/node_id.h"

namespace lw {

// The tree view's item handle, opaque to the core.
using TreeItem = void*;

struct IndexEntry {
  int id = 0;
  TreeItem item = nullptr;
  // The rowid of the node's row in `tab` (ModelItem::rowid).
  std::int64_t rowid = 0;
};

class NodeIndex {
 public:
  using const_iterator = std::vector<IndexEntry>::const_iterator;

  // Replaces the whole index; `in_tree_order[k]` gets sequence number k.
  void Rebuild(std::vector<IndexEntry> in_tree_order);
  void Clear();

  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  // The entry with sequence number `seq`; seq < size().
  const IndexEntry& at(std::size_t seq) const { return entries_.at(seq); }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }

  // Sequence number of `id`; with duplicate ids (which only an outside tool
  // makes) the first in tree order. Nothing when the id is not indexed.
  std::optional<std::size_t> Find(int id) const;
  // Tree item of `id`, or nullptr.
  TreeItem ItemOf(int id) const;
  // Rowid of `id`'s row as the index was built; nothing when not indexed.
  std::optional<std::int64_t> RowidOf(int id) const;

  // A new id of `kind` whose number no entry uses, drawn at random among the
  // unused numbers; never favourite. Nothing when all kMaxNodeNumber numbers
  // are in use (the caller shows message 24 and inserts nothing).
  std::optional<int> NewId(NodeKind kind, std::mt19937& rng) const;

 private:
  std::vector<IndexEntry> entries_;
  std::unordered_map<int, std::size_t> first_by_id_;
};

// Node numbers in use; bit n stands for number n (bit 0 is never set).
using UsedNumbers = std::bitset<kMaxNodeNumber + 1>;

// A new id of `kind` with a number drawn uniformly among those not set in
// `used`. Nothing when every number 1..kMaxNodeNumber is set. Takes at most
// one pass over the numbers, however full the library is.
std::optional<int> NewNodeId(NodeKind kind, const UsedNumbers& used, std::mt19937& rng);

}  // namespace lw
