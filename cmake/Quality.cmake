# Checking builds: sanitizers for the whole build, and libFuzzer targets (clang only). Both are off by default.
option(ORVO_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(ORVO_FUZZ "Build the libFuzzer targets under fuzz/ (needs clang)" OFF)

# Undefined behaviour must fail the run, not print a line and go on.
set(ORVO_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

if(ORVO_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ORVO_FUZZ needs clang (configure with CXX=clang++)")
    endif()
    # Coverage for the fuzzer in every object; only the fuzz targets link libFuzzer's main.
    add_compile_options(-fsanitize=fuzzer-no-link ${ORVO_SANITIZER_FLAGS})
    add_link_options(-fsanitize=address,undefined)
    add_compile_definitions(ORVO_SANITIZERS)
elseif(ORVO_SANITIZE)
    add_compile_options(${ORVO_SANITIZER_FLAGS})
    add_link_options(-fsanitize=address,undefined)
    add_compile_definitions(ORVO_SANITIZERS)
endif()

# What every test process (and the programs it starts) runs with under the sanitizers: stop at the first report,
# with a symbolised stack, and leak checks that skip only the libraries' own one-time allocations.
set(ORVO_SANITIZER_TEST_ENV "")
if(ORVO_SANITIZE OR ORVO_FUZZ)
    set(ORVO_SANITIZER_TEST_ENV
        "ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
        "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"
        "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
endif()
