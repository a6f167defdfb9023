#include "matrix/output_name.h"

#include "base/ascii_case.h"
#include "base/decimal.h"
#include "platform/platform.h"

std::string data_file_stem(std::string_view data_name) {
    std::string name(name_as_opened(data_name));
    const std::size_t base = name_proper_start(name);
    if (name.size() - base >= 4) name.erase(name.size() - 4);
    return name;
}

std::string matrix_file_name(std::string_view data_name) {
    return data_file_stem(data_name) + ".DIS";
}

std::string matrix_stem_of(std::string_view output) {
    if (output.size() >= 4 && same_ignoring_case(output.substr(output.size() - 4), ".DIS"))
        output.remove_suffix(4);
    return std::string(output);
}

std::string stem_in_folder(std::string_view folder, std::string_view data_name) {
    const std::string stem = data_file_stem(data_name);
    std::string name(folder);
    if (!name.empty() && !is_path_separator(name.back())) name += '/';
    return name + stem.substr(name_proper_start(stem));
}

// A trait's part of a matrix name, or "col" and its column's number.
static std::string trait_part(const TraitPart& trait) {
    std::string part;
    bool named = false;
    for (char c : trait.name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) return "col" + std::to_string(trait.column);
        const bool letter = ascii_lower(c) >= 'a' && ascii_lower(c) <= 'z';
        named = named || letter || is_digit(c);
        part += letter || is_digit(c) || c == '-' || c == '_' || c == '.' ? c : '_';
    }
    return named ? part : "col" + std::to_string(trait.column);
}

std::vector<std::string> trait_matrix_names(std::string_view stem,
                                            const std::vector<TraitPart>& traits) {
    std::vector<std::string> parts;
    for (const TraitPart& trait : traits) parts.push_back(trait_part(trait));
    std::vector<std::string> names;
    for (std::size_t k = 0; k < parts.size(); ++k) {
        bool shared = false;
        for (std::size_t j = 0; j < parts.size(); ++j)
            shared = shared || (j != k && same_ignoring_case(parts[j], parts[k]));
        std::string name = std::string(stem) + "." + parts[k];
        if (shared) name += ".col" + std::to_string(traits[k].column);
        names.push_back(name + ".DIS");
    }
    return names;
}

std::string companion_name(std::string_view matrix_name, std::string_view ending) {
    return matrix_stem_of(matrix_name) + std::string(ending);
}
