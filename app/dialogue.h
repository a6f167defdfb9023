// The conversation with the user: the console language, the data file's
// name, the create question, the template's sizes and the layout.
#pragma once

#include "design/template_generator.h"
#include "matrix/matrix_writer.h"

#include <optional>

// Sets chinese_mode from the command line: only an argument that is exactly
// "c" or "C" selects Chinese.
void select_language(int argc, char** argv);

// Asks for the data file's name and opens it (design/data_file.h). For a
// missing file, asks whether to create a design template under that name
// and, on yes, its four sizes: it then gives them, and make_template and
// open_template follow. Ends the run through fatal_exit on a refusal, an
// overlong name, a name that leads to a device, pipe, socket or folder, a
// name where no template can be made, or a size that is no whole number.
std::optional<TemplateSizes> ask_for_data_file();

// Opens the template just made as the data file and passes over the rest of
// the line on which its last size was typed.
void open_template();

// Shows the analysis menu and reads the layout; any answer but 1, 2 or 3
// ends the run through fatal_exit.
Layout ask_for_layout();
