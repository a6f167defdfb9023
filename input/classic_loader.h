// The classic design file: white-space separated tokens, five header names,
// then records of five fields: variety, year, location and block codes and
// a trait value, read as the field formats "%d ch" and "%s ch" read them.
#pragma once

#include "input/load_context.h"
#include "input/load_options.h"

// Both passes over a classic file, read from the start: the levels are the
// codes, the cube is dense.
Trial load_classic_file(LoadContext& load, const LoadOptions& options);
