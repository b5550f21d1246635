# Install rules and packages. `cmake --install` puts bin/normcalc (and, from doc/, its manual
# page) under the prefix; CPack makes a Debian package of them on Linux, and for the Windows
# build a .zip holding normcalc.exe beside the README.
include(GNUInstallDirs)

if(WIN32)
  # A Windows user unpacks the archive and starts the program where it lies.
  install(TARGETS normcalc RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
else()
  install(TARGETS normcalc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(CPACK_GENERATOR DEB)
endif()

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_CONTACT "normcalc maintainers <maintainers@users.noreply.c-seed-84cd7b4b.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "console calculator for the standard normal distribution")
# Lines of at most 80 characters, as the Debian control file wants them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "normcalc turns a standard score z into the probability p = Phi(z) = P(Z <= z)"
  "of a standard normal variable Z, or a probability p into the score z, through"
  "a small Japanese menu on the console. Phi is computed by adaptive nine-point"
  "Gauss-Legendre quadrature, its inverse by Newton's method. The manual page"
  "gives the menu, an example session, the encoding rules and the exit statuses.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION math)
# The libraries the executable links (libc6, libstdc++6, libgcc-s1), with the versions the
# build machine's symbols need, as dpkg-shlibdeps (Debian: dpkg-dev) reads them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
