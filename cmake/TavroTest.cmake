# tavro_add_test(NAME name SOURCES files... [LIBS libs...] [LABELS labels...] [FILTER gtest-filter] [SIM])
# One GoogleTest executable per suite, run by ctest with the offscreen platform so
# widget tests need no display. A suite that starts tavro-sim says SIM, so building it
# builds the substitute it runs. A test that skips (GTEST_SKIP) is reported by ctest as
# skipped, not passed: keep a suite's optional cases in a ctest entry of their own
# (tavro_add_test_entry) so a skip never hides the results of the cases that ran.
function(tavro_add_test)
    cmake_parse_arguments(T "SIM" "NAME;FILTER" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE tavro_test_support ${T_LIBS} GTest::gtest)
    add_dependencies(${T_NAME} tavro_test_databases)
    if(T_SIM)
        add_dependencies(${T_NAME} tavro-sim)
    endif()
    tavro_add_test_entry(NAME ${T_NAME} EXECUTABLE ${T_NAME} FILTER "${T_FILTER}" LABELS ${T_LABELS})
endfunction()

# tavro_add_test_entry(NAME name EXECUTABLE suite [FILTER gtest-filter] [LABELS labels...])
# A ctest entry running the cases of a suite that FILTER selects (all by default); an entry
# whose cases all ran out of its filter (renamed, say) fails instead of passing with none.
function(tavro_add_test_entry)
    cmake_parse_arguments(T "" "NAME;EXECUTABLE;FILTER" "LABELS" ${ARGN})
    set(filter)
    if(T_FILTER)
        set(filter --gtest_filter=${T_FILTER})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_EXECUTABLE} ${filter})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVRO_TEST_DATA=${CMAKE_BINARY_DIR}/testdata"
        LABELS "${T_LABELS}"
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from"
        TIMEOUT 600)
endfunction()
