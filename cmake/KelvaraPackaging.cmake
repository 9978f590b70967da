# What a Linux installation holds beside the programs. The programs install
# themselves (install(TARGETS) in their own folders); this file installs
# their data.

set(KELVARA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KELVARA_ICON_DIR ${PROJECT_SOURCE_DIR}/res/icons)

# The shipped range limits go into a data folder, not among the programs:
# Dovrel copies ./range.ini, so it is run from there. kelvara-cli users can
# also name it with --range-file.
install(FILES ${PROJECT_SOURCE_DIR}/res/range.ini DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvara)

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
