// The code page of the data file's names, decided once the load has read
// them all: the tree's picture shows them in it, and so does a Windows
// console from then on.
#pragma once

#include "base/text_encoding.h"
#include "input/load_options.h"

#include <optional>

// `asked` (--encoding) when given, else the code page that all the trial's
// level labels and trait names together point to, a rare GBK character
// taken for one where the console or the system is Chinese.
TextEncoding file_encoding(const Trial& trial, std::optional<TextEncoding> asked);

// The traits' names as the console shows them after the load: the names the
// file's bytes give in `encoding`.
void show_trait_names(Trial& trial, TextEncoding encoding);
