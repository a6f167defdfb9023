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

inline constexpr Message banner_title{
    "\n  clustmat: cluster matrices from multi-environment crop trials\n"
    "  ------------------------------------------------------------\n",
    "\n  clustmat: 多环境作物试验的聚类矩阵\n"
    "  ----------------------------------\n"};

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
inline constexpr Message not_a_data_file{"\n{file} is a device, pipe or socket, not a data file.",
                                         "\n{file} 是设备, 管道或套接字, 不是数据文件."};
inline constexpr Message cant_read_data_file{"Can't read the data file {file}: {reason}",
                                             "无法读取数据文件 {file}: {reason}"};
inline constexpr Message out_of_memory_reading{"Not enough memory to read the data file.",
                                               "内存不足, 无法读取数据文件."};

// The template
inline constexpr auto size_names = std::to_array<Message>(
    {{"varieties", "品种"}, {"years", "年份"}, {"locations", "试点"}, {"blocks", "区组"}});
inline constexpr Message size_not_given{
    "\nThe number of {size} was not given: the input ended. No template was written.",
    "\n没有输入{size}数: 输入已经结束. 未写入模板."};
inline constexpr Message size_not_whole{
    "\nThe number of {size} must be a whole number from "
    "-2147483648 to 2147483647, not {answer}. No "
    "template was written.",
    "\n{size}数必须是 -2147483648 到 2147483647 之间的整数, 不能是 {answer}. 未写入模板."};
inline constexpr Message template_too_large{
    "\nA template of {varieties} x {years} x {locations} x {blocks} records is too large: at most "
    "2147483647 records are "
    "possible. No template was written.",
    "\n{varieties} x {years} x {locations} x {blocks} 条记录的模板太大: 最多只能有 2147483647 "
    "条记录. 未写入模板."};
inline constexpr Message template_needs_name{
    "\nA template needs a name: type the name of the new data file at the prompt. No template "
    "was written.",
    "\n模板需要文件名: 请在提示处输入新数据文件的名称. 未写入模板."};
inline constexpr Message cant_create_data_file{"\nCan't create the data file {file}: {reason}",
                                               "\n无法新建数据文件 {file}: {reason}"};
inline constexpr Message template_write_failed{
    "\nCan't write the template into {file}: {reason}. The unfinished file has been removed.",
    "\n无法把模板写入 {file}: {reason}. 未写完的文件已删除."};

// The loader
inline constexpr auto field_names = std::to_array<Message>({{"variety code", "品种代码"},
                                                            {"year code", "年份代码"},
                                                            {"location code", "试点代码"},
                                                            {"block code", "区组代码"},
                                                            {"trait value", "性状值"}});
inline constexpr Message record_fault{"Record {record} of {file}: {fault}",
                                      "{file} 第 {record} 条记录: {fault}"};
// Where the record is not on the line of its number: a title, notes or a
// record split over lines above it.
inline constexpr Message record_line_fault{"Record {record} (line {line}) of {file}: {fault}",
                                           "{file} 第 {record} 条记录 (第 {line} 行): {fault}"};
inline constexpr Message record_incomplete{
    "the record is incomplete: the file ends before its {field}.",
    "记录不完整: 文件在{field}之前就结束了."};
inline constexpr Message field_not_whole{"the {field} {token} is not a whole number.",
                                         "{field} {token} 不是整数."};
inline constexpr Message field_too_large{"the {field} {token} is too large.",
                                         "{field} {token} 太大."};
inline constexpr Message code_below_one{
    "the {field} {token} is below 1; codes are numbered from 1.",
    "{field} {token} 小于 1; 代码从 1 开始编号."};
inline constexpr Message trait_beyond_float{
    "{subject} {token} is too large for single precision (its largest number is "
    "3.40282347e+38).",
    "{subject} {token} 超出单精度数的范围 (最大为 3.40282347e+38)."};
inline constexpr Message field_overlong{
    "the {field} {token} is longer than {bytes} bytes; the "
    "file is damaged or is not a design data file.",
    "{field} {token} 超过 {bytes} 字节; 文件已损坏, 或者不是试验设计数据文件."};
inline constexpr Message table_field_overlong{
    "the {field} {token} is longer than {bytes} bytes; the file is damaged or is not a table.",
    "{field} {token} 超过 {bytes} 字节; 文件已损坏, 或者不是数据表."};
inline constexpr Message header_overlong{
    "The header of {file}: the column name {column} is longer than {bytes} bytes; the file is "
    "damaged or is not "
    "a design data file.",
    "{file} 的表头: 列名 {column} 超过 {bytes} 字节; 文件已损坏, 或者不是试验设计数据文件."};
inline constexpr Message no_record{"{file} holds no complete record after its five header names.",
                                   "{file} 在五个表头名称之后没有一条完整的记录."};
inline constexpr Message data_file_empty{"{file} is empty: it holds no header and no record.",
                                         "{file} 是空文件: 既没有表头, 也没有记录."};
inline constexpr Message data_file_blank{
    "{file} holds nothing but blank lines: no header and no record.",
    "{file} 只有空行: 既没有表头, 也没有记录."};
inline constexpr Message data_file_only_mark{
    "{file} holds nothing but the byte-order mark that "
    "starts Unicode text: no header and no record.",
    "{file} 只有 Unicode 文本开头的字节顺序标记: 既没有表头, 也没有记录."};
inline constexpr Message file_changed{
    "{file} changed while it was being read. Run the analysis again once the file is complete.",
    "{file} 在读取过程中被改动了. 请等文件写完后再运行分析."};
inline constexpr Message codes_as_names{
    "\nTo read codes that are names (G112, Yolo2), name the file's columns with --columns (see "
    "clustmat --help).",
    "\n代码是名称 (如 G112, Yolo2) 时, 请用 --columns 指定文件的各列 (见 clustmat c --help)."};
// A trait field that is not a number: the subject names the field.
inline constexpr Message not_a_number_point{"{subject} {token} is not a number.",
                                            "{subject} {token} 不是数值."};
inline constexpr Message not_a_number_comma{
    "{subject} {token} is not a number with a decimal comma.",
    "{subject} {token} 不是以逗号为小数点的数值."};
inline constexpr auto mark_names = std::to_array<Message>({{"point", "点号"}, {"comma", "逗号"}});
inline constexpr Message reading_first{" It reads as ", " 它可以读作 "};
inline constexpr Message reading_next{", or as ", ", 或读作 "};
inline constexpr Message decimal_reading{
    "{number} with a decimal {mark} (run clustmat with --decimal {decimal})",
    "{number}, 以{mark}为小数点 (运行 clustmat 时加 --decimal {decimal})"};
inline constexpr Message thousands_reading{
    "{number} with a {separator} between thousands (save the file without thousands separators)",
    "{number}, 以{separator}为千位分隔符 (保存文件时不要千位分隔符)"};
inline constexpr Message thousands_and_decimal_reading{
    "{number} with a decimal {mark} and a {separator} between thousands (save the file without "
    "thousands "
    "separators and run clustmat with --decimal {decimal})",
    "{number}, 以{mark}为小数点, {separator}为千位分隔符 (保存文件时不要千位分隔符, 运行 clustmat "
    "时加 --decimal {decimal})"};
inline constexpr Message trait_subject{"the trait value", "性状值"};
inline constexpr Message trait_column_subject{"the trait value (column {column})",
                                              "性状值 (列 {column})"};
inline constexpr Message no_memory_for_means{"Not enough memory for the means of the cells.",
                                             "内存不足, 无法计算各单元格的平均值."};
// When memory runs out: what it was needed for.
inline constexpr Message out_of_memory{
    "Not enough memory {use}: the trial is too large for this machine's memory.",
    "内存不足, 无法{use}: 试验数据太大, 超出了本机的内存."};
inline constexpr Message memory_to_start{"to start", "启动程序"};
inline constexpr Message memory_for_reading{"to read the data file", "读取数据文件"};
inline constexpr Message memory_for_levels{
    "for the levels of the columns {variety}, {year}, {location} and {block}",
    "存放列 {variety}, {year}, {location} 和 {block} 的各个水平"};
inline constexpr Message memory_for_cube{"for the cube of {cells} cells",
                                         "存放 {cells} 个单元格的数据"};
inline constexpr Message memory_for_sparse_cube{
    "for the cells of the cube that occur, up to {cells} (about {megabytes} MB)",
    "存放实际出现的单元格 (最多 {cells} 个, 约 {megabytes} MB)"};
inline constexpr Message memory_for_matrix{"to write the matrix file", "写入矩阵文件"};
inline constexpr Message memory_for_distances{"for the distances of {levels} levels",
                                              "计算 {levels} 个水平之间的距离"};
inline constexpr Message memory_for_tree_values{
    "for the values of {levels} levels in {rows} rows to cluster",
    "存放待聚类的 {levels} 个水平在 {rows} 行中的数值"};

// The loader, on table files
inline constexpr auto factor_names = std::to_array<Message>(
    {{"variety", "品种"}, {"year", "年份"}, {"location", "试点"}, {"block", "区组"}});
inline constexpr Message line_fault{"Line {line} of {file}: {fault}",
                                    "{file} 第 {line} 行: {fault}"};
inline constexpr Message line_overlong{
    "the line is longer than {bytes} bytes; the file is damaged or is not a table.",
    "该行超过 {bytes} 字节; 文件已损坏, 或者不是数据表."};
inline constexpr Message lone_surrogate{
    "half of a UTF-16 character stands alone on the line (an unpaired surrogate), which no text "
    "can hold: the file is damaged. Save it again as Unicode text or UTF-8.",
    "该行有半个 UTF-16 字符单独出现 (不成对的代理项), 任何文本都不能含有它: 文件已损坏. "
    "请重新保存为 Unicode 文本或 UTF-8."};
inline constexpr Message open_quote{
    "a field in double quotes has no closing quote before the end of the line, or text follows "
    "its closing quote.",
    "双引号中的字段到行尾都没有结束引号, 或者结束引号后面还有文字."};
inline constexpr Message fields_not_header{
    "the record has {fields} {fields?field|fields}, but the header names {named} "
    "{named?column|columns}: every record must have {named}, or one more when "
    "records begin with a row name or end with a separator.",
    "该记录有 {fields} 个字段, 但表头有 {named} 列: 每条记录必须有 {named} 个字段, "
    "记录以行名开头或以分隔符结尾时多一个."};
inline constexpr Message text_past_end_mark{
    "{file} holds an end-of-file mark (Ctrl-Z) after "
    "line {line} and more text after it, which would go "
    "unread: remove the mark, or the text after it.",
    "{file} 在第 {line} 行之后有文件结束符 (Ctrl-Z), 其后还有文字, 这些文字不会被读取: "
    "请删除该结束符, 或删除其后的文字."};
inline constexpr Message row_name_repeats{
    "the row name {name} is given to an earlier row too. A record with one field more than the "
    "header names begins with its row's name, as R writes them, and no two rows share one; "
    "where a number's decimal comma splits it in two, save the file with semicolons between "
    "fields.",
    "行名 {name} 与前面某一行的行名相同. 字段比表头多一个的记录以其行名开头 (R 就是这样写的), "
    "各行的行名互不相同; 若是数值中的小数逗号把它分成了两个字段, 请用分号分隔字段保存文件."};
inline constexpr Message decimal_comma_split{
    "the record has {fields} {fields?field|fields}, one more than the header names, as every "
    "record has; its fields {first} and "
    "{second}, joined by a comma, read as {number}, a number with a decimal comma, and so do those "
    "of every "
    "record. Save the file with semicolons between fields, or with its values in double quotes.",
    "该记录有 {fields} 个字段, 比表头多一个, 每条记录都是如此; 其字段 {first} 和 {second} "
    "用逗号连起来读作 {number}, 是以逗号为小数点的数值, 每条记录的这两个字段都是这样. "
    "请用分号分隔字段保存文件, 或者把数值放在双引号中."};
inline constexpr Message fields_not_records{
    "the record has {fields} {fields?field|fields}, but the records before it have {before}.",
    "该记录有 {fields} 个字段, 但前面的记录有 {before} 个."};
inline constexpr auto field_words = std::to_array<Message>({{"field", "字段"}, {"fields", "字段"}});
inline constexpr auto column_words = std::to_array<Message>({{"column", "列"}, {"columns", "列"}});
inline constexpr Message level_missing{
    "the {factor} (column {column}) is missing: {token}. "
    "Every record needs its variety, year, location and "
    "block.",
    "{factor} (列 {column}) 缺失: {token}. 每条记录都必须有品种, 年份, 试点和区组."};
inline constexpr Message level_unwritable{
    "the {factor} (column {column}) {token} holds a tab, a "
    "double quote or another control character, which the "
    "matrix file can't show in a label.",
    "{factor} (列 {column}) {token} 含有制表符, 双引号或其他控制字符, 矩阵文件的标签无法显示."};
inline constexpr Message no_table_record{"{file} holds no record after its header line.",
                                         "{file} 在表头行之后没有记录."};
inline constexpr Message column_fault{
    "{file}: {fault} Its {columns} {columns?column|columns}: {names}.",
    "{file}: {fault} 文件共 {columns} 列: {names}."};
inline constexpr Message no_column_number{"there is no column {column}.", "没有第 {column} 列."};
inline constexpr Message no_column_named{"no column is named {column}.", "没有名为 {column} 的列."};
inline constexpr Message columns_named{"several columns are named {column}.",
                                       "有几列都名为 {column}."};
inline constexpr Message column_twice{"the column {column} is given twice.",
                                      "列 {column} 指定了两次."};
inline constexpr Message no_trait_column{
    "no column but the four named holds numbers in its first records; name the trait too: "
    "--columns V,Y,L,B,T.",
    "除指定的四列以外, 没有一列在前几条记录中是数值; 请同时指定性状列: --columns V,Y,L,B,T."};
inline constexpr Message header_too_short{
    "the header names {columns} {columns?column|columns}, but a table needs five: the variety, "
    "year, location, block and trait "
    "value.",
    "表头只有 {columns} 列, 但数据表需要五列: 品种, 年份, 试点, 区组和性状值."};
inline constexpr Message too_many_columns{
    "{file} has {columns} columns; name the five to analyse with --columns: {command}",
    "{file} 有 {columns} 列; 请用 --columns 指定要分析的五列: {command}"};
inline constexpr Message header_below{
    "Line {line} of {file} names the columns; the lines above "
    "it are not part of the table. To read it: "
    "{command}",
    "{file} 第 {line} 行是列名; 它上面的各行不属于数据表. 读取方法: {command}"};
inline constexpr Message header_open_quote{
    "Line {line} of {file}, its header: a field in double "
    "quotes has no closing quote before the end of "
    "the line, or text follows its closing quote.",
    "{file} 第 {line} 行, 即表头: 双引号中的字段到行尾都没有结束引号, 或者结束引号后面还有文字."};
inline constexpr Message unicode_without_mark{
    "{file} is saved as Unicode text without a mark: save it as UTF-8 (CSV UTF-8) or tab-delimited "
    "text.",
    "{file} 保存成了不带标记的 Unicode 文本: 请另存为 UTF-8 (CSV UTF-8) 或以制表符分隔的文本."};
inline constexpr Message nothing_after_skip{
    "{file} holds nothing to read after the {lines} {lines?line|lines} that --skip names.",
    "{file} 在 --skip 跳过的 {lines} 行之后没有可读的内容."};
inline constexpr auto line_words = std::to_array<Message>({{"line", "行"}, {"lines", "行"}});
// After a command that reads a file: what its V,Y,L,B,T or TRAIT stand for.
inline constexpr Message command_roles{
    " (V,Y,L,B,T: the variety, year, location, block and trait value, each a column's name or "
    "number; its columns are {columns})",
    " (V,Y,L,B,T: 品种, 年份, 试点, 区组和性状值, 各为列名或列号; 文件的列为 {columns})"};
inline constexpr Message command_trait{
    " (TRAIT: the trait to analyse, a column's name or "
    "number; its columns of numbers are {columns})",
    " (TRAIT: 要分析的性状, 为列名或列号; 文件中的数值列为 {columns})"};
// Where a classic file is refused: how to read it as a table instead.
inline constexpr Message as_table_hint{"\nTo read it as a table: {command}",
                                       "\n按数据表读取: {command}"};
inline constexpr Message header_below_hint{
    "\nLine {line} names the columns of a table; to read it so: {command}",
    "\n第 {line} 行是数据表的列名; 按数据表读取: {command}"};
inline constexpr Message too_many_levels{
    "A column of the data file has more than 2147483647 different values.",
    "数据文件中有一列的不同值超过 2147483647 个."};

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
inline constexpr Message matrix_held{
    "\nThe matrix file {file} is open in another program (a spreadsheet, perhaps). Close it there, "
    "then run clustmat again. Nothing was written.",
    "\n矩阵文件 {file} 已在另一个程序 (可能是电子表格) 中打开. 请在那里关闭它, 然后重新运行 "
    "clustmat. 未写入任何文件."};
// Why a matrix file can't be opened, on the line after output_open_failure.
inline constexpr Message matrix_read_only_posix{
    "{file} is read-only. If it may be replaced, make it writable (chmod u+w {name}) and run "
    "again.",
    "{file} 是只读文件. 若可以替换它, 请设为可写 (chmod u+w {name}) 后重新运行."};
inline constexpr Message matrix_read_only_windows{
    "{file} is read-only. If it may be replaced, clear Read-only in its Properties (or attrib -r "
    "{name}) "
    "and run again.",
    "{file} 是只读文件. 若可以替换它, 请在其属性中取消只读 (或 attrib -r {name}) 后重新运行."};
inline constexpr Message matrix_is_folder{
    "{file} is a folder. Move it away, or name the matrix file with --output.",
    "{file} 是文件夹. 请把它移走, 或用 --output 指定矩阵文件名."};
inline constexpr Message matrix_folder_unwritable{
    "The folder of {file} can't be written. Run clustmat where you may write, or name the matrix "
    "file with --output.",
    "{file} 所在的文件夹不能写入. 请在可以写入的地方运行 clustmat, 或用 --output 指定矩阵文件名."};
inline constexpr Message matrix_cannot_create{"{file}: {reason}.", "{file}: {reason}."};
// Why the final replacement failed, in the parentheses of matrix_not_written.
inline constexpr Message matrix_held_meanwhile{
    "another program opened it during the run; close it there and run again",
    "运行期间另一个程序打开了它; 请在那里关闭后重新运行"};
inline constexpr Message matrix_read_only_meanwhile{"it was made read-only during the run",
                                                    "运行期间它被设成了只读"};
inline constexpr Message would_replace_data{
    "\nThe matrix file {file} would replace the data file {data_file}. Rename the data file so "
    "that it does "
    "not end in .DIS.",
    "\n矩阵文件 {file} 会替换数据文件 {data_file}. 请重命名数据文件, 使其不以 .DIS 结尾."};
inline constexpr Message output_is_data{
    "\nThe matrix file {file} would replace the data file {data_file}. Choose another --output.",
    "\n矩阵文件 {file} 会替换数据文件 {data_file}. 请另选 --output."};
inline constexpr Message companion_is_data{
    "\nThe file {file} would replace the data file {data_file}. Choose another --output, or rename "
    "the data "
    "file.",
    "\n文件 {file} 会替换数据文件 {data_file}. 请另选 --output, 或重命名数据文件."};
// The set of files of a run of several traits, or with a tree.
inline constexpr Message files_not_written{
    "\nThe file {file} could not be written in full "
    "({reason}). The unfinished copies have been removed; "
    "{files} are as they were before the run.\n",
    "\n文件 {file} 未能完整写入 ({reason}). 未写完的副本已删除; {files} 仍是运行前的样子.\n"};
inline constexpr Message files_partly_replaced{
    "\nNot every file could be replaced. Replaced: {replaced}. Not replaced, as they were before "
    "the run "
    "({failed} failed: {reason}): {unreplaced}.\n",
    "\n并非每个文件都能替换. 已替换: {replaced}. 未替换, 仍是运行前的样子 ({failed} 失败: "
    "{reason}): {unreplaced}.\n"};
// A file of the run whose name the system would refuse for its length: its
// name in its folder, or the whole name with the folders.
inline constexpr Message name_proper_too_long{
    "\nThe file name {file} is too long: this system takes at most {length} {unit} for a name in a "
    "folder. "
    "Choose a shorter name for the data file, the trait's column or --output. Nothing was "
    "written.",
    "\n文件名 {file} 太长: 本系统文件夹中的文件名最多 {length} {unit}. 请为数据文件, 性状列或 "
    "--output 另选较短的名称. 未写入任何文件."};
inline constexpr Message whole_name_too_long{
    "\nThe file name {file} is too long: this system takes at most {length} {unit} for a name with "
    "its "
    "folders. Choose a shorter name, or a folder nearer the top. Nothing was written.",
    "\n文件名 {file} 太长: 本系统连同文件夹的文件名最多 {length} {unit}. 请另选较短的名称, "
    "或靠近根目录的文件夹. 未写入任何文件."};
// Two traits whose files would have one name; each column as "5 \"a\"".
inline constexpr Message files_one_name{"\nThe columns {column} and {other} would both be "
                                        "written to {file}. Rename one of them, or leave one out "
                                        "of --columns. Nothing was written.",
                                        "\n{column} 和{other} 都会写入 {file}. 请重命名其中一列, "
                                        "或在 --columns 中去掉一列. 未写入任何文件."};
inline constexpr Message files_one_name_case{
    "\nThe columns {column} and {other} would be written to {file} and {other_file}, which Windows "
    "and macOS take for one "
    "file. Rename one of them, or leave one out of --columns. Nothing was written.",
    "\n{column} 和{other} 会分别写入 {file} 和 {other_file}, Windows 和 macOS "
    "把它们当作同一个文件. 请重命名其中一列, 或在 --columns 中去掉一列. 未写入任何文件."};
inline constexpr Message numbered_column{"{number} {name}", "第 {number} 列 {name}"};
// A matrix of several, after its name: its trait's column.
inline constexpr Message matrix_trait{" ({trait})", " ({trait})"};
inline constexpr Message matrix_not_written{
    "\nThe matrix file {file} could not be written in "
    "full ({reason}). Its unfinished copy has been "
    "removed; {file} is as it was before the run.\n",
    "\n矩阵文件 {file} 未能完整写入 ({reason}). 未写完的副本已删除; {file} 仍是运行前的样子.\n"};

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
inline constexpr Message mojena_rule{"Mojena, k = {k}", "Mojena 法则, k = {k}"};
inline constexpr Message groups_rule{"--groups {groups}", "--groups {groups}"};
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

inline constexpr Message version_line{"clustmat {version}\n", "clustmat {version}\n"};

// Answers clustmat --help, and clustmat c --help in Chinese.
inline constexpr Message usage{
    "Usage: clustmat [c|C] [--columns V,Y,L,B,T[,T2...]] [--cells last|mean]\n"
    "                [--decimal comma|point] [--skip N] [--layout 1|2|3]\n"
    "                [--output FILE] [--threads N]\n"
    "                [--encoding utf-8|gbk|windows-1252]\n"
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
    "  --encoding utf-8|gbk|windows-1252\n"
    "                  the code page of the data file's names (levels and traits)\n"
    "                  in the tree's picture and on a Windows console; by default\n"
    "                  UTF-8 when every name is UTF-8, else GBK when every byte\n"
    "                  beyond ASCII pairs as a GBK character and either every pair\n"
    "                  is a GB2312 one or the system is Chinese (c, a GBK locale,\n"
    "                  code page 936), else Windows-1252; the matrix and the other\n"
    "                  files keep the file's own bytes\n"
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
    "Names in Windows-1252, as a Western European spreadsheet saves them, too.\n"
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
    "The manual: man clustmat\n",
    "用法: clustmat [c|C] [--columns V,Y,L,B,T[,T2...]] [--cells last|mean]\n"
    "               [--decimal comma|point] [--skip N] [--layout 1|2|3]\n"
    "               [--output FILE] [--threads N]\n"
    "               [--encoding utf-8|gbk|windows-1252]\n"
    "               [--tree [--method M] [--groups K | --mojena K]\n"
    "               [--min-rows K] [--fill additive|none] [--centre] [--scale]]\n"
    "               [--] [DATA_FILE]\n"
    "      clustmat --help | -h | --version\n"
    "\n"
    "把多环境作物试验的数据 (每条记录有品种, 年份, 试点, 区组和一个性状值)\n"
    "转换成以制表符分隔的聚类矩阵文件. 命令行没有给出的内容, 在控制台对话中询问.\n"
    "\n"
    "  c, C            控制台文字用中文 (GBK 字节; 在 UTF-8 终端上显示为 UTF-8 字符)\n"
    "  DATA_FILE       数据文件: 不再提示输入文件名, 文件不存在时结束运行 (不提供\n"
    "                  模板); 运行时只显示必要的信息, 出错时只显示错误信息\n"
    "  --columns V,Y,L,B,T[,T2...]\n"
    "                  把数据文件当作第一行为列名的数据表读取, 取其中这几列: 品种,\n"
    "                  年份, 试点, 区组和一个或多个性状, 各用列名或从 1 起的列号\n"
    "                  (--columns gen,year,loc,rep,yield 或 --columns 3,1,2,4,6);\n"
    "                  有多个性状时, 读一遍即给每个性状写一个以它命名的矩阵\n"
    "                  (wheat.yield.DIS, wheat.plant_height.DIS), 全部一起就位;\n"
    "                  只给四个设计列时 (--columns gen,year,loc,rep), 其余每个\n"
    "                  数值列都作为性状\n"
    "  --cells last|mean\n"
    "                  矩阵的单元格取文件中该格的最后一个值 (经典文件的默认方式),\n"
    "                  或各区组的平均值 (数据表的默认方式)\n"
    "  --decimal comma|point\n"
    "                  性状值的小数点: 点号 (默认), 或逗号 (7,80); 以分号分隔的\n"
    "                  CSV 文件默认为逗号\n"
    "  --encoding utf-8|gbk|windows-1252\n"
    "                  数据文件中名称 (水平和性状) 的编码, 用于聚类图和 Windows\n"
    "                  控制台; 默认: 名称都是 UTF-8 时为 UTF-8; 否则当 ASCII 以外的\n"
    "                  字节都能两两组成 GBK 字符, 并且都是 GB2312 字符或系统为中文\n"
    "                  (c, GBK 区域设置, 代码页 936) 时为 GBK; 其余为 Windows-1252;\n"
    "                  矩阵和其他文件保留数据文件原有的字节\n"
    "  --skip N        跳过数据文件开头的 N 行 (标题, 说明)\n"
    "  --layout 1|2|3  矩阵的列: 1 品种, 2 年份, 3 试点; 不再显示菜单\n"
    "  --output FILE   矩阵文件名, 代替把数据文件名最后四个字符换成 .DIS 的名称;\n"
    "                  有多个性状时为各文件名的主干 (--output res/wheat:\n"
    "                  res/wheat.yield.DIS); 为文件夹时 (res/, 或已存在的 res),\n"
    "                  文件以数据文件名的主干命名, 放在其中 (res/trial.DIS)\n"
    "  --threads N     由 N 个线程分担计算 (读取数据和聚类树的距离); 默认为本机的全部\n"
    "                  硬件线程, 1 则全部在一个线程上完成; 无论 N 为多少, 文件都相同\n"
    "  --tree          按矩阵的各行对其列 (品种, 年份或试点) 聚类, 并在每个矩阵\n"
    "                  旁边写出分组表 (.groups.tsv: 每个水平所属的组, 或 . 及\n"
    "                  未参与聚类的原因), 聚类树 (.tree.nwk, Newick 格式) 和聚类图\n"
    "                  (.tree.svg, 任何浏览器都能打开的树状图)\n"
    "  --method ward|average|complete|single\n"
    "                  聚类的合并方法: Ward 法 (默认, 同 R 的 ward.D2), 或者\n"
    "                  类平均法, 最长距离法, 最短距离法\n"
    "  --groups K      把聚类树分为 K 组, 不用 Mojena 法则\n"
    "  --mojena K      用 k = K 的 Mojena 法则 (大于 0 的数; 默认 1.25)\n"
    "  --min-rows K    一个水平在 K 行或更多行中有值才参与聚类 (默认 2); 用\n"
    "                  --fill none 时, 还须与其他每个水平共有 K 行\n"
    "  --fill additive|none\n"
    "                  用加性模型 (行效应 + 水平效应) 的最小二乘拟合值填补\n"
    "                  空单元格 (默认), 对通过共同的行相连的最大水平集聚类; 或者\n"
    "                  不填补, 按共同有值的行比较各水平\n"
    "  --centre        各水平减去自身的平均值: 按变化模式聚类, 而不是按数值高低\n"
    "  --scale         先中心化, 再除以各水平的标准差: 按相关聚类\n"
    "  --              选项到此为止, 用于以 - 开头的数据文件名\n"
    "  -h, --help      显示本帮助并退出\n"
    "  --version       显示版本并退出\n"
    "每个选项也可以写成 --name=value.\n"
    "\n"
    "经典设计文件先有五个表头名称, 然后是每条五个字段的记录: 品种, 年份, 试点和\n"
    "区组的代码 (从 1 起的整数) 以及性状值. 数据表 (CSV 文件, 或用 --columns 读取\n"
    "的任何文件) 有一行表头 (它上面的标题行会被拒绝, 并提示跳过它们的 --skip),\n"
    "每行一条记录; 其水平就是写出的值 (0012 和 12 是两个水平): 数字按大小排列,\n"
    "名称按首次出现的顺序. 五列的 CSV 文件不需要 --columns: 列名为 gen, year, loc,\n"
    "rep 之类时按列名读取, 否则按上面的顺序读取. 数据表的性状值须为完整的数值\n"
    "(包括 0), 或为缺失值: 空, NA, N/A, NaN, #N/A, ., - 或 *; 其他内容都会被拒绝.\n"
    "可以读取 UTF-8, GBK 和带标记的 UTF-16.\n"
    "西欧电子表格保存的 Windows-1252 名称也可以读取.\n"
    "\n"
    "对话依次询问下列内容, 每个回答以回车结束:\n"
    "  1. 数据文件名 (去掉名称后面的空白和两边的引号);\n"
    "  2. 仅当文件不存在时: 输入 y 以此名称新建试验设计模板, 然后输入品种, 年份,\n"
    "     试点和区组的数目;\n"
    "  3. 矩阵的布局: 1, 2 或 3, 分别以品种, 年份或试点为列.\n"
    "在脚本中: clustmat --layout 1 trial.dat, 或\n"
    "          printf 'trial.dat\\n1\\n' | clustmat\n"
    "多个性状及其聚类树:\n"
    "   clustmat --columns gen,year,loc,rep,yield,height --tree --layout 1 t.csv\n"
    "\n"
    "一次运行的文件全部写完后才替换旧文件, 文件就位期间收到的信号 (Ctrl-C, kill)\n"
    "要等全部就位后才处理. 结束时在标准错误输出上报告各文件的名称和大小.\n"
    "\n"
    "退出状态: 0 文件已写出; 1 运行因错误而结束 (见错误信息); 2 命令行有误;\n"
    "255 (Windows 上为 -1) 有文件未能完整写出, 或者并非每个文件都能就位.\n"
    "\n"
    "使用手册: man clustmat\n"};

// The command line
inline constexpr Message usage_error{"clustmat: {error}. Try clustmat --help.\n",
                                     "clustmat: {error}. 请参阅 clustmat c --help.\n"};
inline constexpr Message unknown_option{"unknown option {option}", "未知选项 {option}"};
inline constexpr Message option_needs_value{"the option {option} needs a value",
                                            "选项 {option} 需要一个值"};
inline constexpr Message bad_layout_option{"--layout takes 1, 2 or 3, not {value}",
                                           "--layout 只能取 1, 2 或 3, 不能是 {value}"};
inline constexpr Message bad_cells_option{"--cells takes last or mean, not {value}",
                                          "--cells 只能取 last 或 mean, 不能是 {value}"};
inline constexpr Message bad_decimal_option{"--decimal takes comma or point, not {value}",
                                            "--decimal 只能取 comma 或 point, 不能是 {value}"};
inline constexpr Message bad_skip_option{
    "--skip takes a number of lines from 0 to 2147483647, not {value}",
    "--skip 的行数须为 0 到 2147483647, 不能是 {value}"};
inline constexpr Message bad_encoding_option{
    "--encoding takes utf-8, gbk or windows-1252, not {value}",
    "--encoding 只能取 utf-8, gbk 或 windows-1252, 不能是 {value}"};
inline constexpr Message option_twice{"the option {option} is given twice",
                                      "选项 {option} 给了两次"};
inline constexpr Message bad_method_option{
    "--method takes ward, average, complete or single, not {value}",
    "--method 只能取 ward, average, complete 或 single, 不能是 {value}"};
inline constexpr Message bad_groups_option{
    "--groups takes a number of groups from 1 to 2147483647, not {value}",
    "--groups 的组数须为 1 到 2147483647, 不能是 {value}"};
inline constexpr Message bad_min_rows_option{
    "--min-rows takes a number of rows from 1 to 2147483647, not {value}",
    "--min-rows 的行数须为 1 到 2147483647, 不能是 {value}"};
inline constexpr Message bad_threads_option{
    "--threads takes a number of threads from 1 to 2147483647, not {value}",
    "--threads 的线程数须为 1 到 2147483647, 不能是 {value}"};
inline constexpr Message option_needs_tree{"the option {option} is for --tree, not given",
                                           "选项 {option} 须与 --tree 一起使用, 但没有给出 --tree"};
inline constexpr Message bad_fill_option{"--fill takes additive or none, not {value}",
                                         "--fill 只能取 additive 或 none, 不能是 {value}"};
inline constexpr Message bad_mojena_option{"--mojena takes a number above 0, not {value}",
                                           "--mojena 须为大于 0 的数, 不能是 {value}"};
inline constexpr Message mojena_with_groups{
    "--mojena sets Mojena's rule, which --groups replaces: give one of them",
    "--mojena 设定 Mojena 法则, 而 --groups 取代该法则: 两者只能给一个"};
inline constexpr Message bad_columns_option{
    "--columns takes four or more column names or numbers separated by commas, not {value}",
    "--columns 须为用逗号分隔的四个或更多列名或列号, 不能是 {value}"};
inline constexpr Message second_data_file{"a second data file {file} after {first}",
                                          "在 {first} 之后又给了第二个数据文件 {file}"};
inline constexpr Message cant_open_data_file{"\nCan't open the data file {file}: {reason}",
                                             "\n无法打开数据文件 {file}: {reason}"};

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
                                             one(bad_encoding_option),
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

// Writes a text, a composed message's included (put_composed), names in it
// as they are held (platform/platform.h); texts may hold bytes that printf
// would take as directives, so none goes through a format string.
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
// written template included, is flushed. Once: another thread that comes
// here meanwhile waits for the end.
[[noreturn]] void fatal_exit(std::string_view message);

// The same with a message of the catalogue, in the console's language.
[[noreturn]] void fatal_exit(const Message& message, std::initializer_list<Value> values = {});
