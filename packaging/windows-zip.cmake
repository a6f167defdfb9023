# The Windows zip, clustmat-<version>-win64.zip: everything in a folder of
# that name, so that unpacking it anywhere (Explorer's "Extract all", or
# into Downloads among other files) makes one folder and scatters nothing;
# in it clustmat.exe, so that double-clicking it is all it takes, the
# example trials in examples\ and a short README. Their text has CR LF line ends, which every
# Windows editor shows as lines; the program itself reads either kind.

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME clustmat-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)

set(windows_text ${CMAKE_BINARY_DIR}/windows-zip)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt ${windows_text}/README.txt
  @ONLY NEWLINE_STYLE CRLF)
foreach(example wheat2025.dat wheat2025.DIS wheat2025.groups.tsv wheat-trials.csv
    wheat-trials.DIS)
  configure_file(${PROJECT_SOURCE_DIR}/examples/${example} ${windows_text}/${example}
    @ONLY NEWLINE_STYLE CRLF)
endforeach()
# The picture is the same bytes on every system.
configure_file(${PROJECT_SOURCE_DIR}/examples/wheat2025.tree.svg
  ${windows_text}/wheat2025.tree.svg COPYONLY)

install(TARGETS clustmat RUNTIME DESTINATION .)
install(FILES ${windows_text}/README.txt DESTINATION .)
install(FILES ${windows_text}/wheat2025.dat ${windows_text}/wheat2025.DIS
  ${windows_text}/wheat2025.groups.tsv ${windows_text}/wheat2025.tree.svg
  ${windows_text}/wheat-trials.csv ${windows_text}/wheat-trials.DIS DESTINATION examples)

include(CPack)
