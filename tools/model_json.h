// The model as one JSON object, for inspection and for tests outside this
// repository, which read its shape. Strings are the lowercase hex of their
// bytes, reals the shortest text that reads back to the same double.
#pragma once

#include <string>

#include "exchange/drawing_model.h"

namespace RupenaCli {

std::string ModelToJson(const JwwGaibu::TJwwModel& model, bool loaded);

}  // namespace RupenaCli
