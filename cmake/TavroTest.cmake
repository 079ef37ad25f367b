# The environment of every ctest entry. In a build with TAVRO_SANITIZE, each process of a test
# (the suite, and the tavro-cli and tavro-sim it starts) writes its AddressSanitizer reports, leaks
# included, to a file of its own in TAVRO_SANITIZER_REPORTS: a report of a child process whose
# failure the test expects, or whose output it does not read, is kept too. ./dev test fails when
# the folder holds one. GCC's UndefinedBehaviorSanitizer writes to the standard error whatever its
# log_path says, and stops the process (-fno-sanitize-recover), which fails the suite or the run
# of the program the suite checks. The leak check does not follow the thread-local storage of
# loaded modules (intercept_tls_get_addr=0): after a suite's many attaches, the Firebird client's
# modules leave an entry there that crashes the check's own tracer at the process's end.
set(TAVRO_TEST_ENVIRONMENT QT_QPA_PLATFORM=offscreen TAVRO_TEST_DATA=${CMAKE_BINARY_DIR}/testdata)

# The Firebird engine inside a test's process (which opens the suites' database files) looks up
# its user mappings in the security database, and holds it open meanwhile: the machine's Firebird
# server then refuses every login, the suites' server cases among them. The tests run with a
# Firebird root of their own, the system's files but for a security database of its own (a
# copy, where the system's is readable).
execute_process(COMMAND fb_config --msgdir OUTPUT_VARIABLE TAVRO_FIREBIRD_SYSTEM OUTPUT_STRIP_TRAILING_WHITESPACE
    RESULT_VARIABLE TAVRO_FB_CONFIG_RESULT)
set(TAVRO_SYSTEM_SECURITY_DATABASE /var/lib/firebird/3.0/system/security3.fdb)
if(TAVRO_FB_CONFIG_RESULT EQUAL 0 AND IS_DIRECTORY "${TAVRO_FIREBIRD_SYSTEM}" AND EXISTS ${TAVRO_SYSTEM_SECURITY_DATABASE})
    set(TAVRO_TEST_FIREBIRD ${CMAKE_BINARY_DIR}/test-firebird)
    file(REMOVE_RECURSE ${TAVRO_TEST_FIREBIRD})
    file(MAKE_DIRECTORY ${TAVRO_TEST_FIREBIRD})
    # Its password hashes are for this account alone.
    execute_process(COMMAND install -m 600 ${TAVRO_SYSTEM_SECURITY_DATABASE} ${TAVRO_TEST_FIREBIRD}/security3.fdb
        RESULT_VARIABLE TAVRO_SECURITY_COPY_RESULT ERROR_QUIET)
    if(TAVRO_SECURITY_COPY_RESULT EQUAL 0)
        file(GLOB TAVRO_FIREBIRD_ENTRIES RELATIVE "${TAVRO_FIREBIRD_SYSTEM}" "${TAVRO_FIREBIRD_SYSTEM}/*")
        foreach(entry IN LISTS TAVRO_FIREBIRD_ENTRIES)
            if(entry STREQUAL "intl")
                # The engine takes no character set module reached through a link.
                file(COPY ${TAVRO_FIREBIRD_SYSTEM}/intl DESTINATION ${TAVRO_TEST_FIREBIRD})
            elseif(NOT entry STREQUAL "firebird.conf")
                file(CREATE_LINK ${TAVRO_FIREBIRD_SYSTEM}/${entry} ${TAVRO_TEST_FIREBIRD}/${entry} SYMBOLIC)
            endif()
        endforeach()
        file(READ ${TAVRO_FIREBIRD_SYSTEM}/firebird.conf TAVRO_FIREBIRD_CONF)
        file(WRITE ${TAVRO_TEST_FIREBIRD}/firebird.conf
            "${TAVRO_FIREBIRD_CONF}\nSecurityDatabase = ${TAVRO_TEST_FIREBIRD}/security3.fdb\n")
        list(APPEND TAVRO_TEST_ENVIRONMENT FIREBIRD=${TAVRO_TEST_FIREBIRD})
    endif()
endif()
if(TAVRO_SANITIZE)
    set(TAVRO_SANITIZER_REPORTS ${CMAKE_BINARY_DIR}/sanitizer-reports)
    file(MAKE_DIRECTORY ${TAVRO_SANITIZER_REPORTS})
    list(APPEND TAVRO_TEST_ENVIRONMENT
        ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0:log_path=${TAVRO_SANITIZER_REPORTS}/asan
        LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0
        UBSAN_OPTIONS=print_stacktrace=1)
endif()

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
# An entry labelled "server" runs alone.
function(tavro_add_test_entry)
    cmake_parse_arguments(T "" "NAME;EXECUTABLE;FILTER" "LABELS" ${ARGN})
    set(filter)
    if(T_FILTER)
        set(filter --gtest_filter=${T_FILTER})
    endif()
    add_test(NAME ${T_NAME} COMMAND ${T_EXECUTABLE} ${filter})
    set_tests_properties(${T_NAME} PROPERTIES
        ENVIRONMENT "${TAVRO_TEST_ENVIRONMENT}"
        LABELS "${T_LABELS}"
        SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
        FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from"
        TIMEOUT 600)
    # A suite's own database files are opened by the Firebird engine inside its process,
    # which holds the machine's security database while it does: the server then refuses
    # every login. The cases against the server run while nothing else does.
    if("server" IN_LIST T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES RUN_SERIAL TRUE)
    endif()
endfunction()
