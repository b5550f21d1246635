// Checks a whole dialogue's output against the forms the calculator writes: menu, prompts,
// results and messages, line by line, and the exit status against the way the output ends.
#pragma once

#include "console/Texts.h"

#include <string>

namespace fuzz {

// Returns an empty string when every line of out is one of the dialogue's own forms, in
// order, and status fits the ending of out; else a description of the first misfit.
std::string findFormViolation(const std::string& out, int status, const console::Texts& texts);

} // namespace fuzz
