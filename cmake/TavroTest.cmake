# tavro_add_test(NAME name SOURCES files... [LIBS libs...] [LABELS labels...])
# One GoogleTest executable per suite, run by ctest with the offscreen platform so
# widget tests need no display.
function(tavro_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE tavro_test_support ${T_LIBS} GTest::gtest)
    add_dependencies(${T_NAME} tavro_test_databases)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TAVRO_TEST_DATA=${CMAKE_BINARY_DIR}/testdata"
        LABELS "${T_LABELS}"
        TIMEOUT 600)
endfunction()
