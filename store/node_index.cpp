#include "store/node_index.h"

#include <utility>

namespace lw {

void NodeIndex::Rebuild(std::vector<IndexEntry> in_tree_order) {
  entries_ = std::move(in_tree_order);
  first_by_id_.clear();
  first_by_id_.reserve(entries_.size());
  for (std::size_t seq = 0; seq < entries_.size(); ++seq) {
    first_by_id_.emplace(entries_[seq].id, seq);  // keeps the first of duplicates
  }
}

void NodeIndex::Clear() {
  entries_.clear();
  first_by_id_.clear();
}

std::optional<std::size_t> NodeIndex::Find(int id) const {
  auto it = first_by_id_.find(id);
  if (it == first_by_id_.end()) return std::nullopt;
  return it->second;
}

TreeItem NodeIndex::ItemOf(int id) const {
  auto seq = Find(id);
  return seq ? entries_[*seq].item : nullptr;
}

std::optional<std::int64_t> NodeIndex::RowidOf(int id) const {
  auto seq = Find(id);
  if (!seq) return std::nullopt;
  return entries_[*seq].rowid;
}

std::optional<int> NodeIndex::NewId(NodeKind kind, std::mt19937& rng) const {
  UsedNumbers used;
  for (const IndexEntry& e : entries_) {
    // Rows outside the scheme may carry any number; only 1..kMax can clash.
    const int n = NodeNumber(e.id);
    if (n >= 1 && n <= kMaxNodeNumber) used.set(static_cast<std::size_t>(n));
  }
  return NewNodeId(kind, used, rng);
}

std::optional<int> NewNodeId(NodeKind kind, const UsedNumbers& used, std::mt19937& rng) {
  // Drawing 1..kMax and retrying on a clash needs ever more draws as the
  // library fills, and never ends when it is full. Picking the k-th free
  // number gives the same distribution in one bounded pass.
  const std::size_t taken = used.count() - (used.test(0) ? 1 : 0);
  const std::size_t free = kMaxNodeNumber - taken;
  if (free == 0) return std::nullopt;
  std::uniform_int_distribution<std::size_t> pick(0, free - 1);
  std::size_t k = pick(rng);
  for (int n = 1; n <= kMaxNodeNumber; ++n) {
    if (used.test(static_cast<std::size_t>(n))) continue;
    if (k-- == 0) return MakeNodeId(n, kind);
  }
  return std::nullopt;  // not reached: there are `free` unused numbers
}

}  // namespace lw
