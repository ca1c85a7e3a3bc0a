#pragma once

#include "crash/tracer/StackItem.h"

#include <vector>

namespace qv::crash {

// Marks repeated stretches of items invalid so that a recursion shows once: an item whose address
// comes back after k other valid items, where the k items after both occurrences pair up by
// address, starts a stretch of k + 1 items that is removed. Repeats until nothing changes.
void RemoveStackRepetitions(std::vector<TStackItem>& items);

} // namespace qv::crash
