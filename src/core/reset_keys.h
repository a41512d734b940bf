// The vocabulary of reset and the keys the state parts register.
#pragma once
#include <vector>

#include "core/state_part.h"

namespace kal {

// True when `key` (upper case, at most four letters) is a name reset accepts.
bool reset_name_known(const char* key);

// The reset keys of every state part, in the order of Context::parts.
const std::vector<ResetKey>& registered_reset_keys();

}  // namespace kal
