# The parts of the build that only the Debian package has: the hardening flags Debian builds
# its packages with, an executable without the compiler's .comment section, and the copyright
# file and changelog under /usr/share/doc/normcalc. Included by Packaging.cmake.

# dpkg-buildflags with every hardening feature (bind-now, fortified functions, stack
# protector, read-only relocations). Its -g is left out: the package ships a stripped
# executable, and debug information would carry the build folder's name into the build ID.
find_program(NORMCALC_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
      ${NORMCALC_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  list(REMOVE_ITEM flags -g)
  if(kind STREQUAL LDFLAGS)
    target_link_options(normcalc_options INTERFACE ${flags})
  else()
    target_compile_options(normcalc_options INTERFACE ${flags})
  endif()
endforeach()

# The compiler's version string in .comment is of no use at run time; Debian's own packages
# drop it when they strip.
install(CODE "execute_process(COMMAND ${CMAKE_OBJCOPY} --remove-section=.comment
  \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/normcalc\"
  COMMAND_ERROR_IS_FATAL ANY)")

# The copyright file in Debian's machine-readable form, its licence text taken from LICENSE.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
string(REGEX REPLACE "^.*\nCopyright [^\n]*\n\n" "" licence "${licence}")
string(STRIP "${licence}" licence)
# Paragraphs of a field's text are kept apart by " ."; every line is indented by one space.
string(REPLACE "\n\n" "\n.\n" licence "${licence}")
string(REPLACE "\n" "\n " licence "${licence}")
string(REGEX REPLACE "^Copyright \\(c\\) " "" holders "${NORMCALC_COPYRIGHT}")
set(doc_dir ${PROJECT_BINARY_DIR}/debian)
file(WRITE ${doc_dir}/copyright
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: ${PROJECT_NAME}\n"
  "\n"
  "Files: *\n"
  "Copyright: ${holders}\n"
  "License: Expat\n"
  " ${licence}\n")

# The changelog in Debian's form, made from CHANGELOG.md, and compressed.
include(cmake/Gzip.cmake)
add_custom_command(OUTPUT ${doc_dir}/changelog
  COMMAND ${CMAKE_COMMAND} -D CHANGELOG=${PROJECT_SOURCE_DIR}/CHANGELOG.md
    -D OUTPUT=${doc_dir}/changelog -D PACKAGE=${PROJECT_NAME}
    -D MAINTAINER=${CPACK_PACKAGE_CONTACT}
    -P ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/CHANGELOG.md ${PROJECT_SOURCE_DIR}/cmake/DebianChangelog.cmake
  VERBATIM)
normcalc_gzip(${doc_dir}/changelog ${doc_dir}/compressed/changelog.gz)
add_custom_target(debian_changelog ALL DEPENDS ${doc_dir}/compressed/changelog.gz)

install(FILES ${doc_dir}/copyright ${doc_dir}/compressed/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
