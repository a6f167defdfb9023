#include "app/file_encoding.h"

#include "platform/platform.h"
#include "texts/message.h"

TextEncoding file_encoding(const Trial& trial, std::optional<TextEncoding> asked) {
    if (asked) return *asked;
    EncodingEvidence evidence;
    weigh_text(evidence, trial.header_trait);
    for (const TraitCube& cube : trial.traits) weigh_text(evidence, cube.trait_as_written);
    // Every trait of a load shares its levels.
    if (!trial.traits.empty())
        for (const std::vector<std::string>& labels : trial.traits.front().levels->level_labels)
            for (const std::string& label : labels) weigh_text(evidence, label);
    return likely_encoding(evidence, chinese_mode == 1 || system_is_chinese());
}

void show_trait_names(Trial& trial, TextEncoding encoding) {
    for (TraitCube& cube : trial.traits)
        if (!cube.trait_as_written.empty())
            cube.trait = console_form(cube.trait_as_written, encoding);
}
