// Whether the compiler takes a design, kept apart from the window tests:
// the compiler's headers use names that Qt defines as macros.
#pragma once

#include <string>

// The part the fitted map is for ("P16V8R"), or the compiler's errors after "error: ".
std::string CompiledPart(const std::string& design);
