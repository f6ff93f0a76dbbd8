# A Debian package of the installed program: `cpack` in the build folder
# writes kalvor1_<version>_<arch>.deb.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "kalvor1")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "KALVOR1 developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Solver for N complex linear equations in N unknowns")
set(CPACK_PACKAGE_DESCRIPTION
    "Type each coefficient and constant as free text (3+4i, -2j) and read the unknowns as complex numbers. kalvor1-solve solves the same systems from files on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "KALVOR1 developers <kalvor1-devel@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION "math")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# The Qt 6 runtime (the X11 platform plugin comes with libqt6gui6) and the
# C and C++ runtimes the program was built against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6widgets6 (>= 6.2), libqt6gui6 (>= 6.2), libqt6core6 (>= 6.2), libqt6charts6 (>= 6.2), libqt6svg6 (>= 6.2), libstdc++6 (>= 12), libc6")
include(CPack)
