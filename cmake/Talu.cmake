# Project-wide build settings and helpers shared by every folder.

set(TALU_WARNINGS -Wall -Wextra -Werror)

if(WIN32)
  # The product runs on a bare Windows: no runtime DLLs beside the programs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  # Reproducible programs: no link time stamp, no build folder in strings or debug tables.
  add_link_options(-Wl,--no-insert-timestamp)
  add_compile_options("-ffile-prefix-map=${CMAKE_SOURCE_DIR}=." "-ffile-prefix-map=${CMAKE_BINARY_DIR}=build")
endif()

# The system calls the extraction fuzz target checks (fuzz/FuzzExtract.cpp), wrapped at link time
# in that target and in the regression test that runs its inputs.
set(TALU_FUZZ_EXTRACT_WRAP -Wl,--wrap=open,--wrap=mkdir,--wrap=chmod,--wrap=unlink)

# The real-world archives that tests read where they lie (never copied into the project).
set(TALU_CORPUS_DIR "${CMAKE_SOURCE_DIR}/../shared/corpus" CACHE PATH "Folder of real-world test archives")

option(TALU_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(TALU_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# The engine's helper threads under ThreadSanitizer: only the tests that name a TSAN filter
# (talu_add_test) and zipread's interop tests are built and run there.
option(TALU_TSAN "Build with ThreadSanitizer" OFF)
if(TALU_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
  add_compile_definitions(TALU_TSAN)
endif()

# One ctest run covers every build, and ctest applies test properties by name across all of
# them: tests of the Windows and sanitizer builds carry their build in the name.
if(CMAKE_CROSSCOMPILING AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TALU_TEST_SUFFIX ".wine64")
elseif(CMAKE_CROSSCOMPILING)
  set(TALU_TEST_SUFFIX ".wine")
elseif(TALU_SANITIZE)
  set(TALU_TEST_SUFFIX ".asan")
elseif(TALU_TSAN)
  set(TALU_TEST_SUFFIX ".tsan")
else()
  set(TALU_TEST_SUFFIX "")
endif()

# The Wine prefix of the Windows build's tests (tools/wine/wine-run): one per build, of the
# build's own kind. Tests that run programs under Wine take TALU_WINE_ENV as their environment.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TALU_WINE_ARCH win64)
else()
  set(TALU_WINE_ARCH win32)
endif()
set(TALU_WINE_ENV "TALU_WINE_ROOT=${CMAKE_BINARY_DIR}/wine;TALU_WINE_ARCH=${TALU_WINE_ARCH}")

# Fuzz targets in fuzz/ (clang with libFuzzer; with TALU_SANITIZE in practice).
option(TALU_FUZZ "Build the fuzz targets in fuzz/ (clang with libFuzzer)" OFF)

# Adds a folder when it exists, so parts can arrive one at a time.
function(talu_add_folder dir)
  if(EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt")
    add_subdirectory(${dir})
  endif()
endfunction()

# GoogleTest: the system package natively, Debian's sources for the Windows build.
if(BUILD_TESTING AND NOT TARGET GTest::gtest_main)
  if(CMAKE_CROSSCOMPILING)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# talu_add_library(NAME name SOURCES ... [LIBS ...]): a static library with the project's warnings.
function(talu_add_library)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_library(${A_NAME} STATIC ${A_SOURCES})
  target_compile_options(${A_NAME} PRIVATE ${TALU_WARNINGS})
  target_include_directories(${A_NAME} PUBLIC $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}>)
  target_link_libraries(${A_NAME} PUBLIC ${A_LIBS})
endfunction()

# talu_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [WINE_SERIAL] [TSAN filter])
# A GoogleTest executable registered with ctest as name${TALU_TEST_SUFFIX}; in the Windows build
# ctest runs it under Wine.
# WINE_SERIAL: never at the same time as another such test (restarts or machine-wide state).
# TSAN: the GoogleTest filter of the cases that run under ThreadSanitizer; a test without one is
# not built there.
function(talu_add_test)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(A "WINE_SERIAL" "NAME;TSAN" "SOURCES;LIBS;LABELS" ${ARGN})
  if(TALU_TSAN AND NOT A_TSAN)
    return()
  endif()
  add_executable(${A_NAME} ${A_SOURCES})
  target_compile_options(${A_NAME} PRIVATE ${TALU_WARNINGS})
  # Test code needs neither full optimisation nor debug tables: it compiles about twice as fast
  # (unoptimised under the sanitizers, where that matters most). The libraries keep theirs.
  if(TALU_SANITIZE OR TALU_TSAN)
    target_compile_options(${A_NAME} PRIVATE -O0)
  else()
    target_compile_options(${A_NAME} PRIVATE -O1 -g0)
  endif()
  target_link_libraries(${A_NAME} PRIVATE ${A_LIBS} GTest::gtest_main GTest::gmock)
  set(test ${A_NAME}${TALU_TEST_SUFFIX})
  if(TALU_TSAN)
    add_test(NAME ${test} COMMAND ${A_NAME} --gtest_filter=${A_TSAN})
  else()
    add_test(NAME ${test} COMMAND ${A_NAME})
  endif()
  set(labels ${A_LABELS})
  if(CMAKE_CROSSCOMPILING)
    list(APPEND labels wine)
  else()
    list(APPEND labels native)
  endif()
  if(TALU_SANITIZE OR TALU_TSAN)
    list(APPEND labels sanitize)
  endif()
  set_tests_properties(${test} PROPERTIES LABELS "${labels}" TIMEOUT 600
                       ENVIRONMENT "TALU_SOURCE_DIR=${CMAKE_SOURCE_DIR};TALU_CORPUS_DIR=${TALU_CORPUS_DIR};${TALU_WINE_ENV}")
  if(A_WINE_SERIAL)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK wineprefix${TALU_TEST_SUFFIX})
  endif()
endfunction()


# talu_add_wine_test(NAME name COMMAND ... [FIXTURE fixture] [LOCKS lock...] [TIMEOUT s]
#                    [PREFIX prefix [WOW64]])
# A test of the Windows build whose command is a script that runs programs through wine-run,
# registered as name${TALU_TEST_SUFFIX}. FIXTURE names a fixture of talu_gui_unmanaged_windows.
# PREFIX: a prefix of its own (build/<kind>/wine-<prefix>), for a test that stops or restarts
# its server; WOW64 makes it 64-bit, where the PE32 build's programs run as on 64-bit Windows.
function(talu_add_wine_test)
  cmake_parse_arguments(A "WOW64" "NAME;FIXTURE;TIMEOUT;PREFIX" "COMMAND;LOCKS" ${ARGN})
  set(environment "${TALU_WINE_ENV}")
  if(A_PREFIX)
    set(arch ${TALU_WINE_ARCH})
    if(A_WOW64)
      set(arch win64)
    endif()
    set(environment "TALU_WINE_ROOT=${CMAKE_BINARY_DIR}/wine-${A_PREFIX};TALU_WINE_ARCH=${arch}")
  endif()
  set(test ${A_NAME}${TALU_TEST_SUFFIX})
  add_test(NAME ${test} COMMAND ${A_COMMAND})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${test} PROPERTIES LABELS wine TIMEOUT ${A_TIMEOUT}
                       ENVIRONMENT "${environment}")
  if(A_FIXTURE)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED ${A_FIXTURE}${TALU_TEST_SUFFIX})
  endif()
  if(A_LOCKS)
    set_tests_properties(${test} PROPERTIES RESOURCE_LOCK "${A_LOCKS}")
  endif()
endfunction()
