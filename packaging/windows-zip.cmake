# The Windows zip, clustmat-<version>-win64.zip: clustmat.exe at the top, so
# that unpacking and double-clicking is all it takes, the example trial in
# examples\ and a short README. Their text has CR LF line ends, which every
# Windows editor shows as lines; the program itself reads either kind.

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME clustmat-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)

set(windows_text ${CMAKE_BINARY_DIR}/windows-zip)
configure_file(${CMAKE_CURRENT_LIST_DIR}/README-windows.txt ${windows_text}/README.txt
  @ONLY NEWLINE_STYLE CRLF)
foreach(example wheat2025.dat wheat2025.DIS wheat-trials.csv wheat-trials.DIS)
  configure_file(${PROJECT_SOURCE_DIR}/examples/${example} ${windows_text}/${example}
    @ONLY NEWLINE_STYLE CRLF)
endforeach()

install(TARGETS clustmat RUNTIME DESTINATION .)
install(FILES ${windows_text}/README.txt DESTINATION .)
install(FILES ${windows_text}/wheat2025.dat ${windows_text}/wheat2025.DIS
  ${windows_text}/wheat-trials.csv ${windows_text}/wheat-trials.DIS DESTINATION examples)

include(CPack)
