// Why a port gave no writer, as the tool says it: a kind of the catalog with
// what lets the operator open the port.
#pragma once

#include "link/writer_link.h"
#include "words/catalog.h"

namespace morvik {

Saying PortReason(const TriedPort& tried);

}  // namespace morvik
