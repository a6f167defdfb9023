// Texts and numbers as pictures write them into SVG: valid XML whatever
// reaches them, and the same bytes on every system.
#pragma once

#include <string>
#include <string_view>

// `text` for XML character data or an attribute value in quotes: & < > " '
// as entities, and U+FFFD for whatever is no UTF-8 or XML forbids (control
// characters but tab, line feed and carriage return; U+FFFE and U+FFFF).
std::string xml_text(std::string_view text);

// Appends `value` with at most `decimals` decimals, without trailing zeros
// or a trailing point; "-0" as "0", and anything not finite as "0", so that
// an attribute always holds a number.
void append_number(std::string& out, double value, int decimals = 2);

// The width of `text` in ems, from its characters alone, since no font's
// metrics are at hand: 1 for a wide (CJK) character, and for the others a
// little more than the usual sans-serif fonts give them, so that a text
// does not run into what is drawn after it.
double estimated_width(std::string_view text);
