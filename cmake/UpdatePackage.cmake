# The Debian package korvel-update_<version>_<arch>.deb, made by CPack from the install rules
# (scripts/package builds it from the release tree). dpkg-shlibdeps finds the libraries the
# programs link; what they load at run time is declared here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvel-update)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Korvel)
set(CPACK_PACKAGE_CONTACT "Korvel update developers <update@korvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "site updater of the Catalex reference-data product")
# The description names every program the package holds.
set(CPACK_PACKAGE_DESCRIPTION
    "Upgrades an installed site of the Catalex reference-data product and the
settings of its companion Plexar from one release to the next. This package
holds the administrator tools: update-reg (the registry store of the
updater), update-cipher (the stored forms of the product's credentials) and
update-sample-site (a sample site to try the updater on) with
update-sample-child (the stand-in for the products' own programs in it), and
update-notify with UpdateNotify.h (the reports of those programs to the
updater).")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libfbclient opens a local database file through the embedded engine, a plugin it loads at
# run time (libEngine12.so of firebird3.0-server-core); dpkg-shlibdeps cannot see that.
set(UPDATE_PACKAGE_DEPENDS firebird3.0-server-core)
list(JOIN UPDATE_PACKAGE_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# unixODBC reaches MSSQL through the FreeTDS driver; an Oracle driver is the site's own.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS tdsodbc)

include(CPack)
