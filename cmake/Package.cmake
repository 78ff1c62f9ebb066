# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh) makes
# ombrelia_<version>_<architecture>.deb of what `cmake --install` lays down under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ombrelia)
set(CPACK_PACKAGE_VENDOR Korvath)
set(CPACK_PACKAGE_CONTACT "Korvath <support@ombrelia.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Join or append two Microsoft SQL Server tables")
# The long description, its lines wrapped as dpkg shows them.
set(CPACK_PACKAGE_DESCRIPTION "A small wizard for Microsoft SQL Server: two logins, then either
a horizontal join of two tables into a new table, written by the server, or
a vertical append of every row of one table to a table in the other database.
The same jobs run from the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://ombrelia.example/)
# The libraries the program links, as dpkg-shlibdeps finds them; the driver it asks ODBC for:
# FreeTDS, registered as "SQL Server" by odbcinst when the package is configured; and Qt's SVG
# plugins, which draw the window's icon; the Secret Service library, which QtKeychain loads to
# reach the desktop's keyring. The pages are laid out for Arial's metrics.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tdsodbc, odbcinst, libqt6svg6, libsecret-1-0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/packaging/deb/postinst ${PROJECT_SOURCE_DIR}/packaging/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The package's copyright and its changelog (compressed, as Debian keeps changelogs) in
# /usr/share/doc/ombrelia.
set(OMBRELIA_DOC_DIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/ombrelia)
add_custom_command(OUTPUT changelog.gz
  COMMAND gzip -9 -n -c ${PROJECT_SOURCE_DIR}/packaging/deb/changelog > changelog.gz
  DEPENDS packaging/deb/changelog VERBATIM)
add_custom_target(package_changelog ALL DEPENDS changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/deb/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
  DESTINATION ${OMBRELIA_DOC_DIR})
include(CPack)
