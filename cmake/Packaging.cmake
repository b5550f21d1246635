# Install rules: `cmake --install` puts bin/normcalc (and, from doc/, its manual page) under
# the prefix.
include(GNUInstallDirs)

install(TARGETS normcalc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
