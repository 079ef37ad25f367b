# The Debian package (`./dev package`, `cpack -G DEB` in the build folder): the three programs,
# the desktop entry and its icon, the commented system config.ini, and whatever systemd units
# (*.service, *.timer) and cron examples (*.cron, *crontab*, cron/, cron.d/) packaging/ holds.
include(GNUInstallDirs)

set(TAVRO_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
install(TARGETS tavro-transmissor tavro-cli tavro-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${TAVRO_PACKAGING}/tavro-transmissor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${TAVRO_PACKAGING}/tavro-transmissor.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The site's file, read under each user's; dpkg keeps an edited copy across upgrades.
install(FILES ${TAVRO_PACKAGING}/config.ini DESTINATION /etc/tavro)
file(GLOB_RECURSE TAVRO_UNITS CONFIGURE_DEPENDS ${TAVRO_PACKAGING}/*.service ${TAVRO_PACKAGING}/*.timer)
if(TAVRO_UNITS)
    install(FILES ${TAVRO_UNITS} DESTINATION lib/systemd/system)
endif()
file(GLOB_RECURSE TAVRO_CRON CONFIGURE_DEPENDS ${TAVRO_PACKAGING}/*.cron ${TAVRO_PACKAGING}/*crontab*
    ${TAVRO_PACKAGING}/cron/* ${TAVRO_PACKAGING}/cron.d/*)
if(TAVRO_CRON)
    install(FILES ${TAVRO_CRON} DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavro-transmissor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_CONTACT "Equipe Tavro <suporte@tavro.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "transmissor das movimentações de medicamentos da farmácia ao serviço Tavro")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Lê as movimentações de estoque do banco Firebird do sistema de gestão, envia ao serviço Tavro o que\n"
    "ele ainda não aceitou, grava os protocolos e os acompanha. Inclui a janela (tavro-transmissor), a\n"
    "linha de comando (tavro-cli) e o substituto local do serviço para testes (tavro-sim).")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
# The linked libraries (Qt, fbclient) are found by dpkg-shlibdeps; what is loaded at run time
# is named here: the Qt Firebird driver, the window's platform plugins and the listing's font.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-ibase, qt6-qpa-plugins, fonts-liberation")
# A DATABASE that is a plain file path is opened by Firebird's embedded engine.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "firebird3.0-server-core, qt6-translations-l10n")
file(WRITE ${CMAKE_BINARY_DIR}/debian-control/conffiles "/etc/tavro/config.ini\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian-control/conffiles)
include(CPack)
