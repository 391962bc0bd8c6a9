# What "cmake --install" puts under the prefix besides the program and its help pages
# (resources/CMakeLists.txt): the simulator under its installed name, the example set-ups, the
# desktop entry, the tm2 type, the icons, the AppStream metainfo and the manual pages.
# Everything the program writes goes to the user's folders, never under the prefix.
include(GNUInstallDirs)

set(TELMIRA_APPSTREAM_ID "fr.telmira.telmira" CACHE STRING
    "AppStream identifier of the program (reverse domain name)")
set(TELMIRA_URL "https://telmira.fr" CACHE STRING
    "Home page of the program; the README's screenshots are published under <url>/captures/")
# The date of this version: that of SOURCE_DATE_EPOCH when set (tools/paquet.sh gives the last
# commit's), so that a package built twice from the same commit is the same.
string(TIMESTAMP TELMIRA_DATE_VERSION "%Y-%m-%d" UTC)
set(TELMIRA_DATADIR "${CMAKE_INSTALL_FULL_DATADIR}")

install(TARGETS telmira RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The simulator keeps its short name in the build tree (scripts and tests run it there);
# installed, its name says what it belongs to.
install(PROGRAMS $<TARGET_FILE:simulateur> DESTINATION ${CMAKE_INSTALL_BINDIR}
        RENAME telmira-simulateur)
if(CMAKE_STRIP)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_STRIP}\"
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/telmira-simulateur\")
        endif()")
endif()

set(bureau ${PROJECT_SOURCE_DIR}/resources/bureau)
install(FILES ${PROJECT_SOURCE_DIR}/resources/demo.tm2 ${PROJECT_SOURCE_DIR}/resources/dosage.tm2
        DESTINATION ${CMAKE_INSTALL_DATADIR}/telmira/exemples)
install(FILES ${bureau}/telmira.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The same text the program writes in the user's folders when it registers the type itself.
install(FILES ${bureau}/telmira.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
configure_file(${bureau}/telmira.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/bureau/${TELMIRA_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/bureau/${TELMIRA_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(icones ${PROJECT_SOURCE_DIR}/resources/icones)
install(FILES ${icones}/telmira.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(taille 16 22 24 32 48 64 128 256)
    install(FILES ${icones}/telmira-${taille}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${taille}x${taille}/apps
            RENAME telmira.png)
endforeach()

# Manual pages, in French: under fr/ for French sessions and in the default section too,
# since the program has no other. Compressed as Debian wants them when gzip is there.
find_program(TELMIRA_GZIP gzip)
set(pages_man)
foreach(page telmira telmira-simulateur)
    set(page_source ${PROJECT_BINARY_DIR}/man/${page}.1)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1.in ${page_source} @ONLY)
    if(TELMIRA_GZIP)
        add_custom_command(OUTPUT ${page_source}.gz
            COMMAND ${TELMIRA_GZIP} -9nkf ${page_source}
            DEPENDS ${page_source}
            COMMENT "Page de manuel ${page}.1")
        list(APPEND pages_man ${page_source}.gz)
    else()
        list(APPEND pages_man ${page_source})
    endif()
endforeach()
add_custom_target(telmira_man ALL DEPENDS ${pages_man})
install(FILES ${pages_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/fr/man1)
install(FILES ${pages_man} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
