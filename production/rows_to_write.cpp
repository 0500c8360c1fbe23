#include "production/rows_to_write.h"

namespace morvik {

std::set<std::size_t> LinesNotToWrite(const JournalState& journal, const std::vector<PlannedRow>& rows,
                                      bool rewriteChanged) {
  std::set<std::size_t> lines = journal.rowsDone();
  if (rewriteChanged) return lines;
  for (const auto& [index, card] : journal.rowsChanged()) lines.insert(rows[index].line);
  return lines;
}

}  // namespace morvik
