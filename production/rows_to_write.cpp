#include "production/rows_to_write.h"

namespace morvik {

RowSet LinesNotToWrite(const JournalState& journal, const std::vector<PlannedRow>& rows, bool rewriteChanged) {
  RowSet lines = journal.rowsDone();
  if (rewriteChanged) return lines;
  for (const auto& [index, card] : journal.rowsChanged()) lines.insert(rows[index].line);
  return lines;
}

}  // namespace morvik
