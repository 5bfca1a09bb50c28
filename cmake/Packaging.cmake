# The Debian package. From a build folder configured with
#   cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr
#   cmake --build build
#   (cd build && cpack -G DEB)
# this makes ferntrack_<version>-<release>_<arch>.deb with the binary in
# /usr/bin, the howto in /usr/share/ferntrack, the manual page and the
# package documents. The package holds the files where the program was
# configured to look for them, so its prefix is the install prefix.
set(FERNTRACK_MAINTAINER "ferntrack maintainers <maintainers@users.noreply.c-seed-948b443b.example>"
    CACHE STRING "Maintainer line of the Debian package")
set(FERNTRACK_DEB_RELEASE 1 CACHE STRING "Debian revision of the package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ferntrack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${FERNTRACK_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${FERNTRACK_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${FERNTRACK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "less, squid")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browse, follow, search and report on Squid access logs")
# CPack puts the summary above this paragraph as the synopsis line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "ferntrack is a full-screen terminal program for the administrator of a
Squid caching proxy. It pages through the native access.log one request
per row, follows it live while the proxy writes it, marks and finds
requests by search words, size or user, writes usage reports (hit lines,
cache statistics, bandwidth per user and per destination domain) and
keeps a live tally of all users. It reads logs of many gigabytes without
loading them whole and works well over ssh.")

include(CPack)
