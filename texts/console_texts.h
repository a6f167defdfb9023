// Everything the program says, in English and Chinese: the console texts,
// every message, how a name or a token is quoted in one, the exit statuses,
// and the one way a run ends on failure. Any part of the program may
// include this header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>

// 1 selects the Chinese form of the texts that have one; set once at start-up.
extern int chinese_mode;

// The data file was named on the command line: a script runs, and an error
// ends with its own message, without the dialogue's closing lines. Set once
// at start-up; process-wide, since fatal_exit reads it.
extern bool scripted_run;

namespace texts {

// Chinese texts are GBK bytes: old consoles in the breeding stations show them
// as they are, and pipes and files get them unchanged; put_gbk_text converts
// them only for a terminal that shows another character set.

inline constexpr std::string_view name_prompt_en = "\n Input Name of Your Data File:  ";
// "\n 请输入数据文件名:  "
inline constexpr std::string_view name_prompt_zh =
    "\n \xC7\xEB\xCA\xE4\xC8\xEB\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE\xC3\xFB:  ";

inline constexpr std::string_view opened_notice = "\n File has been oppened ! \n";

inline constexpr std::string_view create_question_en =
    "\n File can't be oppened! \n Creat a new one? Y/N  ";
// "\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  "
inline constexpr std::string_view create_question_zh =
    "\n \xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE\xB2\xBB\xB4\xE6\xD4\xDA! \n  "
    "\xCA\xC7\xB7\xF1\xD2\xAA\xD0\xC2\xBD\xA8\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE? "
    "\xCA\xC7Y/\xB7\xF1N  ";

inline constexpr std::string_view refusal =
    "\nExit this program and input correct file name again.\n";

inline constexpr auto template_prompts = std::to_array<std::string_view>({
    "\n Input Numbers for Variety.  ",
    "\n Input Number for Year.  ",
    "\n Input Numbers for Location.  ",
    "\n Input Number for Blocks.  ",
});

inline constexpr std::string_view f3tensor_failure[] = {
    "allocation failure 1 in f3tensor()",
    "allocation failure 2 in f3tensor()",
    "allocation failure 3 in f3tensor()",
};
inline constexpr std::string_view analysis_menu =
    "\n\n Which Variable (Column 1, 2, or 3) Do You Want to Analyze? \n"
    " Input 1 for Variety, and Year * Location \n"
    " Input 2 for Year, and Variety * Location \n"
    " Input 3 for Location, and Variety * Year\n";

inline constexpr std::string_view bad_choice_notice = "NO SUCH case!";
inline constexpr std::string_view bad_choice = "No such case. exit program.";
inline constexpr std::string_view output_open_failure = "Can't Open Mat File. Quit Analysis! ";

inline constexpr auto closing_en = std::to_array<std::string_view>({
    "\n You Data Is Too Big for Runing in DOS System.\n",
    "\n You Should Analyze the Data in UNIX System.\n",
    "...Now Exiting to System...\n",
});
inline constexpr auto closing_zh = std::to_array<std::string_view>({
    // "\n您的数据太大了, 无法在DOS系统中分析!\n"
    "\n\xC4\xFA\xB5\xC4\xCA\xFD\xBE\xDD\xCC\xAB\xB4\xF3\xC1\xCB, "
    "\xCE\xDE\xB7\xA8\xD4\xDA"
    "DOS\xCF\xB5\xCD\xB3\xD6\xD0\xB7\xD6\xCE\xF6!\n",
    // "\n您需要在UNIX系统中运行统计分析软件!\n"
    "\n\xC4\xFA\xD0\xE8\xD2\xAA\xD4\xDAUNIX\xCF\xB5\xCD\xB3\xD6\xD0"
    "\xD4\xCB\xD0\xD0\xCD\xB3\xBC\xC6\xB7\xD6\xCE\xF6\xC8\xED\xBC\xFE!\n",
    // "...无法执行软件. 退回DOS系统...\n"
    "...\xCE\xDE\xB7\xA8\xD6\xB4\xD0\xD0\xC8\xED\xBC\xFE. \xCD\xCB\xBB\xD8"
    "DOS\xCF\xB5\xCD\xB3...\n",
});
static_assert(closing_en.size() == closing_zh.size(), "a text in both languages");

// The closing notice of a run whose matrix file is in place, in the pieces
// around the file name, the row count and the column count: the name is
// written as typed, never converted like the Chinese text around it.
inline constexpr auto matrix_written_en =
    std::to_array<std::string_view>({"\n Matrix file ", " written: ", " rows, ", " columns.\n"});
inline constexpr auto matrix_written_zh =
    std::to_array<std::string_view>({// "\n 聚类矩阵已写入 ", ": ", " 行, ", " 列.\n"
                                     "\n \xBE\xDB\xC0\xE0\xBE\xD8\xD5\xF3\xD2\xD1\xD0\xB4\xC8\xEB ",
                                     ": ", " \xD0\xD0, ", " \xC1\xD0.\n"});
static_assert(matrix_written_en.size() == matrix_written_zh.size(), "a text in both languages");

// Shown where a double-clicked program's window would close with the run.
inline constexpr std::string_view hold_prompt_en = "\n\n Press Enter to close this window. ";
// "\n\n 按回车键关闭窗口. "
inline constexpr std::string_view hold_prompt_zh =
    "\n\n \xB0\xB4\xBB\xD8\xB3\xB5\xBC\xFC\xB9\xD8\xB1\xD5\xB4\xB0\xBF\xDA. ";

inline constexpr std::string_view banner_title =
    "\n  clustmat: cluster matrices from multi-environment crop trials\n"
    "  ------------------------------------------------------------\n";

inline constexpr std::string_view banner_en =
    "\n  Input your file for reading mating design and trait data."
    "\n  File should include five design columns and otheir trait columns:"
    "\n (1)Variety, (2)Year, (3)Location,  (4)Block.\n\n\n";
inline constexpr std::string_view banner_zh =
    // "\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."
    "\n  \xC7\xEB\xCA\xE4\xC8\xEB\xC4\xFA\xB5\xC4\xCA\xFD\xBE\xDD\xCE\xC4\xBC\xFE\xC3\xFB.\n  "
    "\xCE\xC4\xBC\xFE\xD3\xA6\xB0\xFC\xC0\xA8\xCA\xD4\xD1\xE9\xC9\xE8\xBC\xC6\xD2\xD4\xBC\xB0"
    "\xB7\xD6\xCE\xF6\xD0\xD4\xD7\xB4\xB5\xC4\xCA\xFD\xBE\xDD."
    // "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n"
    "\n  \xCA\xD4\xD1\xE9\xC9\xE8\xBC\xC6\xB5\xC4\xCB\xC4\xC1\xD0\xCA\xC7:(1)\xC6\xB7\xD6\xD6, "
    "(2)\xC4\xEA\xB7\xDD, (3)\xCA\xD4\xB5\xE3, (4)\xC7\xF8\xD7\xE9.\n\n\n";

// ---- The program's own messages. "{}" stands for a value filled in by
// fill(); a file name or a token is always filled in through quoted().

// The dialogue. The length of a name is the system's limit, counted in its
// unit, and said in the console's language.
inline constexpr std::string_view name_too_long_en =
    "\nThe file name is longer than {} {}, the longest this system takes. Rename or move the file "
    "so that its name is shorter.";
// "\n文件名超过 {} {}, 系统不接受这样长的文件名. 请重命名或移动文件, 使文件名短一些."
inline constexpr std::string_view name_too_long_zh =
    "\n\xCE\xC4\xBC\xFE\xC3\xFB\xB3\xAC\xB9\xFD {} {}, \xCF\xB5\xCD\xB3\xB2\xBB\xBD\xD3"
    "\xCA\xDC\xD5\xE2\xD1\xF9\xB3\xA4\xB5\xC4\xCE\xC4\xBC\xFE\xC3\xFB. \xC7\xEB\xD6\xD8"
    "\xC3\xFC\xC3\xFB\xBB\xF2\xD2\xC6\xB6\xAF\xCE\xC4\xBC\xFE, \xCA\xB9\xCE\xC4\xBC\xFE"
    "\xC3\xFB\xB6\xCC\xD2\xBB\xD0\xA9.";
// The unit of the limit: bytes, characters; "字节", "个字符".
inline constexpr auto name_units_en = std::to_array<std::string_view>({"bytes", "characters"});
inline constexpr auto name_units_zh =
    std::to_array<std::string_view>({"\xD7\xD6\xBD\xDA", "\xB8\xF6\xD7\xD6\xB7\xFB"});
static_assert(name_units_en.size() == name_units_zh.size(), "a text in both languages");
inline constexpr std::string_view not_a_data_file =
    "\n{} is a device, pipe or socket, not a data file.";
inline constexpr std::string_view cant_read_data_file = "Can't read the data file {}: {}";
inline constexpr std::string_view out_of_memory_reading =
    "Not enough memory to read the data file.";

// The template
inline constexpr auto size_names =
    std::to_array<std::string_view>({"varieties", "years", "locations", "blocks"});
inline constexpr std::string_view size_not_given =
    "\nThe number of {} was not given: the input ended. No template was written.";
inline constexpr std::string_view size_not_whole =
    "\nThe number of {} must be a whole number from -2147483648 to 2147483647, not {}. No "
    "template was written.";
inline constexpr std::string_view template_too_large =
    "\nA template of {} x {} x {} x {} records is too large: at most 2147483647 records are "
    "possible. No template was written.";
inline constexpr std::string_view template_needs_name =
    "\nA template needs a name: type the name of the new data file at the prompt. No template "
    "was written.";
inline constexpr std::string_view cant_create_data_file = "\nCan't create the data file {}: {}";
inline constexpr std::string_view template_write_failed =
    "\nCan't write the template into {}: {}. The unfinished file has been removed.";

// The loader
inline constexpr auto field_names = std::to_array<std::string_view>(
    {"variety code", "year code", "location code", "block code", "trait value"});
inline constexpr std::string_view record_fault = "Record {} of {}: {}";
// Where the record is not on the line of its number: a title, notes or a
// record split over lines above it.
inline constexpr std::string_view record_line_fault = "Record {} (line {}) of {}: {}";
inline constexpr std::string_view record_incomplete =
    "the record is incomplete: the file ends before its {}.";
inline constexpr std::string_view field_not_whole = "the {} {} is not a whole number.";
inline constexpr std::string_view field_too_large = "the {} {} is too large.";
inline constexpr std::string_view code_below_one =
    "the {} {} is below 1; codes are numbered from 1.";
inline constexpr std::string_view trait_beyond_float =
    "{} {} is too large for single precision (its largest number is "
    "3.40282347e+38).";
inline constexpr std::string_view field_overlong =
    "the {} {} is longer than {} bytes; the file is damaged or is not a design data file.";
inline constexpr std::string_view table_field_overlong =
    "the {} {} is longer than {} bytes; the file is damaged or is not a table.";
inline constexpr std::string_view header_overlong =
    "The header of {}: the column name {} is longer than {} bytes; the file is damaged or is not "
    "a design data file.";
inline constexpr std::string_view no_record =
    "{} holds no complete record after its five header names.";
inline constexpr std::string_view data_file_empty =
    "{} is empty: it holds no header and no record.";
inline constexpr std::string_view data_file_blank =
    "{} holds nothing but blank lines: no header and no record.";
inline constexpr std::string_view data_file_only_mark =
    "{} holds nothing but the byte-order mark that starts Unicode text: no header and no record.";
inline constexpr std::string_view file_changed =
    "{} changed while it was being read. Run the analysis again once the file is complete.";
inline constexpr std::string_view codes_as_names =
    "\nTo read codes that are names (G112, Yolo2), name the file's columns with --columns (see "
    "clustmat --help).";
// A trait field that is not a number: the subject names the field.
inline constexpr std::string_view not_a_number_point = "{} {} is not a number.";
inline constexpr std::string_view not_a_number_comma =
    "{} {} is not a number with a decimal comma.";
inline constexpr auto mark_names = std::to_array<std::string_view>({"point", "comma"});
inline constexpr std::string_view reading_first = " It reads as ";
inline constexpr std::string_view reading_next = ", or as ";
inline constexpr std::string_view decimal_reading =
    "{} with a decimal {} (run clustmat with --decimal {})";
inline constexpr std::string_view thousands_reading =
    "{} with a {} between thousands (save the file without thousands separators)";
inline constexpr std::string_view thousands_and_decimal_reading =
    "{} with a decimal {} and a {} between thousands (save the file without thousands "
    "separators and run clustmat with --decimal {})";
inline constexpr std::string_view trait_subject = "the trait value";
inline constexpr std::string_view trait_column_subject = "the trait value (column {})";
inline constexpr std::string_view no_memory_for_means =
    "Not enough memory for the means of the cells.";
// When memory runs out: what it was needed for.
inline constexpr std::string_view out_of_memory =
    "Not enough memory {}: the trial is too large for this machine's memory.";
inline constexpr std::string_view memory_to_start = "to start";
inline constexpr std::string_view memory_for_reading = "to read the data file";
inline constexpr std::string_view memory_for_levels = "for the levels of the columns {}";
inline constexpr std::string_view memory_for_cube = "for the cube of {} cells";
inline constexpr std::string_view memory_for_sparse_cube =
    "for the cells of the cube that occur, up to {} (about {} MB)";
inline constexpr std::string_view memory_for_matrix = "to write the matrix file";
inline constexpr std::string_view memory_for_distances = "for the distances of {} levels";
inline constexpr std::string_view memory_for_tree_values =
    "for the values of {} levels in {} rows to cluster";

// The loader, on table files
inline constexpr auto factor_names =
    std::to_array<std::string_view>({"variety", "year", "location", "block"});
inline constexpr std::string_view line_fault = "Line {} of {}: {}";
inline constexpr std::string_view line_overlong =
    "the line is longer than {} bytes; the file is damaged or is not a table.";
inline constexpr std::string_view lone_surrogate =
    "half of a UTF-16 character stands alone on the line (an unpaired surrogate), which no text "
    "can hold: the file is damaged. Save it again as Unicode text or UTF-8.";
inline constexpr std::string_view open_quote =
    "a field in double quotes has no closing quote before the end of the line, or text follows "
    "its closing quote.";
inline constexpr std::string_view fields_not_header =
    "the record has {}, but the header names {}: every record must have {}, or one more when "
    "records begin with a row name or end with a separator.";
inline constexpr std::string_view text_past_end_mark =
    "{} holds an end-of-file mark (Ctrl-Z) after line {} and more text after it, which would go "
    "unread: remove the mark, or the text after it.";
inline constexpr std::string_view row_name_repeats =
    "the row name {} is given to an earlier row too. A record with one field more than the "
    "header names begins with its row's name, as R writes them, and no two rows share one; "
    "where a number's decimal comma splits it in two, save the file with semicolons between "
    "fields.";
inline constexpr std::string_view decimal_comma_split =
    "the record has {}, one more than the header names, as every record has; its fields {} and "
    "{}, joined by a comma, read as {}, a number with a decimal comma, and so do those of every "
    "record. Save the file with semicolons between fields, or with its values in double quotes.";
inline constexpr std::string_view fields_not_records =
    "the record has {}, but the records before it have {}.";
inline constexpr auto field_words = std::to_array<std::string_view>({"field", "fields"});
inline constexpr auto column_words = std::to_array<std::string_view>({"column", "columns"});
inline constexpr std::string_view level_missing =
    "the {} (column {}) is missing: {}. Every record needs its variety, year, location and "
    "block.";
inline constexpr std::string_view level_unwritable =
    "the {} (column {}) {} holds a tab, a double quote or another control character, which the "
    "matrix file can't show in a label.";
inline constexpr std::string_view no_table_record = "{} holds no record after its header line.";
inline constexpr std::string_view column_fault = "{}: {} Its {}: {}.";
inline constexpr std::string_view no_column_number = "there is no column {}.";
inline constexpr std::string_view no_column_named = "no column is named {}.";
inline constexpr std::string_view columns_named = "several columns are named {}.";
inline constexpr std::string_view column_twice = "the column {} is given twice.";
inline constexpr std::string_view no_trait_column =
    "no column but the four named holds numbers in its first records; name the trait too: "
    "--columns V,Y,L,B,T.";
inline constexpr std::string_view header_too_short =
    "the header names {}, but a table needs five: the variety, year, location, block and trait "
    "value.";
inline constexpr std::string_view too_many_columns =
    "{} has {} columns; name the five to analyse with --columns: {}";
inline constexpr std::string_view header_below =
    "Line {} of {} names the columns; the lines above it are not part of the table. To read it: "
    "{}";
inline constexpr std::string_view header_open_quote =
    "Line {} of {}, its header: a field in double quotes has no closing quote before the end of "
    "the line, or text follows its closing quote.";
inline constexpr std::string_view unicode_without_mark =
    "{} is saved as Unicode text without a mark: save it as UTF-8 (CSV UTF-8) or tab-delimited "
    "text.";
inline constexpr std::string_view nothing_after_skip =
    "{} holds nothing to read after the {} that --skip names.";
inline constexpr auto line_words = std::to_array<std::string_view>({"line", "lines"});
// After a command that reads a file: what its V,Y,L,B,T or TRAIT stand for.
inline constexpr std::string_view command_roles =
    " (V,Y,L,B,T: the variety, year, location, block and trait value, each a column's name or "
    "number; its columns are {})";
inline constexpr std::string_view command_trait =
    " (TRAIT: the trait to analyse, a column's name or number; its columns of numbers are {})";
// Where a classic file is refused: how to read it as a table instead.
inline constexpr std::string_view as_table_hint = "\nTo read it as a table: {}";
inline constexpr std::string_view header_below_hint =
    "\nLine {} names the columns of a table; to read it so: {}";
inline constexpr std::string_view too_many_levels =
    "A column of the data file has more than 2147483647 different values.";

// The lines that account for a table's load, on stderr after it. English
// counts its words; Chinese takes the numbers alone.
inline constexpr std::string_view account_read_en = "Read {}; {}, {}, {}";
// "读取 {} 条记录; {} 个品种, {} 个年份, {} 个试点"
inline constexpr std::string_view account_read_zh =
    "\xB6\xC1\xC8\xA1 {} \xCC\xF5\xBC\xC7\xC2\xBC; {} \xB8\xF6\xC6\xB7\xD6\xD6, {} "
    "\xB8\xF6\xC4\xEA\xB7\xDD, {} \xB8\xF6\xCA\xD4\xB5\xE3";
inline constexpr std::string_view account_repeated_en = "; {} skipped";
// "; 跳过 {} 个重复的表头"
inline constexpr std::string_view account_repeated_zh =
    "; \xCC\xF8\xB9\xFD {} \xB8\xF6\xD6\xD8\xB8\xB4\xB5\xC4\xB1\xED\xCD\xB7";
inline constexpr std::string_view account_row_names_en =
    "; the first column, which the header does not name, read as row names";
// "; 表头未命名的第一列作为行名读取"
inline constexpr std::string_view account_row_names_zh =
    "; "
    "\xB1\xED\xCD\xB7\xCE\xB4\xC3\xFC\xC3\xFB\xB5\xC4\xB5\xDA\xD2\xBB\xC1\xD0\xD7\xF7\xCE\xAA\xD0"
    "\xD0\xC3\xFB\xB6\xC1\xC8\xA1";
// Records whose variety, year, location and block an earlier record has.
inline constexpr std::string_view account_plots_en = "; {} an earlier plot";
inline constexpr auto repeat_words =
    std::to_array<std::string_view>({"record repeats", "records repeat"});
// "; {} 条记录与之前的小区重复"
inline constexpr std::string_view account_plots_zh =
    "; {} \xCC\xF5\xBC\xC7\xC2\xBC\xD3\xEB\xD6\xAE\xC7\xB0\xB5\xC4\xD0\xA1\xC7\xF8\xD6"
    "\xD8\xB8\xB4";
// The traits found, not named, after the first line: "Traits: yield, testwt."
inline constexpr std::string_view account_traits_en = "Traits: {}.\n";
// "性状: {}."
inline constexpr std::string_view account_traits_zh = "\xD0\xD4\xD7\xB4: {}.\n";
// After the trait's name: its values, the cells they made and how.
inline constexpr std::string_view account_trait_en = ": {} in {} ({}), {} missing";
inline constexpr std::string_view cells_means_en = "block means";
inline constexpr std::string_view cells_last_en = "the last value of each";
inline constexpr std::string_view cells_unused_en = "the last value of each; {} not used";
// ": {} 个数值, 在 {} 个单元格中 ({}), {} 个缺失"
inline constexpr std::string_view account_trait_zh =
    ": {} \xB8\xF6\xCA\xFD\xD6\xB5, \xD4\xDA {} \xB8\xF6\xB5\xA5\xD4\xAA\xB8\xF1\xD6\xD0 "
    "({}), {} \xB8\xF6\xC8\xB1\xCA\xA7";
// "区组平均值"
inline constexpr std::string_view cells_means_zh = "\xC7\xF8\xD7\xE9\xC6\xBD\xBE\xF9\xD6\xB5";
// "每格取最后一个值"
inline constexpr std::string_view cells_last_zh =
    "\xC3\xBF\xB8\xF1\xC8\xA1\xD7\xEE\xBA\xF3\xD2\xBB\xB8\xF6\xD6\xB5";
// "每格取最后一个值; {} 个未用"
inline constexpr std::string_view cells_unused_zh =
    "\xC3\xBF\xB8\xF1\xC8\xA1\xD7\xEE\xBA\xF3\xD2\xBB\xB8\xF6\xD6\xB5; {} "
    "\xB8\xF6\xCE\xB4\xD3\xC3";
inline constexpr std::string_view account_zeros_en = ", {}";
// ", {} 个零值"
inline constexpr std::string_view account_zeros_zh = ", {} \xB8\xF6\xC1\xE3\xD6\xB5";
// The counted words of the English lines: one, then more.
inline constexpr auto record_words = std::to_array<std::string_view>({"record", "records"});
inline constexpr auto variety_words = std::to_array<std::string_view>({"variety", "varieties"});
inline constexpr auto year_words = std::to_array<std::string_view>({"year", "years"});
inline constexpr auto location_words = std::to_array<std::string_view>({"location", "locations"});
inline constexpr auto cell_words = std::to_array<std::string_view>({"cell", "cells"});
inline constexpr auto header_words =
    std::to_array<std::string_view>({"repeated header", "repeated headers"});
inline constexpr auto value_words = std::to_array<std::string_view>({"value", "values"});
inline constexpr auto zero_words = std::to_array<std::string_view>({"zero", "zeros"});

// The matrix file
inline constexpr std::string_view matrix_held =
    "\nThe matrix file {} is open in another program (a spreadsheet, perhaps). Close it there, "
    "then run clustmat again. Nothing was written.";
// Why a matrix file can't be opened, on the line after output_open_failure.
inline constexpr std::string_view matrix_read_only_posix =
    "{} is read-only. If it may be replaced, make it writable (chmod u+w {}) and run again.";
inline constexpr std::string_view matrix_read_only_windows =
    "{} is read-only. If it may be replaced, clear Read-only in its Properties (or attrib -r {}) "
    "and run again.";
inline constexpr std::string_view matrix_is_folder =
    "{} is a folder. Move it away, or name the matrix file with --output.";
inline constexpr std::string_view matrix_folder_unwritable =
    "The folder of {} can't be written. Run clustmat where you may write, or name the matrix "
    "file with --output.";
inline constexpr std::string_view matrix_cannot_create = "{}: {}.";
// Why the final replacement failed, in the parentheses of matrix_not_written.
inline constexpr std::string_view matrix_held_meanwhile =
    "another program opened it during the run; close it there and run again";
inline constexpr std::string_view matrix_read_only_meanwhile =
    "it was made read-only during the run";
inline constexpr std::string_view would_replace_data =
    "\nThe matrix file {} would replace the data file {}. Rename the data file so that it does "
    "not end in .DIS.";
inline constexpr std::string_view output_is_data =
    "\nThe matrix file {} would replace the data file {}. Choose another --output.";
inline constexpr std::string_view companion_is_data =
    "\nThe file {} would replace the data file {}. Choose another --output, or rename the data "
    "file.";
// The set of files of a run of several traits, or with a tree.
inline constexpr std::string_view files_not_written =
    "\nThe file {} could not be written in full ({}). The unfinished copies have been removed; "
    "{} are as they were before the run.\n";
inline constexpr std::string_view files_partly_replaced =
    "\nNot every file could be replaced. Replaced: {}. Not replaced, as they were before the run "
    "({} failed: {}): {}.\n";
// A file of the run whose name the system would refuse for its length: its
// name in its folder, or the whole name with the folders.
inline constexpr std::string_view name_proper_too_long =
    "\nThe file name {} is too long: this system takes at most {} {} for a name in a folder. "
    "Choose a shorter name for the data file, the trait's column or --output. Nothing was "
    "written.";
inline constexpr std::string_view whole_name_too_long =
    "\nThe file name {} is too long: this system takes at most {} {} for a name with its "
    "folders. Choose a shorter name, or a folder nearer the top. Nothing was written.";
// Two traits whose files would have one name; each column as "5 \"a\"".
inline constexpr std::string_view files_one_name =
    "\nThe columns {} and {} would both be written to {}. Rename one of them, or leave one out "
    "of --columns. Nothing was written.";
inline constexpr std::string_view files_one_name_case =
    "\nThe columns {} and {} would be written to {} and {}, which Windows and macOS take for one "
    "file. Rename one of them, or leave one out of --columns. Nothing was written.";
inline constexpr std::string_view numbered_column = "{} {}";
// A matrix of several, after its name: its trait's column.
inline constexpr std::string_view matrix_trait = " ({})";
inline constexpr std::string_view matrix_not_written =
    "\nThe matrix file {} could not be written in full ({}). Its unfinished copy has been "
    "removed; {} is as it was before the run.\n";

// The tree. The lines about each tree come in pieces around the names of
// its files, which go out as names do.
inline constexpr std::string_view no_tree_at_all_en =
    "No tree can be grown: in no matrix do two {} have values in {} rows or more that they "
    "share. Nothing was written.";
// "聚类树无法生成: 任何矩阵中都没有两个{}在不少于 {} 行中共同有值. 未写入任何文件."
inline constexpr std::string_view no_tree_at_all_zh =
    "\xBE\xDB\xC0\xE0\xCA\xF7\xCE\xDE\xB7\xA8\xC9\xFA\xB3\xC9: \xC8\xCE\xBA\xCE\xBE\xD8"
    "\xD5\xF3\xD6\xD0\xB6\xBC\xC3\xBB\xD3\xD0\xC1\xBD\xB8\xF6{}\xD4\xDA\xB2\xBB\xC9\xD9"
    "\xD3\xDA {} \xD0\xD0\xD6\xD0\xB9\xB2\xCD\xAC\xD3\xD0\xD6\xB5. \xCE\xB4\xD0\xB4\xC8\xEB"
    "\xC8\xCE\xBA\xCE\xCE\xC4\xBC\xFE.";
// The same with a fill, where levels need only be linked.
inline constexpr std::string_view no_tree_linked_en =
    "No tree can be grown: in no matrix are two {} with values in {} rows or more linked through "
    "shared rows. Nothing was written.";
// "聚类树无法生成: 任何矩阵中都没有两个在不少于 {} 行中有值的{}通过共同的行相连. 未写入任何文件."
inline constexpr std::string_view no_tree_linked_zh =
    "\xBE\xDB\xC0\xE0\xCA\xF7\xCE\xDE\xB7\xA8\xC9\xFA\xB3\xC9: \xC8\xCE\xBA\xCE\xBE\xD8"
    "\xD5\xF3\xD6\xD0\xB6\xBC\xC3\xBB\xD3\xD0\xC1\xBD\xB8\xF6\xD4\xDA\xB2\xBB\xC9\xD9\xD3"
    "\xDA {} \xD0\xD0\xD6\xD0\xD3\xD0\xD6\xB5\xB5\xC4{}\xCD\xA8\xB9\xFD\xB9\xB2\xCD\xAC\xB5"
    "\xC4\xD0\xD0\xCF\xE0\xC1\xAC. \xCE\xB4\xD0\xB4\xC8\xEB\xC8\xCE\xBA\xCE\xCE\xC4\xBC"
    "\xFE.";
// The levels a tree clusters: varieties, years, locations; "品种", "年份", "试点".
inline constexpr auto leaves_en =
    std::to_array<std::string_view>({"varieties", "years", "locations"});
inline constexpr auto leaves_zh =
    std::to_array<std::string_view>({"\xC6\xB7\xD6\xD6", "\xC4\xEA\xB7\xDD", "\xCA\xD4\xB5\xE3"});
inline constexpr auto group_words = std::to_array<std::string_view>({"group", "groups"});
inline constexpr std::string_view mojena_rule = "Mojena, k = {}";
inline constexpr std::string_view groups_rule = "--groups {}";
inline constexpr std::string_view tree_before_en = "Tree ";
// "聚类树 "
inline constexpr std::string_view tree_before_zh = "\xBE\xDB\xC0\xE0\xCA\xF7 ";
// The line of a tree: its levels and groups, then the left-out part when
// some were, then the cells part.
inline constexpr std::string_view tree_after_en =
    ": {} {} in {} ({}){}; {}; cophenetic correlation {}.\n";
// ": {} 个{}分为 {} 组 ({}){}; {}; 共表型相关系数 {}.\n"
inline constexpr std::string_view tree_after_zh =
    ": {} \xB8\xF6{}\xB7\xD6\xCE\xAA {} \xD7\xE9 ({}){}; {}; \xB9\xB2\xB1\xED\xD0\xCD\xCF"
    "\xE0\xB9\xD8\xCF\xB5\xCA\xFD {}.\n";
inline constexpr std::string_view tree_left_out_en = ", {} left out";
// ", {} 个未参与聚类"
inline constexpr std::string_view tree_left_out_zh =
    ", {} \xB8\xF6\xCE\xB4\xB2\xCE\xD3\xEB\xBE\xDB\xC0\xE0";
// The cells filled, of the clustered levels' cells, and the fill's name.
inline constexpr std::string_view cells_filled_en = "{} of {} cells filled ({})";
// "{} 个单元格中 {} 个已填补 ({})": the cells, then those filled.
inline constexpr std::string_view cells_filled_zh =
    "{} \xB8\xF6\xB5\xA5\xD4\xAA\xB8\xF1\xD6\xD0 {} \xB8\xF6\xD2\xD1\xCC\xEE\xB2\xB9 ({})";
inline constexpr std::string_view no_cell_filled_en = "no cell filled";
// "没有填补单元格"
inline constexpr std::string_view no_cell_filled_zh =
    "\xC3\xBB\xD3\xD0\xCC\xEE\xB2\xB9\xB5\xA5\xD4\xAA\xB8\xF1";
inline constexpr std::string_view most_filled_en =
    "Most cells are the model's, not observed: read the groups with the filled column.\n";
// "多数单元格是模型的填补值而非观测值: 请结合 filled 列解读分组.\n"
inline constexpr std::string_view most_filled_zh =
    "\xB6\xE0\xCA\xFD\xB5\xA5\xD4\xAA\xB8\xF1\xCA\xC7\xC4\xA3\xD0\xCD\xB5\xC4\xCC\xEE"
    "\xB2\xB9\xD6\xB5\xB6\xF8\xB7\xC7\xB9\xDB\xB2\xE2\xD6\xB5: \xC7\xEB\xBD\xE1\xBA\xCF "
    "filled \xC1\xD0\xBD\xE2\xB6\xC1\xB7\xD6\xD7\xE9.\n";
inline constexpr std::string_view ward_not_euclidean_en =
    "Ward's method assumes Euclidean distances; with --fill none and missing cells they are "
    "not.\n";
// "Ward 法假定距离为欧氏距离; 使用 --fill none 且有缺失单元格时并非如此.\n"
inline constexpr std::string_view ward_not_euclidean_zh =
    "Ward \xB7\xA8\xBC\xD9\xB6\xA8\xBE\xE0\xC0\xEB\xCE\xAA\xC5\xB7\xCA\xCF\xBE\xE0\xC0"
    "\xEB; \xCA\xB9\xD3\xC3 --fill none \xC7\xD2\xD3\xD0\xC8\xB1\xCA\xA7\xB5\xA5\xD4\xAA"
    "\xB8\xF1\xCA\xB1\xB2\xA2\xB7\xC7\xC8\xE7\xB4\xCB.\n";
inline constexpr std::string_view capped_before_en =
    "--groups {} is more than the {} {} clustered in ";
inline constexpr std::string_view capped_after_en = ": each is a group of its own.\n";
// "--groups {} 多于 ", " 中聚类的 {} 个{}: 每个{}自成一组.\n"
inline constexpr std::string_view capped_before_zh = "--groups {} \xB6\xE0\xD3\xDA ";
inline constexpr std::string_view capped_after_zh =
    " \xD6\xD0\xBE\xDB\xC0\xE0\xB5\xC4 {} \xB8\xF6{}: \xC3\xBF\xB8\xF6{}\xD7\xD4\xB3\xC9"
    "\xD2\xBB\xD7\xE9.\n";
inline constexpr std::string_view no_tree_before_en = "No tree for ";
inline constexpr std::string_view no_tree_middle_en =
    ": fewer than two {} have values in {} rows or more that they share; ";
inline constexpr std::string_view no_tree_after_en = " says why for each.\n";
inline constexpr std::string_view no_tree_linked_middle_en =
    ": fewer than two {} with values in {} rows or more are linked through shared rows; ";
// " 没有聚类树: 在不少于 {} 行中有值且通过共同的行相连的{}不足两个; 各{}的原因见 "
inline constexpr std::string_view no_tree_linked_middle_zh =
    " \xC3\xBB\xD3\xD0\xBE\xDB\xC0\xE0\xCA\xF7: \xD4\xDA\xB2\xBB\xC9\xD9\xD3\xDA {} \xD0"
    "\xD0\xD6\xD0\xD3\xD0\xD6\xB5\xC7\xD2\xCD\xA8\xB9\xFD\xB9\xB2\xCD\xAC\xB5\xC4\xD0\xD0"
    "\xCF\xE0\xC1\xAC\xB5\xC4{}\xB2\xBB\xD7\xE3\xC1\xBD\xB8\xF6; \xB8\xF7{}\xB5\xC4\xD4\xAD"
    "\xD2\xF2\xBC\xFB ";
// "", " 没有聚类树: 共同有值的行数不少于 {} 的{}不足两个; 各{}的原因见 ", ".\n"
inline constexpr std::string_view no_tree_middle_zh =
    " \xC3\xBB\xD3\xD0\xBE\xDB\xC0\xE0\xCA\xF7: \xB9\xB2\xCD\xAC\xD3\xD0\xD6\xB5\xB5\xC4"
    "\xD0\xD0\xCA\xFD\xB2\xBB\xC9\xD9\xD3\xDA {} \xB5\xC4{}\xB2\xBB\xD7\xE3\xC1\xBD\xB8\xF6; "
    "\xB8\xF7{}\xB5\xC4\xD4\xAD\xD2\xF2\xBC\xFB ";
inline constexpr std::string_view no_tree_after_zh = ".\n";
// The same line's end when an earlier run's tree files of the trait were
// removed with the commit: its names joined by "and".
inline constexpr std::string_view older_tree_before_en = " says why for each, and the older ";
inline constexpr std::string_view older_tree_and_en = " and ";
inline constexpr auto older_tree_after_en =
    std::to_array<std::string_view>({" was removed.\n", " were removed.\n"});
// "; 以前运行留下的 ", " 和 ", " 已删除.\n"
inline constexpr std::string_view older_tree_before_zh =
    "; \xD2\xD4\xC7\xB0\xD4\xCB\xD0\xD0\xC1\xF4\xCF\xC2\xB5\xC4 ";
inline constexpr std::string_view older_tree_and_zh = " \xBA\xCD ";
inline constexpr std::string_view older_tree_after_zh = " \xD2\xD1\xC9\xBE\xB3\xFD.\n";

inline constexpr std::string_view version_line = "clustmat {}\n";

// Answers clustmat --help; English only, like every text without a Chinese form.
inline constexpr std::string_view usage =
    "Usage: clustmat [c|C] [--columns V,Y,L,B,T[,T2...]] [--cells last|mean]\n"
    "                [--decimal comma|point] [--skip N] [--layout 1|2|3]\n"
    "                [--output FILE] [--threads N]\n"
    "                [--tree [--method M] [--groups K | --mojena K]\n"
    "                [--min-rows K] [--fill additive|none] [--centre] [--scale]]\n"
    "                [--] [DATA_FILE]\n"
    "       clustmat --help | -h | --version\n"
    "\n"
    "Turns the data of a multi-environment crop trial (variety, year, location and\n"
    "block, and one trait value per record) into a tab-separated cluster matrix file.\n"
    "What the command line leaves open is asked in a short console dialogue.\n"
    "\n"
    "  c, C            Chinese console texts (GBK bytes; shown as UTF-8 characters on\n"
    "                  a UTF-8 terminal)\n"
    "  DATA_FILE       the data file: the name prompt is skipped, and a file that\n"
    "                  does not exist ends the run (no template is offered); the\n"
    "                  run is quiet, and an error ends with its message alone\n"
    "  --columns V,Y,L,B,T[,T2...]\n"
    "                  read the data file as a table whose first line names its\n"
    "                  columns, and take these: variety, year, location, block and\n"
    "                  one trait or more, each by its name or its number from 1\n"
    "                  (--columns gen,year,loc,rep,yield or --columns 3,1,2,4,6);\n"
    "                  with several traits, one read gives a matrix a trait, named\n"
    "                  after it (wheat.yield.DIS, wheat.plant_height.DIS), all\n"
    "                  put in place together; the four design columns alone\n"
    "                  (--columns gen,year,loc,rep) take every other column of\n"
    "                  numbers as a trait\n"
    "  --cells last|mean\n"
    "                  a cell of the matrix holds the last of its values in the file\n"
    "                  (a classic file's default), or their mean over the blocks (a\n"
    "                  table's default)\n"
    "  --decimal comma|point\n"
    "                  the trait values' decimal mark: a point (the default), or a\n"
    "                  comma (7,80), the default for a CSV file separated by\n"
    "                  semicolons\n"
    "  --skip N        pass over the first N lines (a title, notes) of the data file\n"
    "  --layout 1|2|3  the columns of the matrix: 1 varieties, 2 years, 3 locations;\n"
    "                  the menu is skipped\n"
    "  --output FILE   the matrix file, instead of the data file's name with its last\n"
    "                  four characters replaced by .DIS; with several traits, the\n"
    "                  stem of their names (--output res/wheat: res/wheat.yield.DIS);\n"
    "                  a folder (res/, or res when it exists) takes the files under\n"
    "                  the data file's stem (res/trial.DIS)\n"
    "  --threads N     share the work among N threads (the tree's distances); the\n"
    "                  default is every hardware thread of the machine, 1 does it\n"
    "                  all on one; every file is the same whatever N\n"
    "  --tree          cluster the matrix's columns (varieties, years or locations)\n"
    "                  over its rows, and write beside each matrix the group table\n"
    "                  (.groups.tsv: each level's group, or . and why it was left\n"
    "                  out), the tree (.tree.nwk, Newick) and its picture\n"
    "                  (.tree.svg, a dendrogram for any browser)\n"
    "  --method ward|average|complete|single\n"
    "                  how clusters join: Ward's method (the default, as R's\n"
    "                  ward.D2), or average, complete or single linkage\n"
    "  --groups K      cut the tree into K groups, instead of by Mojena's rule\n"
    "  --mojena K      Mojena's rule with k = K (a number above 0; 1.25)\n"
    "  --min-rows K    a level takes part with values in K rows or more (2), and\n"
    "                  with --fill none only where it shares K rows with every\n"
    "                  other level\n"
    "  --fill additive|none\n"
    "                  fill the empty cells with the additive model's least-squares\n"
    "                  fit (row + level effects; the default), clustering the\n"
    "                  largest set of levels linked through shared rows, or leave\n"
    "                  them empty, comparing levels over their shared rows\n"
    "  --centre        take each level's own mean from its values: cluster by\n"
    "                  pattern, not by level\n"
    "  --scale         centre and divide by each level's standard deviation:\n"
    "                  cluster by correlation\n"
    "  --              ends the options, for a data file whose name starts with -\n"
    "  -h, --help      show this help and exit\n"
    "  --version       show the version and exit\n"
    "Each option may also be written as --name=value.\n"
    "\n"
    "A classic design file has five header names, then records of five fields:\n"
    "variety, year, location and block codes (whole numbers from 1) and the trait\n"
    "value. A table (a CSV file, or any file read with --columns) has a header line\n"
    "(titles above it are refused with the --skip that passes over them) and one\n"
    "record per line; its levels are the values as written (0012 and 12 are two):\n"
    "numbers in order, names in the order they first appear. A CSV file of five\n"
    "columns needs no --columns: named gen, year, loc, rep and the like, they are\n"
    "read by their names, else in the order above. A table's trait value is a\n"
    "number in full, 0 included, or missing: empty, NA, N/A, NaN, #N/A, ., - or *;\n"
    "anything else is refused. UTF-8, GBK and UTF-16 with its mark are read.\n"
    "\n"
    "The dialogue asks, each answer ended by Enter:\n"
    "  1. the data file's name (blanks after it and quotes around it are dropped);\n"
    "  2. only when there is no such file: y to create a design template under that\n"
    "     name, then the numbers of varieties, years, locations and blocks;\n"
    "  3. the layout: 1, 2 or 3 for varieties, years or locations as the columns.\n"
    "From a script: clustmat --layout 1 trial.dat, or\n"
    "               printf 'trial.dat\\n1\\n' | clustmat\n"
    "Several traits and their trees:\n"
    "   clustmat --columns gen,year,loc,rep,yield,height --tree --layout 1 t.csv\n"
    "\n"
    "The files of a run replace older ones only once all are complete, and a\n"
    "signal that comes while they take their names (Ctrl-C, kill) waits until all\n"
    "have. Their names and sizes are reported on standard error at the end.\n"
    "\n"
    "Exit status: 0 the files were written; 1 the run ended on an error (the message\n"
    "says which); 2 the command line is wrong; 255 (-1 on Windows) a file could not\n"
    "be written in full, or not every file could take its name.\n"
    "\n"
    "The manual: man clustmat\n";

// The command line
inline constexpr std::string_view usage_error = "clustmat: {}. Try clustmat --help.\n";
inline constexpr std::string_view unknown_option = "unknown option {}";
inline constexpr std::string_view option_needs_value = "the option {} needs a value";
inline constexpr std::string_view bad_layout_option = "--layout takes 1, 2 or 3, not {}";
inline constexpr std::string_view bad_cells_option = "--cells takes last or mean, not {}";
inline constexpr std::string_view bad_decimal_option = "--decimal takes comma or point, not {}";
inline constexpr std::string_view bad_skip_option =
    "--skip takes a number of lines from 0 to 2147483647, not {}";
inline constexpr std::string_view option_twice = "the option {} is given twice";
inline constexpr std::string_view bad_method_option =
    "--method takes ward, average, complete or single, not {}";
inline constexpr std::string_view bad_groups_option =
    "--groups takes a number of groups from 1 to 2147483647, not {}";
inline constexpr std::string_view bad_min_rows_option =
    "--min-rows takes a number of rows from 1 to 2147483647, not {}";
inline constexpr std::string_view bad_threads_option =
    "--threads takes a number of threads from 1 to 2147483647, not {}";
inline constexpr std::string_view option_needs_tree = "the option {} is for --tree, not given";
inline constexpr std::string_view bad_fill_option = "--fill takes additive or none, not {}";
inline constexpr std::string_view bad_mojena_option = "--mojena takes a number above 0, not {}";
inline constexpr std::string_view mojena_with_groups =
    "--mojena sets Mojena's rule, which --groups replaces: give one of them";
inline constexpr std::string_view bad_columns_option =
    "--columns takes four or more column names or numbers separated by commas, not {}";
inline constexpr std::string_view second_data_file = "a second data file {} after {}";
inline constexpr std::string_view cant_open_data_file = "\nCan't open the data file {}: {}";

} // namespace texts

// How a run ends. A matrix file that could not be written in full is -1, as
// the close of a stream reports it (255 in a POSIX shell).
enum ExitStatus : int {
    exit_written = 0,    // the matrix file is in place
    exit_refused = 1,    // fatal_exit: the message says why
    exit_usage = 2,      // the command line is wrong; nothing was read or written
    exit_unwritten = -1, // the matrix file could not be written in full
};

// A file name or a token as a message shows it, in double quotes: control
// bytes (a NUL, the start of a terminal's escape sequence) written as \xNN,
// so that a damaged file can neither garble nor drive the console, and cut
// after `shown` bytes with "..." when it is longer.
std::string quoted(std::string_view text, std::size_t shown = SIZE_MAX);

// The same without the quotes, where a text's place in a message is fixed
// (a trait's name before its count of values).
std::string escaped(std::string_view text, std::size_t shown = SIZE_MAX);

// How much of a token from a data file or an answer a message shows.
inline constexpr std::size_t token_shown = 40;

// A token of the data file as a message shows it: quoted() of its text,
// cut after token_shown bytes.
std::string quoted_token(std::string_view token);

// A message: `pattern` with each "{}" replaced by the next of `values`.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

// A number as a message shows it.
std::string decimal(std::int64_t number);

// A number and its English word: "1 record", "2 records".
std::string counted(std::int64_t number, const std::array<std::string_view, 2>& words);

// The current language's form of a text that exists in both.
inline std::string_view in_language(std::string_view english, std::string_view chinese) {
    return chinese_mode == 1 ? chinese : english;
}

// Writes a text, names in it as they are held (platform/platform.h); texts
// may hold bytes that printf would take as directives, so none goes through
// a format string.
void put_text(std::FILE* stream, std::string_view text);

// Writes the current language's form of a text that exists in both; a
// Chinese text is shown so that the console can read it.
void put_in_language(std::FILE* stream, std::string_view english, std::string_view chinese);

// Writes the title block and the current language's reading hints to stderr.
void print_banner();

// Makes every end of the run, a normal return from main or fatal_exit, keep
// a console window that was opened for this run alone until Enter is
// pressed. Called first thing in main: handlers registered later (the
// removal of an unfinished file) then run before the wait.
void hold_console_at_exit();

// What the run needs memory for at the moment ("for the cube of 1000 cells"),
// for the message should it run out; kept without allocating, since it is
// read when no memory is left.
void set_memory_use(std::string_view what);

// From here on, an allocation that fails (new, the standard containers)
// ends the run through fatal_exit, saying that memory ran out and what for,
// instead of aborting: the unfinished files are removed as on any error.
void end_on_running_out_of_memory();

// Writes message, a line end and (but in a scripted run) the three closing
// lines of the current language to stderr, then ends the run with
// exit_refused through the normal exit so that every open stream, a freshly
// written template included, is flushed.
[[noreturn]] void fatal_exit(std::string_view message);

// The same with a message in both languages: the current language's form.
[[noreturn]] void fatal_exit(std::string_view english, std::string_view chinese);
