// Writes a synthetic design data file of a fully crossed trial to standard
// output, for the benchmark: V varieties x Y years x L locations x B blocks,
// the blocks being replicates of the same plot. Trait texts look like a
// field book's ("53.81"), about one in twenty is missing (".").
//
//   clustmat_bench_gen V Y L B SEED [names | csv TRAITS] > trial.dat
//
// With "names" the locations are written as names (Loc17), as a table file
// read with --columns has them. With "csv" and a number of traits the trial
// is a CSV file as a spreadsheet saves it: named varieties (Line17),
// calendar years, named locations, and that many trait columns
// (genotype,year,location,rep,trait1,...). The same arguments always give
// the same bytes.

#include "base/random.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

static std::uint64_t rng_state;

// A whole number of hundredths from -spread to +spread.
static int random_effect(int spread) {
    return static_cast<int>(next_random(rng_state) % static_cast<std::uint64_t>(2 * spread + 1)) -
           spread;
}

static bool parse_size(const char* text, int& value) {
    auto [end, ec] = std::from_chars(text, text + std::strlen(text), value);
    return ec == std::errc() && *end == '\0' && value >= 1;
}

static char buffer[1 << 20];
static std::size_t used = 0;

static void flush_buffer() {
    if (std::fwrite(buffer, 1, used, stdout) != used) {
        std::perror("clustmat_bench_gen: write");
        std::exit(1);
    }
    used = 0;
}

static void put(std::string_view text) {
    std::memcpy(buffer + used, text.data(), text.size());
    used += text.size();
}

static void put_int(int value, char after) {
    used = static_cast<std::size_t>(
        std::to_chars(buffer + used, buffer + sizeof buffer, value).ptr - buffer);
    buffer[used++] = after;
}

int main(int argc, char** argv) {
    int sizes[4];
    std::uint64_t seed = 0;
    bool ok = argc == 6 || (argc == 7 && std::strcmp(argv[6], "names") == 0) ||
              (argc == 8 && std::strcmp(argv[6], "csv") == 0);
    const bool location_names = argc == 7;
    int traits = 0;
    if (argc == 8) ok = ok && parse_size(argv[7], traits);
    for (int i = 0; ok && i < 4; ++i) ok = parse_size(argv[i + 1], sizes[i]);
    if (ok) {
        auto [end, ec] = std::from_chars(argv[5], argv[5] + std::strlen(argv[5]), seed);
        ok = ec == std::errc() && *end == '\0';
    }
    if (!ok) {
        std::fputs(
            "usage: clustmat_bench_gen VARIETIES YEARS LOCATIONS BLOCKS SEED [names | csv TRAITS] "
            "> file\n",
            stderr);
        return 2;
    }
    const int nv = sizes[0], ny = sizes[1], nl = sizes[2], nb = sizes[3];
    rng_state = seed;

    // Main effects in hundredths around a mean of 50.00.
    auto* year_effect = new int[ny + 1];
    auto* location_effect = new int[nl + 1];
    for (int y = 1; y <= ny; ++y) year_effect[y] = random_effect(500);
    for (int l = 1; l <= nl; ++l) location_effect[l] = random_effect(1000);

    // The classic file's one trait, or the CSV file's traits.
    const bool csv = traits > 0;
    const char separator = csv ? ',' : ' ';
    if (csv) {
        put("genotype,year,location,rep,");
        for (int t = 1; t <= traits; ++t) {
            put("trait");
            put_int(t, t < traits ? ',' : '\n');
        }
    } else {
        put("Var Year Loca Blk Trait\n");
        traits = 1;
    }
    for (int v = 1; v <= nv; ++v) {
        int variety_effect = random_effect(800);
        for (int y = 1; y <= ny; ++y)
            for (int l = 1; l <= nl; ++l)
                for (int b = 1; b <= nb; ++b) {
                    if (used > sizeof buffer - 16 * (traits + 4)) flush_buffer();
                    if (csv) put("Line");
                    put_int(v, separator);
                    put_int(csv ? 2000 + y : y, separator);
                    if (csv || location_names) put("Loc");
                    put_int(l, separator);
                    put_int(b, separator);
                    for (int t = 1; t <= traits; ++t) {
                        const char after = t < traits ? ',' : '\n';
                        // About one in twenty is missing: "." in a classic
                        // file, an empty field in a CSV file.
                        if (next_random(rng_state) % 20 == 0) {
                            if (!csv) buffer[used++] = '.';
                            buffer[used++] = after;
                            continue;
                        }
                        int hundredths = 5000 + variety_effect + year_effect[y] +
                                         location_effect[l] + random_effect(300);
                        char fraction[3] = {char('0' + hundredths / 10 % 10),
                                            char('0' + hundredths % 10), after};
                        put_int(hundredths / 100, '.');
                        put({fraction, 3});
                    }
                }
    }
    flush_buffer();
    return std::fflush(stdout) == 0 ? 0 : 1;
}
