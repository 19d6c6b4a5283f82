#include "store/node_search.h"

#include "store/statements.h"
#include "store/title.h"
#include "store/tree_ops.h"

namespace lw {

std::vector<SearchHit> SearchNodes(Db& db, std::u16string_view typed) {
  std::vector<SearchHit> hits;
  typed = typed.substr(0, kMaxTitleLength);
  if (typed.empty()) return hits;
  std::u16string pattern = u"%";
  pattern += typed;
  pattern += u"%";
  Statement st = db.Prepare(FormatSql16(kSqlSearchTitlesBound));
  if (!st.BindText16(1, pattern)) return hits;
  while (st.Step()) hits.push_back({st.ColumnInt(0), st.ColumnText16(1)});
  if (st.failed()) hits.clear();
  return hits;
}

std::optional<ShownPage> GoToHit(NodeStore& store, TreeModel& model, int id) {
  ModelItem* item = model.ItemOf(id);
  if (!CanChangeSelection(store, model, item)) return std::nullopt;
  return SelectItem(store, model, item);
}

}  // namespace lw
