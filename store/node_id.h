// Node identifiers.
//
// A node's id carries its kind and its favourite mark, so that neither the
// tree position nor another query is needed to know what a node is:
//
//   id = number * 100 + favourite * 10 + kind code
//
// number is 1..kMaxNodeNumber and unique in a library whatever the kinds; the
// kind code is 0 folder, 2 book, 4 file; only books and files are ever marked
// favourite. The last two decimal digits of a valid id are therefore exactly
// one of 00, 02, 04, 12, 14.
//
// Everything here is a pure function of the id. Ids that break the scheme can
// only come from an outside tool; for them every kind test answers false and
// NodeKindOf answers nothing, so they are never mistaken for a real kind.
#pragma once

#include <optional>

namespace lw {

enum class NodeKind : int { kFolder = 0, kBook = 2, kFile = 4 };

inline constexpr int kMaxNodeNumber = 32768;
// Added to a book's or file's id to mark it favourite.
inline constexpr int kFavouriteMark = 10;

// The id of node `number` of `kind`. A folder is never favourite, so the
// flag is ignored for folders.
constexpr int MakeNodeId(int number, NodeKind kind, bool favourite = false) {
  return number * 100 + (favourite && kind != NodeKind::kFolder ? kFavouriteMark : 0) +
         static_cast<int>(kind);
}

// The last two decimal digits of an id (of its magnitude for a negative id).
constexpr int IdSuffix(int id) { return id < 0 ? -(id % 100) : id % 100; }

constexpr bool IsFolder(int id) { return IdSuffix(id) == 0; }
constexpr bool IsBook(int id) { return IdSuffix(id) == 2 || IdSuffix(id) == 12; }
constexpr bool IsFile(int id) { return IdSuffix(id) == 4 || IdSuffix(id) == 14; }
constexpr bool IsFavourite(int id) { return IdSuffix(id) == 12 || IdSuffix(id) == 14; }

// The node number; unique per library among valid ids.
constexpr int NodeNumber(int id) { return id / 100; }

// True when the suffix is one of 00, 02, 04, 12, 14 and the number is in
// 1..kMaxNodeNumber.
constexpr bool IsValidNodeId(int id) {
  return (IsFolder(id) || IsBook(id) || IsFile(id)) && NodeNumber(id) >= 1 &&
         NodeNumber(id) <= kMaxNodeNumber;
}

// The kind of a valid id; nothing for an id outside the scheme.
constexpr std::optional<NodeKind> NodeKindOf(int id) {
  if (!IsValidNodeId(id)) return std::nullopt;
  if (IsFolder(id)) return NodeKind::kFolder;
  return IsBook(id) ? NodeKind::kBook : NodeKind::kFile;
}

// Tree level of a kind: folder 1, book 2, file 3.
constexpr int KindLevel(NodeKind kind) { return static_cast<int>(kind) / 2 + 1; }

// The id with the favourite mark set (+10). Unchanged when the id is already
// marked or cannot carry the mark (a folder, an id outside the scheme).
constexpr int MarkFavourite(int id) {
  return IsValidNodeId(id) && !IsFolder(id) && !IsFavourite(id) ? id + kFavouriteMark : id;
}

// The id with the favourite mark cleared (-10). Unchanged when not marked.
constexpr int UnmarkFavourite(int id) {
  return IsValidNodeId(id) && IsFavourite(id) ? id - kFavouriteMark : id;
}

}  // namespace lw
