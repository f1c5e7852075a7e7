# A Debian package (CPack, DEB) of everything `make install` installs, under
# the same prefix, so that the program finds its files where it was built to.
# Its dependencies come from the shared libraries the program links, as
# dpkg-shlibdeps (dpkg-dev) computes them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quillo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop text search for a list of files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Quillo searches a list of text files line by line for one or two strings,\n"
  "combined with And, Or, Xor or And Not, and gathers the matching lines in an\n"
  "output list that can be saved. The list is built with the open dialog, by\n"
  "dropping files or folders on the window, from a saved list file or from the\n"
  "command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QUILLO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt finds its window-system plugin at run time: no library links it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
