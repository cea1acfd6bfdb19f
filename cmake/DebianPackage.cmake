# What a Debian package of Sifta installs, and the package itself (CPack,
# `cpack -G DEB` in the build folder; scripts/package does it): the program
# with its desktop entry and icon, sifta-batch, the documents and the sample
# file. Its dependencies are Debian's Qt 6 libraries (found by
# dpkg-shlibdeps), Qt's Japanese translation and the IPA fonts the windows
# are laid out for.
include(GNUInstallDirs)
set(SIFTA_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/sifta)
if(TARGET sifta)
  install(TARGETS sifta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/sifta.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/sifta.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
endif()
install(TARGETS sifta-batch RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/README.md DESTINATION ${SIFTA_DOC_DIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/tools/README.md DESTINATION ${SIFTA_DOC_DIR}
        RENAME sifta-batch.md)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE DESTINATION ${SIFTA_DOC_DIR} RENAME copyright)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/examples/sample.csv DESTINATION ${SIFTA_DOC_DIR}/examples)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sifta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Sifta")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cut small CSV files out of CSV files too large for a spreadsheet")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Sifta cuts small CSV files out of CSV files too large for a spreadsheet:\n\
the items, cells and records a user names on three tabs, from statistical\n\
tables in code page 932 (Shift-JIS), byte for byte. It has a Japanese user\n\
interface (sifta) and a batch driver (sifta-batch).")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Sifta developers <sifta@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-ipafont-gothic, fonts-ipafont-mincho")
set(CPACK_PACKAGE_INSTALL_DIRECTORY sifta)
set(CPACK_STRIP_FILES ON)
include(CPack)
