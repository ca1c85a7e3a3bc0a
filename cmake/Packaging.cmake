# What an installation holds and the Debian packages made of it (cpack -G DEB, or scripts/package):
#   quorvane          the desktop program, its exception dialog program and packed symbols, the
#                     launcher, the icons, the AppStream metainfo and a man page;
#   quorvane-service  the reference tender service with its systemd unit and /etc/default file;
#   quorvane-tools    quorvane-get, quorvane-skin, quorvane-symbols and quorvane-crashdemo.
# The version is the project's; the release date is that of the newest entry of
# packaging/changelog, which must be for this version.
if(QV_SANITIZE)
  return()
endif()

set(QV_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(QV_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

file(STRINGS ${QV_PACKAGING_DIR}/changelog QV_CHANGELOG_TOP LIMIT_COUNT 1)
file(STRINGS ${QV_PACKAGING_DIR}/changelog QV_CHANGELOG_TRAILER REGEX "^ -- " LIMIT_COUNT 1)
if(NOT QV_CHANGELOG_TOP MATCHES "^quorvane \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog: its newest entry must be for version ${PROJECT_VERSION}")
endif()
if(NOT QV_CHANGELOG_TRAILER MATCHES ">  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: the newest entry has no date")
endif()
set(QV_RELEASE_DAY ${CMAKE_MATCH_1})
set(QV_RELEASE_YEAR ${CMAKE_MATCH_3})
set(QV_MONTH_ABBREVIATIONS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(QV_MONTH_NAMES January February March April May June July August September October November December)
list(FIND QV_MONTH_ABBREVIATIONS ${CMAKE_MATCH_2} QV_MONTH_INDEX)
list(GET QV_MONTH_NAMES ${QV_MONTH_INDEX} QV_MONTH_NAME)
math(EXPR QV_MONTH_NUMBER "${QV_MONTH_INDEX} + 1")
if(QV_MONTH_NUMBER LESS 10)
  set(QV_MONTH_NUMBER 0${QV_MONTH_NUMBER})
endif()
set(QV_RELEASE_DATE ${QV_RELEASE_YEAR}-${QV_MONTH_NUMBER}-${QV_RELEASE_DAY})
set(QV_RELEASE_MONTH "${QV_MONTH_NAME} ${QV_RELEASE_YEAR}")

# The AppStream file is named after its component id.
set(QV_APPSTREAM_ID example.quorvane.Quorvane)
configure_file(${QV_PACKAGING_DIR}/quorvane.metainfo.xml.in
               ${QV_PACKAGING_OUT}/${QV_APPSTREAM_ID}.metainfo.xml @ONLY)

# Man pages and the changelog go into the packages compressed, as Debian has them.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(QV_COMPRESSED_DOCS)
function(qv_compress source name)
  set(plain ${QV_PACKAGING_OUT}/${name})
  add_custom_command(OUTPUT ${plain}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
    COMMAND ${GZIP_PROGRAM} -9nf ${plain}
    DEPENDS ${source}
    VERBATIM)
  list(APPEND QV_COMPRESSED_DOCS ${plain}.gz)
  set(QV_COMPRESSED_DOCS ${QV_COMPRESSED_DOCS} PARENT_SCOPE)
endfunction()
set(QV_MAN_PAGES quorvane quorvane-service quorvane-get quorvane-skin quorvane-symbols quorvane-crashdemo)
foreach(page IN LISTS QV_MAN_PAGES)
  configure_file(${QV_PACKAGING_DIR}/man/${page}.1.in ${QV_PACKAGING_OUT}/man/${page}.1 @ONLY)
  qv_compress(${QV_PACKAGING_OUT}/man/${page}.1 ${page}.1)
endforeach()
qv_compress(${QV_PACKAGING_DIR}/changelog changelog)
add_custom_target(packaging_docs ALL DEPENDS ${QV_COMPRESSED_DOCS})

# A program, with its packed symbol file (tools/CMakeLists.txt) in the private folder.
function(qv_install_program target destination component)
  install(TARGETS ${target} RUNTIME DESTINATION ${destination} COMPONENT ${component})
  get_target_property(packed ${target} QV_SYMBOL_PACKAGE)
  if(packed)
    install(FILES $<TARGET_FILE:${target}>.zor DESTINATION ${QV_INSTALL_PRIVATEDIR} COMPONENT ${component})
  endif()
endfunction()

function(qv_install_docs component package)
  install(FILES ${QV_PACKAGING_DIR}/copyright ${QV_PACKAGING_OUT}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component})
endfunction()

function(qv_install_man_pages component)
  foreach(page IN LISTS ARGN)
    install(FILES ${QV_PACKAGING_OUT}/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${component})
  endforeach()
endfunction()

get_directory_property(QV_ICON_DIR DIRECTORY app DEFINITION QV_ICON_DIR)
qv_install_program(quorvane ${CMAKE_INSTALL_BINDIR} desktop)
qv_install_program(quorvane-crashbox ${QV_INSTALL_PRIVATEDIR} desktop)
install(FILES app/quorvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
install(DIRECTORY ${QV_ICON_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor COMPONENT desktop)
install(FILES ${QV_PACKAGING_OUT}/${QV_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
qv_install_man_pages(desktop quorvane)
qv_install_docs(desktop quorvane)

# The unit and its options live outside the prefix: they are installed by the package only, not
# by a plain "cmake --install", which may go to ~/.local.
qv_install_program(quorvane-service ${CMAKE_INSTALL_BINDIR} service)
install(FILES ${QV_PACKAGING_DIR}/service/quorvane-service.service
        DESTINATION /lib/systemd/system COMPONENT service EXCLUDE_FROM_ALL)
install(FILES ${QV_PACKAGING_DIR}/service/quorvane-service.default RENAME quorvane-service
        DESTINATION /etc/default COMPONENT service EXCLUDE_FROM_ALL)
qv_install_man_pages(service quorvane-service)
qv_install_docs(service quorvane-service)

foreach(tool quorvane-get quorvane-skin quorvane-symbols quorvane-crashdemo)
  qv_install_program(${tool} ${CMAKE_INSTALL_BINDIR} tools)
endforeach()
qv_install_man_pages(tools quorvane-get quorvane-skin quorvane-symbols quorvane-crashdemo)
qv_install_docs(tools quorvane-tools)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR Quorvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quorvane maintainers <maintainers@quorvane.example>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL desktop service tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://quorvane.example/)

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME quorvane)
set(CPACK_DEBIAN_DESKTOP_PACKAGE_SECTION net)
# What the binaries do not name: Qt's platform plugins (X11; Wayland recommended), the fonts the
# windows are laid out with, and the desktop's mail program for the bug report.
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_RECOMMENDS "fonts-liberation, fonts-wine, xdg-utils, qt6-wayland")
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION "desktop client for European public-procurement tenders
Quorvane logs in to a tender service, lists today's public-procurement tenders
from European countries or those that match a keyword, filtered by country,
and shows and prints a tender's full text. The keywords kept with the service
appear as links.
.
A crash reporter turns any failure into a readable bug report, which names
the program's functions through its packed symbols although the program is
stripped.")

set(CPACK_DEBIAN_SERVICE_PACKAGE_NAME quorvane-service)
set(CPACK_DEBIAN_SERVICE_PACKAGE_SECTION net)
set(CPACK_DEBIAN_SERVICE_PACKAGE_DEPENDS "init-system-helpers (>= 1.52)")
# libpq comes from the binary; the server is needed only for a PostgreSQL database.
set(CPACK_DEBIAN_SERVICE_PACKAGE_SUGGESTS postgresql)
set(CPACK_DEBIAN_SERVICE_PACKAGE_CONTROL_EXTRA ${QV_PACKAGING_DIR}/service/conffiles
    ${QV_PACKAGING_DIR}/service/postinst ${QV_PACKAGING_DIR}/service/prerm ${QV_PACKAGING_DIR}/service/postrm)
set(CPACK_COMPONENT_SERVICE_DESCRIPTION "reference tender service for the Quorvane client
quorvane-service serves the tender protocol of the Quorvane desktop client,
over HTTP or HTTPS, from an SQLite file or a PostgreSQL database, which it
fills with a generated corpus of tenders on first start. It can also import
published eForms notices into a database.
.
The package runs it as a systemd unit under a dynamic user, listening on
loopback; its options are read from /etc/default/quorvane-service.")

set(CPACK_DEBIAN_TOOLS_PACKAGE_NAME quorvane-tools)
set(CPACK_DEBIAN_TOOLS_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOLS_PACKAGE_RECOMMENDS quorvane)
set(CPACK_COMPONENT_TOOLS_DESCRIPTION "command-line tools of the Quorvane tender client
quorvane-get sends one HTTP request with the client's own HTTP client,
quorvane-skin builds and lists skin archives, quorvane-symbols packs a
program's debug information for the crash reporter, and quorvane-crashdemo
fails on purpose under the crash reporter to show its bug report.")

include(CPack)
