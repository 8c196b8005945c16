# `cpack -G DEB` in the build tree makes votkbox_<version>_<arch>.deb from
# everything the install rules install, so a program added later with
# install(TARGETS ... DESTINATION bin) is packaged, stripped and has its
# libraries counted in Depends without a change here (Qt, hidapi, udev and
# Qwt, libqwt-qt5-6, for the signal plot).

set(VOTKBOX_MAINTAINER "votkbox developers <votkbox@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

# What Debian wants in every package's documentation directory. The changelog
# entry is dated by SOURCE_DATE_EPOCH when set, for reproducible packages.
string(TIMESTAMP VOTKBOX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
votk_gzip_install(${CMAKE_CURRENT_BINARY_DIR}/changelog share/doc/votkbox)
install(FILES copyright DESTINATION share/doc/votkbox)
install(FILES lintian-overrides DESTINATION share/lintian/overrides RENAME votkbox)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME votkbox)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VOTKBOX_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tool for the VOTK-WIFI BOX, a USB box with CAN and WiFi")
set(CPACK_PACKAGE_DESCRIPTION "Connects to the VOTK-WIFI BOX over USB HID, by hand or as soon as
it is plugged in. Reads the box's software and hardware identity, sets
its WiFi name and password, sends CAN frames and shows the frames the box
reports, and upgrades the box's firmware from an upgrade file. The
command-line companion votkbox-cli does the same from scripts.
.
A udev rule gives the user at the seat and the group plugdev access to
the box.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Chinese glyphs for the default interface language; Qt's own texts (file
# dialog, standard buttons) in Chinese, which the tool does not load yet.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, qttranslations5-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/postinst ${CMAKE_CURRENT_SOURCE_DIR}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_STRIP_FILES ON)

# Install with DESTDIR and the real prefix, so that paths written at install
# time (the desktop entry's Exec) name /usr and not the staging directory.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON)

include(CPack)
