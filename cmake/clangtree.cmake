# The Clang build beside this one (scripts/test.sh configures it in NOTERRA_CLANG_TREE, with warnings
# as errors, AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer): its build, the unit and
# window tests again under the sanitizers, the fuzz targets for a fixed time each and clang-tidy run
# as tests of this build, so that one CTest run and its summary say everything.
set(NOTERRA_CLANG_TREE "" CACHE PATH "A configured Clang build whose checks run as tests of this one")
set(NOTERRA_FUZZ_SECONDS 30 CACHE STRING "How long each fuzz target runs in the tests")

if(NOTERRA_CLANG_TREE)
    cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
    add_test(NAME clang_build COMMAND ${CMAKE_COMMAND} --build ${NOTERRA_CLANG_TREE} --parallel ${cores})
    set_tests_properties(clang_build PROPERTIES TIMEOUT 2400 FIXTURES_SETUP clang_tree)

    # LeakSanitizer is on and needs no suppression: no test reports a leak in Qt, fontconfig or the
    # offscreen platform.
    set(sanitizer_environment "ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1"
        "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

    add_test(NAME clang_tidy COMMAND python3 ${PROJECT_SOURCE_DIR}/scripts/clang-tidy.py ${NOTERRA_CLANG_TREE} ${cores})
    set_tests_properties(clang_tidy PROPERTIES TIMEOUT 1800 FIXTURES_REQUIRED clang_tree SKIP_RETURN_CODE 77)
endif()

# The test executable name of the Clang build, once more under the sanitizers, in the C locale.
function(noterra_add_sanitized_test name)
    if(NOT NOTERRA_CLANG_TREE)
        return()
    endif()
    set(environment QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 ${sanitizer_environment}
        XDG_STATE_HOME=${CMAKE_CURRENT_BINARY_DIR}/state/sanitized_${name})
    add_test(NAME sanitized_${name} COMMAND ${NOTERRA_CLANG_TREE}/tests/${name})
    set_tests_properties(sanitized_${name} PROPERTIES TIMEOUT 900 FIXTURES_REQUIRED clang_tree
        ENVIRONMENT "${environment}")
endfunction()

# The fuzz target name of the Clang build for NOTERRA_FUZZ_SECONDS, from its kept seeds; what it
# finds on the way goes to a corpus folder of this build, so the kept seeds stay as they are.
function(noterra_add_fuzz_run name)
    if(NOT NOTERRA_CLANG_TREE)
        return()
    endif()
    set(found ${CMAKE_CURRENT_BINARY_DIR}/fuzz/${name})
    file(MAKE_DIRECTORY ${found})
    add_test(NAME ${name}
        COMMAND ${NOTERRA_CLANG_TREE}/tests/fuzz/${name} -max_total_time=${NOTERRA_FUZZ_SECONDS} -timeout=20
            -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix=${found}/ ${found}
            ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus/${name})
    math(EXPR timeout "${NOTERRA_FUZZ_SECONDS} + 300")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} FIXTURES_REQUIRED clang_tree
        ENVIRONMENT "${sanitizer_environment}")
endfunction()
