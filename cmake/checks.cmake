# The builds that catch faults early, beside the ordinary one: warnings as errors, the address and
# undefined-behaviour sanitizers, and libFuzzer's coverage in every library so the fuzz targets see
# into the store and the search.
option(NOTERRA_WERROR "Treat compiler warnings as errors" OFF)
option(NOTERRA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(NOTERRA_SANITIZE)
    # A finding of UBSan ends the process, so the test that met it fails instead of printing a line
    # that nobody reads.
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

if(NOTERRA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "NOTERRA_FUZZ needs clang (libFuzzer); configure with CXX=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
