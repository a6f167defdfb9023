// The conversation with the user: the console language, the data file's
// name, the create question, the template's sizes and the layout.
#pragma once

#include "app/template_generator.h"
#include "input/data_file.h"
#include "trial/trait_cube.h"

#include <optional>
#include <string>

// The data file opened, or the name and sizes of a template to make first.
struct DataFileAnswer {
    std::optional<DataFile> file;
    std::string template_name;
    TemplateSizes sizes{};
};

// Opens the data file named on the command line, or else asks for its
// name. For a missing file whose name was asked, asks whether to create a
// design template under that name and, on yes, its four sizes: it then
// gives them, and make_template and open_template follow. Ends the run
// through fatal_exit on a refusal, a missing file named on the command
// line, an overlong name, a name that leads to a device, pipe, socket or
// folder, a name where no template can be made, or a size that is no whole
// number.
DataFileAnswer ask_for_data_file(const std::optional<std::string>& given);

// Opens the template just made under `name` as the data file and passes
// over the rest of the line on which its last size was typed.
DataFile open_template(const std::string& name);

// The layout given on the command line, or else the one chosen at the
// analysis menu; any answer but 1, 2 or 3 ends the run through fatal_exit.
Layout ask_for_layout(std::optional<Layout> given);
