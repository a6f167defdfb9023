#include "tree/group_table.h"

std::string group_table(const std::vector<std::string>& labels,
                        const std::vector<std::string>& levels, const Participation& participation,
                        const std::vector<std::int32_t>& of_leaf, std::int64_t min_rows,
                        std::string_view leaves) {
    std::vector<std::int32_t> group(labels.size(), 0);
    for (std::size_t leaf = 0; leaf < participation.clustered.size(); ++leaf)
        group[static_cast<std::size_t>(participation.clustered[leaf])] = of_leaf[leaf];
    std::string text = "label\tlevel\tgroup\tvalues\tfilled\tnote\n";
    for (std::size_t level = 0; level < labels.size(); ++level) {
        const LevelPart& part = participation.levels[level];
        const bool in = part.left_out == LeftOut::no;
        text += labels[level];
        text += '\t';
        text += levels[level];
        text += '\t';
        text += in ? std::to_string(group[level]) : ".";
        text += '\t';
        text += std::to_string(part.values);
        text += '\t';
        text += in ? std::to_string(part.filled) : ".";
        text += '\t';
        text += left_out_note(part, labels, min_rows, leaves);
        text += '\n';
    }
    return text;
}
