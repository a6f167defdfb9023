# The Debian package: `cpack -G DEB` in the build folder gives
# clustmat_<version>_<arch>.deb with the program and its manual page.
# The Windows build gives clustmat-<version>-win64.zip instead.

set(CPACK_PACKAGE_NAME clustmat)
set(CPACK_PACKAGE_VENDOR "clustmat maintainers")
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/windows-zip.cmake)
  return()
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_CONTACT "clustmat maintainers <maintainers@users.noreply.c-seed-57e1fd7e.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cluster matrices from multi-environment crop trials")
# One line each in the package's description; keep them under 80 columns.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "clustmat reads the design data file of a multi-environment crop trial"
    "(variety, year, location, block and trait value in every record) and"
    "writes a tab-separated cluster matrix: varieties, years or locations as"
    "the columns and every combination of the other two factors as the rows,"
    "ready for a cluster analysis in R, SAS or any tool that reads"
    "tab-separated text. It can also create a fully crossed design template.")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)

# Exact library versions come from dpkg-shlibdeps (package dpkg-dev). Without
# it the package still installs on Debian 12 and later with this list, which
# is what a build with Debian 12's g++ needs.
find_program(CLUSTMAT_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(CLUSTMAT_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libgcc-s1 (>= 3.0), libstdc++6 (>= 11)")
endif()

include(CPack)
