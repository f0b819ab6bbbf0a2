# The Debian package: `cpack -G DEB` in the build folder (or tools/package.sh).
# Its dependencies are found by dpkg-shlibdeps from the binaries.
set(CPACK_PACKAGE_NAME kletomer)
set(CPACK_PACKAGE_VENDOR "Kletomer developers")
set(CPACK_PACKAGE_CONTACT "Kletomer developers <kletomer@kletomer.ru>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor, generator and checker of mosaic puzzles")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kletomer.ru/")
set(CPACK_PACKAGE_DESCRIPTION "Kletomer makes mosaic logic puzzles: a field of cells where a clue counts the
filled cells of its 3 x 3 block. Draw or import a picture, let the program
place the fewest clues that a local deduction still solves, check and grade
puzzles, hide a prize phrase, and export tasks and answers as pictures and
print sheets. kletomer-cli runs the same commands on files, in batches.")
# Loaded as plugins, which dpkg-shlibdeps does not see: the SVG icon engine
# draws every toolbar icon.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, qt6-image-formats-plugins, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
