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
#include <span>
#include <string>
#include <string_view>

#include "texts/message.h"

// The data file was named on the command line: a script runs, and an error
// ends with its own message, without the dialogue's closing lines. Set once
// at start-up; process-wide, since fatal_exit reads it.
extern bool scripted_run;

namespace texts {

// The catalogue: each message once, its English and its Chinese side by side
// (texts/message.h says how they are filled and written). The Chinese goes
// out as GBK bytes: old consoles in the breeding stations show them as they
// are, and pipes and files get them unchanged; put_gbk_text converts them
// only for a terminal that shows another character set. After changing a
// Chinese text, run texts/make_gbk_table.sh.

inline constexpr Message name_prompt{"\n Input Name of Your Data File:  ",
                                     "\n 请输入数据文件名:  "};

inline constexpr Message opened_notice = "\n File has been oppened ! \n";

inline constexpr Message create_question{"\n File can't be oppened! \n Creat a new one? Y/N  ",
                                         "\n 数据文件不存在! \n  是否要新建数据文件? 是Y/否N  "};

inline constexpr Message refusal = "\nExit this program and input correct file name again.\n";

inline constexpr auto template_prompts = std::to_array<Message>({
    "\n Input Numbers for Variety.  ",
    "\n Input Number for Year.  ",
    "\n Input Numbers for Location.  ",
    "\n Input Number for Blocks.  ",
});

inline constexpr Message f3tensor_failure[] = {
    "allocation failure 1 in f3tensor()",
    "allocation failure 2 in f3tensor()",
    "allocation failure 3 in f3tensor()",
};
inline constexpr Message analysis_menu =
    "\n\n Which Variable (Column 1, 2, or 3) Do You Want to Analyze? \n"
    " Input 1 for Variety, and Year * Location \n"
    " Input 2 for Year, and Variety * Location \n"
    " Input 3 for Location, and Variety * Year\n";

inline constexpr Message bad_choice_notice = "NO SUCH case!";
inline constexpr Message bad_choice = "No such case. exit program.";
inline constexpr Message output_open_failure = "Can't Open Mat File. Quit Analysis! ";

inline constexpr auto closing = std::to_array<Message>({
    {"\n You Data Is Too Big for Runing in DOS System.\n",
     "\n您的数据太大了, 无法在DOS系统中分析!\n"},
    {"\n You Should Analyze the Data in UNIX System.\n", "\n您需要在UNIX系统中运行统计分析软件!\n"},
    {"...Now Exiting to System...\n", "...无法执行软件. 退回DOS系统...\n"},
});

// The closing notice of a run whose matrix file is in place: the name is
// written as typed, never converted like the Chinese text around it.
inline constexpr Message matrix_written{
    "\n Matrix file {file}{trait} written: {rows} rows, {columns} columns.\n",
    "\n 聚类矩阵已写入 {file}{trait}: {rows} 行, {columns} 列.\n"};

inline constexpr Message hold_prompt{"\n\n Press Enter to close this window. ",
                                     "\n\n 按回车键关闭窗口. "};

inline constexpr Message banner_title =
    "\n  clustmat: cluster matrices from multi-environment crop trials\n"
    "  ------------------------------------------------------------\n";

inline constexpr Message banner{
    "\n  Input your file for reading mating design and trait data."
    "\n  File should include five design columns and otheir trait columns:"
    "\n (1)Variety, (2)Year, (3)Location,  (4)Block.\n\n\n",
    "\n  请输入您的数据文件名.\n  文件应包括试验设计以及分析性状的数据."
    "\n  试验设计的四列是:(1)品种, (2)年份, (3)试点, (4)区组.\n\n\n"};

// ---- The program's own messages. A file name or a token is always filled
// in through quoted().

inline constexpr Message name_too_long{
    "\nThe file name is longer than {length} {unit}, the longest this system takes. Rename or "
    "move the file so that its name is shorter.",
    "\n文件名超过 {length} {unit}, 系统不接受这样长的文件名. 请重命名或移动文件, 使文件名短一些."};
// The unit of the limit.
inline constexpr auto name_units =
    std::to_array<Message>({{"bytes", "字节"}, {"characters", "个字符"}});
inline constexpr Message not_a_data_file = "\n{file} is a device, pipe or socket, not a data file.";
inline constexpr Message cant_read_data_file = "Can't read the data file {file}: {reason}";
inline constexpr Message out_of_memory_reading = "Not enough memory to read the data file.";

// The template
inline constexpr auto size_names =
    std::to_array<Message>({"varieties", "years", "locations", "blocks"});
inline constexpr Message size_not_given =
    "\nThe number of {size} was not given: the input ended. No template was written.";
inline constexpr Message size_not_whole = "\nThe number of {size} must be a whole number from "
                                          "-2147483648 to 2147483647, not {answer}. No "
                                          "template was written.";
inline constexpr Message template_too_large =
    "\nA template of {varieties} x {years} x {locations} x {blocks} records is too large: at most "
    "2147483647 records are "
    "possible. No template was written.";
inline constexpr Message template_needs_name =
    "\nA template needs a name: type the name of the new data file at the prompt. No template "
    "was written.";
inline constexpr Message cant_create_data_file = "\nCan't create the data file {file}: {reason}";
inline constexpr Message template_write_failed =
    "\nCan't write the template into {file}: {reason}. The unfinished file has been removed.";

// The loader
inline constexpr auto field_names = std::to_array<Message>(
    {"variety code", "year code", "location code", "block code", "trait value"});
inline constexpr Message record_fault = "Record {record} of {file}: {fault}";
// Where the record is not on the line of its number: a title, notes or a
// record split over lines above it.
inline constexpr Message record_line_fault = "Record {record} (line {line}) of {file}: {fault}";
inline constexpr Message record_incomplete =
    "the record is incomplete: the file ends before its {field}.";
inline constexpr Message field_not_whole = "the {field} {token} is not a whole number.";
inline constexpr Message field_too_large = "the {field} {token} is too large.";
inline constexpr Message code_below_one =
    "the {field} {token} is below 1; codes are numbered from 1.";
inline constexpr Message trait_beyond_float =
    "{subject} {token} is too large for single precision (its largest number is "
    "3.40282347e+38).";
inline constexpr Message field_overlong = "the {field} {token} is longer than {bytes} bytes; the "
                                          "file is damaged or is not a design data file.";
inline constexpr Message table_field_overlong =
    "the {field} {token} is longer than {bytes} bytes; the file is damaged or is not a table.";
inline constexpr Message header_overlong =
    "The header of {file}: the column name {column} is longer than {bytes} bytes; the file is "
    "damaged or is not "
    "a design data file.";
inline constexpr Message no_record = "{file} holds no complete record after its five header names.";
inline constexpr Message data_file_empty = "{file} is empty: it holds no header and no record.";
inline constexpr Message data_file_blank =
    "{file} holds nothing but blank lines: no header and no record.";
inline constexpr Message data_file_only_mark = "{file} holds nothing but the byte-order mark that "
                                               "starts Unicode text: no header and no record.";
inline constexpr Message file_changed =
    "{file} changed while it was being read. Run the analysis again once the file is complete.";
inline constexpr Message codes_as_names =
    "\nTo read codes that are names (G112, Yolo2), name the file's columns with --columns (see "
    "clustmat --help).";
// A trait field that is not a number: the subject names the field.
inline constexpr Message not_a_number_point = "{subject} {token} is not a number.";
inline constexpr Message not_a_number_comma =
    "{subject} {token} is not a number with a decimal comma.";
inline constexpr auto mark_names = std::to_array<Message>({"point", "comma"});
inline constexpr Message reading_first = " It reads as ";
inline constexpr Message reading_next = ", or as ";
inline constexpr Message decimal_reading =
    "{number} with a decimal {mark} (run clustmat with --decimal {mark})";
inline constexpr Message thousands_reading =
    "{number} with a {separator} between thousands (save the file without thousands separators)";
inline constexpr Message thousands_and_decimal_reading =
    "{number} with a decimal {mark} and a {separator} between thousands (save the file without "
    "thousands "
    "separators and run clustmat with --decimal {mark})";
inline constexpr Message trait_subject = "the trait value";
inline constexpr Message trait_column_subject = "the trait value (column {column})";
inline constexpr Message no_memory_for_means = "Not enough memory for the means of the cells.";
// When memory runs out: what it was needed for.
inline constexpr Message out_of_memory =
    "Not enough memory {use}: the trial is too large for this machine's memory.";
inline constexpr Message memory_to_start = "to start";
inline constexpr Message memory_for_reading = "to read the data file";
inline constexpr Message memory_for_levels = "for the levels of the columns {columns}";
inline constexpr Message memory_for_cube = "for the cube of {cells} cells";
inline constexpr Message memory_for_sparse_cube =
    "for the cells of the cube that occur, up to {cells} (about {megabytes} MB)";
inline constexpr Message memory_for_matrix = "to write the matrix file";
inline constexpr Message memory_for_distances = "for the distances of {levels} levels";
inline constexpr Message memory_for_tree_values =
    "for the values of {levels} levels in {rows} rows to cluster";

// The loader, on table files
inline constexpr auto factor_names =
    std::to_array<Message>({"variety", "year", "location", "block"});
inline constexpr Message line_fault = "Line {line} of {file}: {fault}";
inline constexpr Message line_overlong =
    "the line is longer than {bytes} bytes; the file is damaged or is not a table.";
inline constexpr Message lone_surrogate =
    "half of a UTF-16 character stands alone on the line (an unpaired surrogate), which no text "
    "can hold: the file is damaged. Save it again as Unicode text or UTF-8.";
inline constexpr Message open_quote =
    "a field in double quotes has no closing quote before the end of the line, or text follows "
    "its closing quote.";
inline constexpr Message fields_not_header =
    "the record has {fields} {fields?field|fields}, but the header names {named} "
    "{named?column|columns}: every record must have {named}, or one more when "
    "records begin with a row name or end with a separator.";
inline constexpr Message text_past_end_mark = "{file} holds an end-of-file mark (Ctrl-Z) after "
                                              "line {line} and more text after it, which would go "
                                              "unread: remove the mark, or the text after it.";
inline constexpr Message row_name_repeats =
    "the row name {name} is given to an earlier row too. A record with one field more than the "
    "header names begins with its row's name, as R writes them, and no two rows share one; "
    "where a number's decimal comma splits it in two, save the file with semicolons between "
    "fields.";
inline constexpr Message decimal_comma_split =
    "the record has {fields} {fields?field|fields}, one more than the header names, as every "
    "record has; its fields {first} and "
    "{second}, joined by a comma, read as {number}, a number with a decimal comma, and so do those "
    "of every "
    "record. Save the file with semicolons between fields, or with its values in double quotes.";
inline constexpr Message fields_not_records =
    "the record has {fields} {fields?field|fields}, but the records before it have {before}.";
inline constexpr auto field_words = std::to_array<Message>({"field", "fields"});
inline constexpr auto column_words = std::to_array<Message>({"column", "columns"});
inline constexpr Message level_missing = "the {factor} (column {column}) is missing: {token}. "
                                         "Every record needs its variety, year, location and "
                                         "block.";
inline constexpr Message level_unwritable = "the {factor} (column {column}) {token} holds a tab, a "
                                            "double quote or another control character, which the "
                                            "matrix file can't show in a label.";
inline constexpr Message no_table_record = "{file} holds no record after its header line.";
inline constexpr Message column_fault =
    "{file}: {fault} Its {columns} {columns?column|columns}: {names}.";
inline constexpr Message no_column_number = "there is no column {column}.";
inline constexpr Message no_column_named = "no column is named {column}.";
inline constexpr Message columns_named = "several columns are named {column}.";
inline constexpr Message column_twice = "the column {column} is given twice.";
inline constexpr Message no_trait_column =
    "no column but the four named holds numbers in its first records; name the trait too: "
    "--columns V,Y,L,B,T.";
inline constexpr Message header_too_short =
    "the header names {columns} {columns?column|columns}, but a table needs five: the variety, "
    "year, location, block and trait "
    "value.";
inline constexpr Message too_many_columns =
    "{file} has {columns} columns; name the five to analyse with --columns: {command}";
inline constexpr Message header_below = "Line {line} of {file} names the columns; the lines above "
                                        "it are not part of the table. To read it: "
                                        "{command}";
inline constexpr Message header_open_quote = "Line {line} of {file}, its header: a field in double "
                                             "quotes has no closing quote before the end of "
                                             "the line, or text follows its closing quote.";
inline constexpr Message unicode_without_mark =
    "{file} is saved as Unicode text without a mark: save it as UTF-8 (CSV UTF-8) or tab-delimited "
    "text.";
inline constexpr Message nothing_after_skip =
    "{file} holds nothing to read after the {lines} {lines?line|lines} that --skip names.";
inline constexpr auto line_words = std::to_array<Message>({"line", "lines"});
// After a command that reads a file: what its V,Y,L,B,T or TRAIT stand for.
inline constexpr Message command_roles =
    " (V,Y,L,B,T: the variety, year, location, block and trait value, each a column's name or "
    "number; its columns are {columns})";
inline constexpr Message command_trait = " (TRAIT: the trait to analyse, a column's name or "
                                         "number; its columns of numbers are {columns})";
// Where a classic file is refused: how to read it as a table instead.
inline constexpr Message as_table_hint = "\nTo read it as a table: {command}";
inline constexpr Message header_below_hint =
    "\nLine {line} names the columns of a table; to read it so: {command}";
inline constexpr Message too_many_levels =
    "A column of the data file has more than 2147483647 different values.";

// The lines that account for a table's load, on stderr after it. English
// counts its words; Chinese takes the numbers alone.
inline constexpr Message account_read{
    "Read {records} {records?record|records}; {varieties} {varieties?variety|varieties}, {years} "
    "{years?year|years}, {locations} {locations?location|locations}{repeated}{row_names}{plots}.\n",
    "读取 {records} 条记录; {varieties} 个品种, {years} 个年份, {locations} 个试点"
    "{repeated}{row_names}{plots}.\n"};
inline constexpr Message account_repeated{"; {headers} repeated {headers?header|headers} skipped",
                                          "; 跳过 {headers} 个重复的表头"};
inline constexpr Message account_row_names{
    "; the first column, which the header does not name, read as row names",
    "; 表头未命名的第一列作为行名读取"};
// Records whose variety, year, location and block an earlier record has.
inline constexpr Message account_plots{
    "; {plots} {plots?record repeats|records repeat} an earlier plot",
    "; {plots} 条记录与之前的小区重复"};
// The traits found, not named (a name list), after the first line.
inline constexpr Message account_traits{"Traits: {traits}.\n", "性状: {traits}.\n"};
// A trait's line: its name, then its values, the cells they made and how.
inline constexpr Message account_trait{
    "{trait}: {values} {values?value|values} in {cells} {cells?cell|cells} ({how}), {missing} "
    "missing{zeros}.\n",
    "{trait}: {values} 个数值, 在 {cells} 个单元格中 ({how}), {missing} 个缺失{zeros}.\n"};
inline constexpr Message cells_means{"block means", "区组平均值"};
inline constexpr Message cells_last{"the last value of each", "每格取最后一个值"};
inline constexpr Message cells_unused{"the last value of each; {unused} not used",
                                      "每格取最后一个值; {unused} 个未用"};
inline constexpr Message account_zeros{", {zeros} {zeros?zero|zeros}", ", {zeros} 个零值"};

// The matrix file
inline constexpr Message matrix_held =
    "\nThe matrix file {file} is open in another program (a spreadsheet, perhaps). Close it there, "
    "then run clustmat again. Nothing was written.";
// Why a matrix file can't be opened, on the line after output_open_failure.
inline constexpr Message matrix_read_only_posix =
    "{file} is read-only. If it may be replaced, make it writable (chmod u+w {name}) and run "
    "again.";
inline constexpr Message matrix_read_only_windows =
    "{file} is read-only. If it may be replaced, clear Read-only in its Properties (or attrib -r "
    "{name}) "
    "and run again.";
inline constexpr Message matrix_is_folder =
    "{file} is a folder. Move it away, or name the matrix file with --output.";
inline constexpr Message matrix_folder_unwritable =
    "The folder of {file} can't be written. Run clustmat where you may write, or name the matrix "
    "file with --output.";
inline constexpr Message matrix_cannot_create = "{file}: {reason}.";
// Why the final replacement failed, in the parentheses of matrix_not_written.
inline constexpr Message matrix_held_meanwhile =
    "another program opened it during the run; close it there and run again";
inline constexpr Message matrix_read_only_meanwhile = "it was made read-only during the run";
inline constexpr Message would_replace_data =
    "\nThe matrix file {file} would replace the data file {data_file}. Rename the data file so "
    "that it does "
    "not end in .DIS.";
inline constexpr Message output_is_data =
    "\nThe matrix file {file} would replace the data file {data_file}. Choose another --output.";
inline constexpr Message companion_is_data =
    "\nThe file {file} would replace the data file {data_file}. Choose another --output, or rename "
    "the data "
    "file.";
// The set of files of a run of several traits, or with a tree.
inline constexpr Message files_not_written = "\nThe file {file} could not be written in full "
                                             "({reason}). The unfinished copies have been removed; "
                                             "{files} are as they were before the run.\n";
inline constexpr Message files_partly_replaced =
    "\nNot every file could be replaced. Replaced: {replaced}. Not replaced, as they were before "
    "the run "
    "({failed} failed: {reason}): {unreplaced}.\n";
// A file of the run whose name the system would refuse for its length: its
// name in its folder, or the whole name with the folders.
inline constexpr Message name_proper_too_long =
    "\nThe file name {file} is too long: this system takes at most {length} {unit} for a name in a "
    "folder. "
    "Choose a shorter name for the data file, the trait's column or --output. Nothing was "
    "written.";
inline constexpr Message whole_name_too_long =
    "\nThe file name {file} is too long: this system takes at most {length} {unit} for a name with "
    "its "
    "folders. Choose a shorter name, or a folder nearer the top. Nothing was written.";
// Two traits whose files would have one name; each column as "5 \"a\"".
inline constexpr Message files_one_name = "\nThe columns {column} and {other} would both be "
                                          "written to {file}. Rename one of them, or leave one out "
                                          "of --columns. Nothing was written.";
inline constexpr Message files_one_name_case =
    "\nThe columns {column} and {other} would be written to {file} and {other_file}, which Windows "
    "and macOS take for one "
    "file. Rename one of them, or leave one out of --columns. Nothing was written.";
inline constexpr Message numbered_column = "{number} {name}";
// A matrix of several, after its name: its trait's column.
inline constexpr Message matrix_trait = " ({trait})";
inline constexpr Message matrix_not_written = "\nThe matrix file {file} could not be written in "
                                              "full ({reason}). Its unfinished copy has been "
                                              "removed; {file} is as it was before the run.\n";

// The tree. A file or matrix name in a tree's lines goes out as names are
// held (as_name), never converted like the Chinese around it.
inline constexpr Message no_tree_at_all{
    "No tree can be grown: in no matrix do two {leaves} have values in {min_rows} rows or more "
    "that they share. Nothing was written.",
    "聚类树无法生成: 任何矩阵中都没有两个{leaves}在不少于 {min_rows} 行中共同有值. "
    "未写入任何文件."};
// The same with a fill, where levels need only be linked.
inline constexpr Message no_tree_linked{
    "No tree can be grown: in no matrix are two {leaves} with values in {min_rows} rows or more "
    "linked through shared rows. Nothing was written.",
    "聚类树无法生成: 任何矩阵中都没有两个在不少于 {min_rows} 行中有值的{leaves}通过共同的行相连. "
    "未写入任何文件."};
inline constexpr auto leaves =
    std::to_array<Message>({{"varieties", "品种"}, {"years", "年份"}, {"locations", "试点"}});
inline constexpr Message tree_line{
    "Tree {matrix}: {clustered} {leaves} in {groups} {groups?group|groups} ({rule}){left_out}; "
    "{cells}; cophenetic correlation {cophenetic}.\n",
    "聚类树 {matrix}: {clustered} 个{leaves}分为 {groups} 组 ({rule}){left_out}; {cells}; "
    "共表型相关系数 {cophenetic}.\n"};
inline constexpr Message mojena_rule = "Mojena, k = {k}";
inline constexpr Message groups_rule = "--groups {groups}";
inline constexpr Message tree_left_out{", {left_out} left out", ", {left_out} 个未参与聚类"};
inline constexpr Message cells_filled{"{filled} of {cells} cells filled ({fill})",
                                      "{cells} 个单元格中 {filled} 个已填补 ({fill})"};
inline constexpr Message no_cell_filled{"no cell filled", "没有填补单元格"};
inline constexpr Message most_filled{
    "Most cells are the model's, not observed: read the groups with the filled column.\n",
    "多数单元格是模型的填补值而非观测值: 请结合 filled 列解读分组.\n"};
inline constexpr Message ward_not_euclidean{
    "Ward's method assumes Euclidean distances; with --fill none and missing cells they are "
    "not.\n",
    "Ward 法假定距离为欧氏距离; 使用 --fill none 且有缺失单元格时并非如此.\n"};
inline constexpr Message groups_capped{
    "--groups {groups} is more than the {clustered} {leaves} clustered in {matrix}: each is a "
    "group of its own.\n",
    "--groups {groups} 多于 {matrix} 中聚类的 {clustered} 个{leaves}: 每个{leaves}自成一组.\n"};
inline constexpr Message no_tree{
    "No tree for {matrix}: fewer than two {leaves} have values in {min_rows} rows or more that "
    "they share; {groups_file} says why for each",
    "{matrix} 没有聚类树: 共同有值的行数不少于 {min_rows} 的{leaves}不足两个; "
    "各{leaves}的原因见 {groups_file}"};
inline constexpr Message no_tree_linked_line{
    "No tree for {matrix}: fewer than two {leaves} with values in {min_rows} rows or more are "
    "linked through shared rows; {groups_file} says why for each",
    "{matrix} 没有聚类树: 在不少于 {min_rows} 行中有值且通过共同的行相连的{leaves}不足两个; "
    "各{leaves}的原因见 {groups_file}"};
// The end of a line without a tree, with the names of an earlier run's tree
// files that the commit removed.
inline constexpr Message no_tree_end{".\n", ".\n"};
inline constexpr Message older_tree_removed{", and the older {file} was removed.\n",
                                            "; 以前运行留下的 {file} 已删除.\n"};
inline constexpr Message older_trees_removed{", and the older {file} and {other} were removed.\n",
                                             "; 以前运行留下的 {file} 和 {other} 已删除.\n"};

inline constexpr Message version_line = "clustmat {version}\n";

// Answers clustmat --help; English only, like every text without a Chinese form.
inline constexpr Message usage =
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
    "  --threads N     share the work among N threads (the load and the tree's\n"
    "                  distances); the default is every hardware thread of the\n"
    "                  machine, 1 does it all on one; every file is the same\n"
    "                  whatever N\n"
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
inline constexpr Message usage_error = "clustmat: {error}. Try clustmat --help.\n";
inline constexpr Message unknown_option = "unknown option {option}";
inline constexpr Message option_needs_value = "the option {option} needs a value";
inline constexpr Message bad_layout_option = "--layout takes 1, 2 or 3, not {value}";
inline constexpr Message bad_cells_option = "--cells takes last or mean, not {value}";
inline constexpr Message bad_decimal_option = "--decimal takes comma or point, not {value}";
inline constexpr Message bad_skip_option =
    "--skip takes a number of lines from 0 to 2147483647, not {value}";
inline constexpr Message option_twice = "the option {option} is given twice";
inline constexpr Message bad_method_option =
    "--method takes ward, average, complete or single, not {value}";
inline constexpr Message bad_groups_option =
    "--groups takes a number of groups from 1 to 2147483647, not {value}";
inline constexpr Message bad_min_rows_option =
    "--min-rows takes a number of rows from 1 to 2147483647, not {value}";
inline constexpr Message bad_threads_option =
    "--threads takes a number of threads from 1 to 2147483647, not {value}";
inline constexpr Message option_needs_tree = "the option {option} is for --tree, not given";
inline constexpr Message bad_fill_option = "--fill takes additive or none, not {value}";
inline constexpr Message bad_mojena_option = "--mojena takes a number above 0, not {value}";
inline constexpr Message mojena_with_groups =
    "--mojena sets Mojena's rule, which --groups replaces: give one of them";
inline constexpr Message bad_columns_option =
    "--columns takes four or more column names or numbers separated by commas, not {value}";
inline constexpr Message second_data_file = "a second data file {file} after {first}";
inline constexpr Message cant_open_data_file = "\nCan't open the data file {file}: {reason}";

// Every message of the catalogue, for the checks that each is whole (the
// tests count the entries above and find each here).
constexpr std::span<const Message> one(const Message& message) {
    return {&message, 1};
}
inline constexpr auto catalogue =
    std::to_array<std::span<const Message>>({one(name_prompt),
                                             one(opened_notice),
                                             one(create_question),
                                             one(refusal),
                                             template_prompts,
                                             f3tensor_failure,
                                             one(analysis_menu),
                                             one(bad_choice_notice),
                                             one(bad_choice),
                                             one(output_open_failure),
                                             closing,
                                             one(matrix_written),
                                             one(hold_prompt),
                                             one(banner_title),
                                             one(banner),
                                             one(name_too_long),
                                             name_units,
                                             one(not_a_data_file),
                                             one(cant_read_data_file),
                                             one(out_of_memory_reading),
                                             size_names,
                                             one(size_not_given),
                                             one(size_not_whole),
                                             one(template_too_large),
                                             one(template_needs_name),
                                             one(cant_create_data_file),
                                             one(template_write_failed),
                                             field_names,
                                             one(record_fault),
                                             one(record_line_fault),
                                             one(record_incomplete),
                                             one(field_not_whole),
                                             one(field_too_large),
                                             one(code_below_one),
                                             one(trait_beyond_float),
                                             one(field_overlong),
                                             one(table_field_overlong),
                                             one(header_overlong),
                                             one(no_record),
                                             one(data_file_empty),
                                             one(data_file_blank),
                                             one(data_file_only_mark),
                                             one(file_changed),
                                             one(codes_as_names),
                                             one(not_a_number_point),
                                             one(not_a_number_comma),
                                             mark_names,
                                             one(reading_first),
                                             one(reading_next),
                                             one(decimal_reading),
                                             one(thousands_reading),
                                             one(thousands_and_decimal_reading),
                                             one(trait_subject),
                                             one(trait_column_subject),
                                             one(no_memory_for_means),
                                             one(out_of_memory),
                                             one(memory_to_start),
                                             one(memory_for_reading),
                                             one(memory_for_levels),
                                             one(memory_for_cube),
                                             one(memory_for_sparse_cube),
                                             one(memory_for_matrix),
                                             one(memory_for_distances),
                                             one(memory_for_tree_values),
                                             factor_names,
                                             one(line_fault),
                                             one(line_overlong),
                                             one(lone_surrogate),
                                             one(open_quote),
                                             one(fields_not_header),
                                             one(text_past_end_mark),
                                             one(row_name_repeats),
                                             one(decimal_comma_split),
                                             one(fields_not_records),
                                             field_words,
                                             column_words,
                                             one(level_missing),
                                             one(level_unwritable),
                                             one(no_table_record),
                                             one(column_fault),
                                             one(no_column_number),
                                             one(no_column_named),
                                             one(columns_named),
                                             one(column_twice),
                                             one(no_trait_column),
                                             one(header_too_short),
                                             one(too_many_columns),
                                             one(header_below),
                                             one(header_open_quote),
                                             one(unicode_without_mark),
                                             one(nothing_after_skip),
                                             line_words,
                                             one(command_roles),
                                             one(command_trait),
                                             one(as_table_hint),
                                             one(header_below_hint),
                                             one(too_many_levels),
                                             one(account_read),
                                             one(account_repeated),
                                             one(account_row_names),
                                             one(account_plots),
                                             one(account_traits),
                                             one(account_trait),
                                             one(cells_means),
                                             one(cells_last),
                                             one(cells_unused),
                                             one(account_zeros),
                                             one(matrix_held),
                                             one(matrix_read_only_posix),
                                             one(matrix_read_only_windows),
                                             one(matrix_is_folder),
                                             one(matrix_folder_unwritable),
                                             one(matrix_cannot_create),
                                             one(matrix_held_meanwhile),
                                             one(matrix_read_only_meanwhile),
                                             one(would_replace_data),
                                             one(output_is_data),
                                             one(companion_is_data),
                                             one(files_not_written),
                                             one(files_partly_replaced),
                                             one(name_proper_too_long),
                                             one(whole_name_too_long),
                                             one(files_one_name),
                                             one(files_one_name_case),
                                             one(numbered_column),
                                             one(matrix_trait),
                                             one(matrix_not_written),
                                             one(no_tree_at_all),
                                             one(no_tree_linked),
                                             leaves,
                                             one(tree_line),
                                             one(mojena_rule),
                                             one(groups_rule),
                                             one(tree_left_out),
                                             one(cells_filled),
                                             one(no_cell_filled),
                                             one(most_filled),
                                             one(ward_not_euclidean),
                                             one(groups_capped),
                                             one(no_tree),
                                             one(no_tree_linked_line),
                                             one(no_tree_end),
                                             one(older_tree_removed),
                                             one(older_trees_removed),
                                             one(version_line),
                                             one(usage),
                                             one(usage_error),
                                             one(unknown_option),
                                             one(option_needs_value),
                                             one(bad_layout_option),
                                             one(bad_cells_option),
                                             one(bad_decimal_option),
                                             one(bad_skip_option),
                                             one(option_twice),
                                             one(bad_method_option),
                                             one(bad_groups_option),
                                             one(bad_min_rows_option),
                                             one(bad_threads_option),
                                             one(option_needs_tree),
                                             one(bad_fill_option),
                                             one(bad_mojena_option),
                                             one(mojena_with_groups),
                                             one(bad_columns_option),
                                             one(second_data_file),
                                             one(cant_open_data_file)});

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

// A number as a message shows it.
std::string number_text(std::int64_t number);

// Writes a text, names in it as they are held (platform/platform.h); texts
// may hold bytes that printf would take as directives, so none goes through
// a format string.
void put_text(std::FILE* stream, std::string_view text);

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

// The same with a message of the catalogue, in the console's language.
[[noreturn]] void fatal_exit(const Message& message, std::initializer_list<Value> values = {});
