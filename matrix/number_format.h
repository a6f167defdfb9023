// Numbers in the cluster matrix file.
#pragma once

#include <cstddef>

// Room for what format_g writes: the longest text ("-1.23457e-308" and the
// like) and the spare bytes its word-wide stores may touch after a text.
inline constexpr std::size_t g_text_capacity = 32;

// Writes value as "%g" writes it (six significant digits, trailing zeros
// dropped, a full stop whatever the locale) but with the exponent's sign and
// at least three digits, as in 1.5e-005: the form that analysis scripts
// written for the matrix files of old DOS installations expect. Gives the end
// of the text; the value must be finite.
char* format_g(char* out, double value);
