#include "tree/newick.h"

#include <algorithm>
#include <charconv>
#include <string_view>

// Bare, a label may hold neither Newick's punctuation nor blanks, and an
// underscore would be read as a blank; control bytes are quoted with the
// blanks, so that no reader splits or trims them. Letters beyond ASCII
// (GBK or UTF-8 Chinese) need no quotes, and readers that keep quotes
// (R's ape) would show them. Inside quotes only the quote itself needs
// doubling.
static bool needs_quotes(const std::string& label) {
    if (label.empty()) return true;
    for (char c : label) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7f) return true;
        if (std::string_view("()[]':;,_").find(c) != std::string_view::npos) return true;
    }
    return false;
}

static void append_label(std::string& text, const std::string& label) {
    if (!needs_quotes(label)) {
        text += label;
        return;
    }
    text += '\'';
    for (char c : label) {
        if (c == '\'') text += '\'';
        text += c;
    }
    text += '\'';
}

// ":length". A parent below its child by a rounding in the last bit is
// drawn level with it rather than given a negative branch.
static void append_length(std::string& text, double length) {
    char number[32];
    const auto end = std::to_chars(number, number + sizeof number, std::max(length, 0.0)).ptr;
    text += ':';
    text.append(number, end);
}

std::string newick_text(const std::vector<std::string>& labels,
                        const std::vector<std::int32_t>& clustered,
                        const std::vector<Fusion>& fusions) {
    auto height = [&](std::int32_t node) {
        return node < 0 ? 0.0 : fusions[static_cast<std::size_t>(node - 1)].height;
    };
    // Without recursion: a tree of 5000 leaves may be 5000 deep. A step
    // writes a node (with its branch up to `parent`, a fusion or 0 for the
    // root), or the comma or closing parenthesis between a fusion's parts.
    enum class Write { node, comma, close };
    struct Step {
        Write what;
        std::int32_t node, parent;
    };
    std::string text;
    const std::int32_t root = fusions.empty() ? -1 : static_cast<std::int32_t>(fusions.size());
    std::vector<Step> pending = {{Write::node, root, 0}};
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        if (step.what == Write::comma) {
            text += ',';
        } else if (step.what == Write::node && step.node > 0) {
            const Fusion& fusion = fusions[static_cast<std::size_t>(step.node - 1)];
            text += '(';
            pending.push_back({Write::close, step.node, step.parent});
            pending.push_back({Write::node, fusion.second, step.node});
            pending.push_back({Write::comma, 0, 0});
            pending.push_back({Write::node, fusion.first, step.node});
        } else {
            if (step.what == Write::close)
                text += ')';
            else
                append_label(text, labels[static_cast<std::size_t>(clustered[-step.node - 1])]);
            // Each node at half its fusion height, as R's as.phylo(hclust)
            // puts it: the path between two leaves is then the height at
            // which they join.
            if (step.parent != 0)
                append_length(text, (height(step.parent) - height(step.node)) / 2);
        }
    }
    text += ";\n";
    return text;
}
