# Install rules and packages. `cmake --install` puts bin/normcalc (and, from man/, its manual
# page) under the prefix. CPack makes of them a Debian package on Linux and, for the Windows
# build, a .zip of normcalc.exe with a README.txt and the licences; each package gets a
# SHA-256 file beside it. With SOURCE_DATE_EPOCH set, two builds give the same bytes (see
# docs/development.md).
include(GNUInstallDirs)

# Writes <output> as the text of <input> with Windows line ends, behind a UTF-8 byte order mark
# when BOM is given, so that Notepad and every other Windows editor open it as it is meant.
function(normcalc_windows_text input output)
  cmake_parse_arguments(PARSE_ARGV 2 arg "BOM" "" "")
  file(READ ${input} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  if(arg_BOM)
    string(ASCII 239 187 191 bom)
    string(PREPEND text "${bom}")
  endif()
  file(WRITE ${output} "${text}")
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${input})
endfunction()

if(WIN32)
  # A Windows user unpacks the archive and starts the program where it lies.
  install(TARGETS normcalc RUNTIME DESTINATION .)
  set(windows_dir ${PROJECT_BINARY_DIR}/windows)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/README.txt.in ${windows_dir}/README.utf8 @ONLY)
  normcalc_windows_text(${windows_dir}/README.utf8 ${windows_dir}/README.txt BOM)
  normcalc_windows_text(${PROJECT_SOURCE_DIR}/LICENSE ${windows_dir}/LICENSE.txt)
  install(FILES ${windows_dir}/README.txt ${windows_dir}/LICENSE.txt DESTINATION .)

  # Windows has no man: the zip carries the manual page as plain text, MANUAL.txt, rendered by
  # groff on the build machine without a terminal's bold and underline.
  find_program(NORMCALC_GROFF groff)
  if(NORMCALC_GROFF)
    execute_process(
      COMMAND ${NORMCALC_GROFF} -Kutf8 -man -Tutf8 -P-cbou ${NORMCALC_MAN_PAGE}
      OUTPUT_FILE ${windows_dir}/MANUAL.utf8 ERROR_VARIABLE groff_errors
      RESULT_VARIABLE groff_status)
    if(NOT groff_status EQUAL 0 OR groff_errors)
      message(FATAL_ERROR "groff could not render the manual page: ${groff_errors}")
    endif()
    normcalc_windows_text(${windows_dir}/MANUAL.utf8 ${windows_dir}/MANUAL.txt BOM)
    install(FILES ${windows_dir}/MANUAL.txt DESTINATION .)
  else()
    message(WARNING "No groff: the .zip would lack MANUAL.txt, the manual page as text; "
      "install groff (Debian: groff-base)")
  endif()

  # normcalc.exe holds parts of the MinGW-w64 runtime (its start-up code, exp, printf's number
  # conversion, winpthreads), whose licences ask binaries to carry their notices; Debian lists
  # them all in the runtime's copyright file. GCC's own libraries need none (GCC Runtime Library
  # Exception).
  set(NORMCALC_MINGW_NOTICES /usr/share/doc/mingw-w64-x86-64-dev/copyright CACHE FILEPATH
    "The copyright and licence notices of the MinGW-w64 runtime, shipped in the .zip")
  if(EXISTS ${NORMCALC_MINGW_NOTICES})
    normcalc_windows_text(${NORMCALC_MINGW_NOTICES} ${windows_dir}/MinGW-w64-NOTICES.txt)
    install(FILES ${windows_dir}/MinGW-w64-NOTICES.txt DESTINATION .)
  else()
    message(WARNING "No ${NORMCALC_MINGW_NOTICES}: the .zip would lack the MinGW-w64 runtime's "
      "notices; set NORMCALC_MINGW_NOTICES to that runtime's copyright file")
  endif()

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
  # A zip entry's time is local time: packed in UTC, the same files give the same archive in
  # every time zone.
  set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackUtc.cmake)
else()
  install(TARGETS normcalc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_CONTACT "normcalc maintainers <maintainers@users.noreply.c-seed-84cd7b4b.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
# Lines of at most 80 characters, as the Debian control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "normcalc turns a standard score z into the probability p = Phi(z) = P(Z <= z)"
  "of a standard normal variable Z, or a probability p into the score z, through"
  "a small Japanese menu on the console. Phi is computed by adaptive nine-point"
  "Gauss-Legendre quadrature, its inverse by Newton's method. The manual page"
  "gives the menu, examples, the encoding rules and the exit statuses.")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CHECKSUM SHA256)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
# The libraries the executable links (libc6, libstdc++6, libgcc-s1, and libedit2 for the line
# editing), with the versions the build machine's symbols need, as dpkg-shlibdeps (Debian:
# dpkg-dev) reads them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

if(NORMCALC_DEBIAN_PACKAGE)
  include(cmake/DebianPackage.cmake)
endif()

include(CPack)

# The checks of the install and of the packages (tests/PackageTest.sh), labelled package: run by
# the test presets package and zip once CPack has made the packages.
if(NORMCALC_DEBIAN_PACKAGE OR (WIN32 AND NORMCALC_BUILD_TESTS))
  enable_testing()
  set(package_test ${PROJECT_SOURCE_DIR}/tests/PackageTest.sh)
  set(package_license ${PROJECT_SOURCE_DIR}/LICENSE)
  if(WIN32)
    add_test(NAME Package.WindowsExecutable
      COMMAND ${package_test} exe $<TARGET_FILE:normcalc> ${PROJECT_VERSION} ${CMAKE_OBJDUMP}
        ${CMAKE_RC_COMPILER})
    add_test(NAME Package.WindowsZip
      COMMAND ${package_test} zip ${PROJECT_BINARY_DIR} ${PROJECT_VERSION} ${package_license}
        $<TARGET_FILE:normcalc> ${CMAKE_CROSSCOMPILING_EMULATOR})
    set(package_tests Package.WindowsExecutable Package.WindowsZip)
  else()
    add_test(NAME Package.InstallsTheCalculatorAndItsPage
      COMMAND ${package_test} install ${PROJECT_BINARY_DIR})
    add_test(NAME Package.DebianPackage
      COMMAND ${package_test} deb ${PROJECT_BINARY_DIR} ${PROJECT_VERSION} ${package_license})
    add_test(NAME Package.LintianReportsNothing
      COMMAND ${package_test} lintian ${PROJECT_BINARY_DIR} ${PROJECT_VERSION})
    set(package_tests Package.InstallsTheCalculatorAndItsPage Package.DebianPackage
      Package.LintianReportsNothing)
  endif()
  set_tests_properties(${package_tests} PROPERTIES LABELS package TIMEOUT 120)
endif()
