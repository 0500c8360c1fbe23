// Which rows of a list a run writes, from what its journal says of them.
#pragma once

#include <cstddef>
#include <vector>

#include "production/journal.h"

namespace morvik {

// The lines of the rows a run does not write: those done, and those whose
// cells changed after their card was written unless they are to be written
// again. journal was built with these rows.
RowSet LinesNotToWrite(const JournalState& journal, const std::vector<PlannedRow>& rows, bool rewriteChanged);

}  // namespace morvik
