# Installing like a desktop program, and the Debian package made from that installation by CPack
# (`make package`). Everything here names the program through QINTARA_APP_ID and PROJECT_VERSION.
include(GNUInstallDirs)

set(PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})
set(PACKAGING_OUT ${CMAKE_CURRENT_BINARY_DIR}/packaging)
# The changelog wants the release date in RFC 5322 form; noon UTC of the day.
execute_process(COMMAND date -u -R -d "${QINTARA_RELEASE_DATE} 12:00"
                OUTPUT_VARIABLE QINTARA_RELEASE_STAMP OUTPUT_STRIP_TRAILING_WHITESPACE)

configure_file(${PACKAGING_DIR}/app.metainfo.xml.in
               ${PACKAGING_OUT}/${QINTARA_APP_ID}.metainfo.xml @ONLY)
configure_file(${PACKAGING_DIR}/app.desktop.in ${PACKAGING_OUT}/${QINTARA_APP_ID}.desktop @ONLY)

# Man pages and the changelog go in gzip-compressed, without a time stamp inside.
set(PACKAGING_ZIPPED)
foreach(page qintara.1 qintara-db.1 changelog)
  configure_file(${PACKAGING_DIR}/${page}.in ${PACKAGING_OUT}/${page} @ONLY)
  add_custom_command(OUTPUT ${PACKAGING_OUT}/${page}.gz
    COMMAND gzip -9nf -k ${page}
    DEPENDS ${PACKAGING_OUT}/${page}
    WORKING_DIRECTORY ${PACKAGING_OUT} VERBATIM)
  list(APPEND PACKAGING_ZIPPED ${PACKAGING_OUT}/${page}.gz)
endforeach()
add_custom_target(packaging_files ALL DEPENDS ${PACKAGING_ZIPPED})

if(TARGET qintara)
  install(TARGETS qintara RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS qintara-db RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PACKAGING_OUT}/${QINTARA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PACKAGING_OUT}/${QINTARA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/icon/qintara.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${QINTARA_APP_ID}.svg)
install(FILES ${PACKAGING_OUT}/qintara.1.gz ${PACKAGING_OUT}/qintara-db.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PACKAGING_DIR}/copyright ${PACKAGING_OUT}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qintara)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Qintara")
set(CPACK_PACKAGE_CONTACT "Qintara developers <dev@qintara.example.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QINTARA_HOMEPAGE})
# The synopsis, then the extended description (CPack indents its lines).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "register of business contracts
Qintara keeps a company's register of business contracts: contracts with
their schedules of receivable or payable instalments, what every customer
still owes and what is owed to every supplier, reminders of instalments
falling due, stamp tax, search, printed records, spreadsheet exports, backup
and restore. Its texts are Simplified Chinese.")
# The libraries come from the binaries; only what Qt loads at run time is named here, since no
# binary links it: the SQLite driver the register needs, the SVG icons and the Chinese fonts.
# The printed records draw in AR PL UMing and WenQuanYi Zen Hei, whose text stays searchable in
# a PDF; Noto CJK stands in where they are missing.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libqt6svg6, fonts-arphic-uming, fonts-wqy-zenhei, fonts-noto-cjk")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# `make package` builds the two programs first; the tests and benchmarks are not part of it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)
include(CPack)
