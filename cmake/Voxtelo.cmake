# Build helpers shared by every folder.
#
#   voxtelo_portable_library(<name> <sources...>)   code without windows.h: every build
#   voxtelo_win_library(<name> <sources...>)        Win32 code: Windows build only
#   voxtelo_test(<name> SOURCES ... [LIBS ...] [RESOURCES] [LOCK <resource>...] [TIMEOUT s])
#       a GoogleTest program; portable tests run natively (and are discovered case by case),
#       Windows tests run through the Wine runner as one CTest entry per program.
#   voxtelo_fuzz_test(<name> SOURCES ... INSTRUMENT <library> CORPUS <dir> [DICT file]
#                     [SECONDS s])
#       a libFuzzer program over <library>'s sources rebuilt with coverage (native clang build
#       only); CTest runs it for SECONDS (default 5) starting from the seed corpus in <dir>.

# Off only for a build that measures (benchmarks): sanitizers distort the numbers.
option(VOXTELO_SANITIZE "Native build: AddressSanitizer and UBSan" ON)

set(VOXTELO_WINDOWS OFF)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    set(VOXTELO_WINDOWS ON)
endif()

if(VOXTELO_WINDOWS)
    # All programs and DLLs in one folder, so the simulated tapi32.dll sits beside them.
    set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_compile_definitions(
        WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX TAPI_CURRENT_VERSION=0x00020000)
    add_compile_options(-Wall -Wextra)
    # Static runtime: the programs need only system DLLs.
    add_link_options(-static -static-libgcc -static-libstdc++)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_SOURCE_DIR}/tools/wine.sh run --prefix ${CMAKE_BINARY_DIR}/wineprefix)
else()
    add_compile_options(-Wall -Wextra -g -fno-omit-frame-pointer)
    if(VOXTELO_SANITIZE)
        add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
        add_link_options(-fsanitize=address,undefined)
    endif()
endif()

macro(voxtelo_add_googletest)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    include(GoogleTest)
endmacro()

function(voxtelo_portable_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
endfunction()

function(voxtelo_win_library name)
    if(VOXTELO_WINDOWS)
        add_library(${name} STATIC ${ARGN})
        target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    endif()
endfunction()

# Links the program's resources (templates, strings, icon) into a test or program.
function(voxtelo_link_resources target)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:voxtelo_resources>)
endfunction()

function(voxtelo_test name)
    cmake_parse_arguments(T "WINDOWS;RESOURCES" "TIMEOUT" "SOURCES;LIBS;LOCK" ${ARGN})
    if(T_WINDOWS AND NOT VOXTELO_WINDOWS)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
    if(T_RESOURCES)
        voxtelo_link_resources(${name})
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    if(VOXTELO_WINDOWS)
        add_test(NAME ${name} COMMAND ${name})
        # Each test program serves its own simulated-modem channel, so programs that load the
        # simulated tapi32.dll can run side by side.
        set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
            ENVIRONMENT VOXTELO_SIMMODEM_CHANNEL=${name})
        if(T_LOCK)
            set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
        endif()
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT ${T_TIMEOUT})
    endif()
endfunction()

function(voxtelo_fuzz_test name)
    cmake_parse_arguments(F "" "INSTRUMENT;CORPUS;DICT;SECONDS" "SOURCES" ${ARGN})
    if(VOXTELO_WINDOWS OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        return()
    endif()
    if(NOT F_SECONDS)
        set(F_SECONDS 5)
    endif()
    # The library is compiled again into the fuzzer so that its branches guide the search.
    get_target_property(lib_dir ${F_INSTRUMENT} SOURCE_DIR)
    get_target_property(lib_sources ${F_INSTRUMENT} SOURCES)
    get_target_property(lib_links ${F_INSTRUMENT} LINK_LIBRARIES)
    set(sources ${F_SOURCES})
    foreach(source ${lib_sources})
        if(NOT IS_ABSOLUTE ${source})
            set(source ${lib_dir}/${source})
        endif()
        list(APPEND sources ${source})
    endforeach()
    add_executable(${name} ${sources})
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    set(flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
    target_compile_options(${name} PRIVATE ${flags})
    target_link_options(${name} PRIVATE ${flags})
    if(lib_links)
        target_link_libraries(${name} PRIVATE ${lib_links})
    endif()
    set(options -max_total_time=${F_SECONDS} -print_final_stats=1
                -artifact_prefix=${CMAKE_CURRENT_BINARY_DIR}/${name}-)
    if(F_DICT)
        list(APPEND options -dict=${F_DICT})
    endif()
    # New inputs go to a corpus in the build tree; the seeds in the source tree stay as they are.
    set(work_corpus ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    file(MAKE_DIRECTORY ${work_corpus})
    add_test(NAME ${name} COMMAND ${name} ${options} ${work_corpus} ${F_CORPUS})
    math(EXPR timeout "${F_SECONDS} + 60")
    set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout})
endfunction()
