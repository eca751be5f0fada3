# SPDX-License-Identifier: MIT
# The Debian package: cmake --build BUILD --target package (scripts/package.sh does it all).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kelvane maintainers <maintainers@kelvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "lock files with a password against casual eyes (not strong encryption)")
# Lines of the long description, as dpkg shows them; an empty line between paragraphs.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Kelvane locks and unlocks files with a password: pick a file in its window,"
    "type a password and press one button. It writes a new file beside the source"
    "and never changes the source. A list of bookmarked files can be locked with"
    "one password, and the command-line tool kelvane-cli does the same from a shell."
    ""
    "The lock is light obfuscation that also opens files of the legacy Kelvane"
    "format: a file is XORed with a keystream from a small pseudo-random generator"
    "seeded from the password, with no header and no password check. It keeps"
    "content away from casual eyes; it is not strong encryption.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr) # a Debian package installs under /usr
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kelvane maintainers <maintainers@kelvane.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
# The Qt and C++ libraries come from dpkg-shlibdeps; "Open Folder" needs xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")

include(CPack)
