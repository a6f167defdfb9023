#include "input/load_context.h"

#include "texts/console_texts.h"

#include <vector>

void file_changed(const LoadContext& load) {
    // The advice matters more than the detail: what the two passes saw can't
    // be trusted, but the file may well be complete and sound once its
    // writer is done.
    fatal_exit(texts::file_changed, {{"file", quoted(load.file->name)}});
}

void refuse(LoadContext& load, const std::string& message) {
    if (!data_file_as_opened(*load.file) ||
        (load.reader.rewound && !reader_read_same_bytes(load.reader)))
        file_changed(load);
    fatal_exit(message);
}

std::string overlong(const Message& what, std::string_view token, bool table) {
    return compose(
        table ? texts::table_field_overlong : texts::field_overlong,
        {{"field", what}, {"token", quoted_token(token)}, {"bytes", number_text(longest_token)}});
}

std::string not_a_number(const std::string& subject, std::string_view token, DecimalMark mark) {
    const bool comma = mark == DecimalMark::comma;
    std::string message = compose(comma ? texts::not_a_number_comma : texts::not_a_number_point,
                                  {{"subject", subject}, {"token", quoted_token(token)}});
    const std::vector<OtherReading> readings = other_readings(token, mark);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const OtherReading& reading = readings[i];
        const Message& mark_name = texts::mark_names[reading.decimal == DecimalMark::comma];
        const Message& between = texts::mark_names[reading.thousands == ','];
        // The option's word stays English in every language, the mark's name does not.
        const std::string_view option = reading.decimal == DecimalMark::comma ? "comma" : "point";
        const bool fraction = reading.number.find('.') != std::string::npos;
        message += compose(i == 0 ? texts::reading_first : texts::reading_next);
        if (!reading.thousands)
            message +=
                compose(texts::decimal_reading,
                        {{"number", reading.number}, {"mark", mark_name}, {"decimal", option}});
        else if (fraction && reading.decimal != mark)
            message += compose(texts::thousands_and_decimal_reading, {{"number", reading.number},
                                                                      {"mark", mark_name},
                                                                      {"separator", between},
                                                                      {"decimal", option}});
        else
            message += compose(texts::thousands_reading,
                               {{"number", reading.number}, {"separator", between}});
    }
    if (!readings.empty()) message += '.';
    return message;
}
