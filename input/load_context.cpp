#include "input/load_context.h"

#include "texts/console_texts.h"

#include <vector>

void file_changed(const LoadContext& load) {
    // The advice matters more than the detail: what the two passes saw can't
    // be trusted, but the file may well be complete and sound once its
    // writer is done.
    fatal_exit(fill(texts::file_changed, {quoted(load.file->name)}));
}

void refuse(LoadContext& load, const std::string& message) {
    if (!data_file_as_opened(*load.file) ||
        (load.reader.rewound && !reader_read_same_bytes(load.reader)))
        file_changed(load);
    fatal_exit(message);
}

std::string overlong(std::string_view what, std::string_view token, bool table) {
    return fill(table ? texts::table_field_overlong : texts::field_overlong,
                {what, quoted_token(token), decimal(longest_token)});
}

std::string not_a_number(const std::string& subject, std::string_view token, DecimalMark mark) {
    const bool comma = mark == DecimalMark::comma;
    std::string message = fill(comma ? texts::not_a_number_comma : texts::not_a_number_point,
                               {subject, quoted_token(token)});
    const std::vector<OtherReading> readings = other_readings(token, mark);
    for (std::size_t i = 0; i < readings.size(); ++i) {
        const OtherReading& reading = readings[i];
        const std::string_view decimal = texts::mark_names[reading.decimal == DecimalMark::comma];
        const std::string_view between = texts::mark_names[reading.thousands == ','];
        const bool fraction = reading.number.find('.') != std::string::npos;
        message += i == 0 ? texts::reading_first : texts::reading_next;
        if (!reading.thousands)
            message += fill(texts::decimal_reading, {reading.number, decimal, decimal});
        else if (fraction && reading.decimal != mark)
            message += fill(texts::thousands_and_decimal_reading,
                            {reading.number, decimal, between, decimal});
        else
            message += fill(texts::thousands_reading, {reading.number, between});
    }
    if (!readings.empty()) message += '.';
    return message;
}
