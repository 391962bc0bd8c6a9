# telmira_add_test(nom source...) : one QtTest executable registered with CTest,
# run on the offscreen platform with private settings and data folders.
function(telmira_add_test nom)
    # Every test may play an instrument on a pseudo-terminal.
    add_executable(${nom} ${ARGN} ${PROJECT_SOURCE_DIR}/tests/commun/terminalsimule.h
                          ${PROJECT_SOURCE_DIR}/tests/commun/banc.h)
    target_link_libraries(${nom} PRIVATE telmira_ui Qt6::Test)
    add_test(NAME ${nom} COMMAND ${nom})
    set_tests_properties(${nom} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TELMIRA_TEST=1"
        TIMEOUT 300)
endfunction()

# telmira_add_test_noyau(nom source...) : a test of the window-free core, on QCoreApplication
# (QTEST_GUILESS_MAIN); it links no window code at all.
function(telmira_add_test_noyau nom)
    add_executable(${nom} ${ARGN} ${PROJECT_SOURCE_DIR}/tests/commun/terminalsimule.h
                          ${PROJECT_SOURCE_DIR}/tests/commun/banc.h)
    target_link_libraries(${nom} PRIVATE telmira_core Qt6::Test)
    add_test(NAME ${nom} COMMAND ${nom})
    set_tests_properties(${nom} PROPERTIES ENVIRONMENT "TELMIRA_TEST=1" TIMEOUT 300)
endfunction()
