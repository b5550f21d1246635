# Finds Wine's loader, which runs the Windows executables on Linux: Debian's wine64 package
# installs it as /usr/lib/wine/wine64 (the wine package adds /usr/bin/wine). NORMCALC_WINE is
# left NOTFOUND when Wine is missing.
find_program(NORMCALC_WINE NAMES wine64 wine PATHS /usr/lib/wine
  DOC "Wine's loader, which runs the Windows executables")
