# What a Linux installation holds beside the programs, and the Debian package.
# The programs install themselves (install(TARGETS) in their own folders);
# this file installs their data and describes the package that
# `cpack -G DEB` makes from the build folder.

set(KELVARA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KELVARA_ICON_DIR ${PROJECT_SOURCE_DIR}/res/icons)

# The shipped range limits go into a data folder, not among the programs:
# Dovrel copies ./range.ini, so it is run from there. kelvara-cli users can
# also name it with --range-file.
install(FILES ${PROJECT_SOURCE_DIR}/res/range.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvara)

# The licence and the README go with the programs, into the package's doc
# folder; the licence as Debian's machine-readable copyright file, its text
# taken from LICENSE and indented as that format asks (an empty line
# becomes " ."), with the notices of the header-only libraries compiled in.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/LICENSE)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" notice "${licence}")
set(KELVARA_COPYRIGHT "${CMAKE_MATCH_1}")
string(FIND "${licence}" "Redistribution" terms)
string(SUBSTRING "${licence}" ${terms} -1 licence)
string(STRIP "${licence}" licence)
string(REPLACE "\n" "\n " licence " ${licence}")
string(REPLACE "\n \n" "\n .\n" KELVARA_LICENCE_TEXT "${licence}")
configure_file(${KELVARA_PACKAGING_DIR}/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kelvara)

if(TARGET Kelvara)
  install(FILES ${PROJECT_SOURCE_DIR}/res/kelvara.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  foreach(size 16 24 32 48 64 128 256)
    install(FILES ${KELVARA_ICON_DIR}/kelvara-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME kelvara.png)
  endforeach()
  install(FILES ${KELVARA_ICON_DIR}/kelvara.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

if(TARGET kelvara-cli)
  # The page is kept by hand; only the version comes from the project.
  configure_file(${KELVARA_PACKAGING_DIR}/kelvara-cli.1 ${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.1 @ONLY)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kelvara-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KELVARA_PACKAGING_DIR}/kelvara-cli.bash-completion
          DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME kelvara-cli)
endif()

# The Debian package. Its dependencies come from dpkg-shlibdeps (package
# dpkg-dev), which reads the libraries that the installed programs link.
set(KELVARA_PACKAGE_MAINTAINER "Kelvara developers <maintainers@users.noreply.c-seed-480d83a4.example>"
    CACHE STRING "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME kelvara)
set(CPACK_PACKAGE_VENDOR "Kelvara developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${KELVARA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "eddy-covariance flux processor for flux tower raw data")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KELVARA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# PLplot loads its cairo driver when a plot is drawn, so no linked library
# names it; zlib reads compressed raw files (named as well as found by shlibdeps).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "plplot-driver-cairo, zlib1g")
# The Python module is compiled for one version of the interpreter, and
# its frames need pandas; the programs need neither.
if(TARGET kelvara_python)
  set(python ${KELVARA_PYTHON_MAJOR_MINOR})
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", python3 (>= ${python}~), python3 (<< ${KELVARA_PYTHON_NEXT_MINOR})")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "python3-numpy, python3-pandas")
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "python3-tqdm")
endif()
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvara turns the raw 10-20 Hz text files of an eddy-covariance flux\n"
    "tower's logger into half-hourly fluxes: screening against range limits,\n"
    "6-sigma despiking, 2-axis or planar-fit rotation, friction velocity,\n"
    "sensible, latent and CO2 fluxes with density corrections, one\n"
    "comma-separated line per half hour.\n"
    "\n"
    "The package holds the desktop program Kelvara, the command-line program\n"
    "kelvara-cli, and Dovrel, which places the shipped range limits\n"
    "(/usr/share/kelvara/range.ini) where Kelvara reads them.")
if(TARGET kelvara_python)
  string(APPEND CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "\nWith it comes the Python module kelvara (import kelvara), which runs\n"
      "the same engine and returns the results as pandas DataFrames.")
endif()

include(CPack)
