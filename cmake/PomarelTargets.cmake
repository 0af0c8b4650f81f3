# Small helpers shared by every module's CMakeLists: module libraries, test executables
# (GoogleTest, one ctest entry each; under Wine in the Windows builds through
# CMAKE_CROSSCOMPILING_EMULATOR) and the common warning set.

set(POMAREL_WARNINGS -Wall -Wextra -Wno-unused-parameter)

function(pomarel_warnings target)
  target_compile_options(${target} PRIVATE ${POMAREL_WARNINGS})
endfunction()

# A suite's own sources are compiled without optimisation in every build: GoogleTest's templates
# take twice as long to optimise as to compile, and the code under test, in the module
# libraries, keeps the optimisation of its build.
function(pomarel_unoptimised target)
  target_compile_options(${target} PRIVATE -O0)
endfunction()

# pomarel_library(<name> [WINDOWS] SOURCES <files...> [DEPENDS <targets...>])
# One half of a module as a static library that names what it depends on. WINDOWS: a Win32
# half, built by the Windows presets only.
function(pomarel_library name)
  cmake_parse_arguments(L "WINDOWS" "" "SOURCES;DEPENDS" ${ARGN})
  if(L_WINDOWS AND NOT WIN32)
    return()
  endif()
  add_library(${name} STATIC ${L_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_DEPENDS})
  pomarel_warnings(${name})
endfunction()

# pomarel_test(<name> SOURCES <files...> [LIBS <targets...>] [NO_MAIN] [DESKTOP])
# A test executable lands in <build>/tests so it never sits beside the shipped programs.
# NO_MAIN: the suite brings its own main() (the host's Win32 suites, see tests/host/support).
# DESKTOP: the suite shows real windows, so it runs alone on the test display while ctest
# runs the other suites side by side.
function(pomarel_test name)
  cmake_parse_arguments(T "NO_MAIN;DESKTOP" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_NO_MAIN)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  pomarel_warnings(${name})
  pomarel_unoptimised(${name})
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 600
    ENVIRONMENT "POMAREL_BIN=${CMAKE_BINARY_DIR}/bin;POMAREL_SOURCE=${CMAKE_SOURCE_DIR}")
  if(T_DESKTOP)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK desktop)
  endif()
endfunction()
