# Layer 1 natively with the sanitizers; layers 2 and 3 drive the Windows
# builds under Wine.
add_compile_options(-Wall -Wextra -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)

add_library(tyxcore STATIC ${TYX_CORE_SOURCES})
target_include_directories(tyxcore PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(tyxcore PUBLIC
  TYX_HOST_NORVA="${TYX_HOST_NORVA}" TYX_HOST_TALVIK="${TYX_HOST_TALVIK}" TYX_HOST_BREMO="${TYX_HOST_BREMO}")

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB TYX_UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/fakes/*.cpp)
add_executable(tyx_unit_tests ${TYX_UNIT_SOURCES})
target_include_directories(tyx_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tyx_unit_tests PRIVATE tyxcore gtest gtest_main)

enable_testing()
add_test(NAME unit COMMAND tyx_unit_tests --gtest_brief=1)

# The Windows builds: i686 is what ships; this machine's kernel cannot run
# 32-bit code, so Wine runs the x86_64 build of the same sources. That one
# knows the test web hosts, which resolve only inside the tests' namespace.
include(ExternalProject)
set(hosts_i686 ${TYX_HOST_NORVA} ${TYX_HOST_TALVIK} ${TYX_HOST_BREMO})
set(hosts_x86_64 norva.tyx.test talvik.tyx.test bremo.tyx.test)
foreach(arch i686 x86_64)
  list(GET hosts_${arch} 0 norva)
  list(GET hosts_${arch} 1 talvik)
  list(GET hosts_${arch} 2 bremo)
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake -DCMAKE_BUILD_TYPE=Release
               -DTYX_HOST_NORVA=${norva} -DTYX_HOST_TALVIK=${talvik} -DTYX_HOST_BREMO=${bremo}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
endforeach()

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(TYX_FIXTURES ${CMAKE_BINARY_DIR}/fixtures)
add_custom_command(OUTPUT ${TYX_FIXTURES}/simple.cab
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/helpers/make_fixtures.py ${TYX_FIXTURES}
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/helpers/make_fixtures.py ${CMAKE_SOURCE_DIR}/tests/helpers/make_cab.py
  COMMENT "Making the test cabinets")
add_custom_target(fixtures ALL DEPENDS ${TYX_FIXTURES}/simple.cab)
set(TYX_WINE_BUILD ${CMAKE_BINARY_DIR}/windows-x86_64)
set(TYX_E2E_ENV TYX_WIN_BUILD=${TYX_WINE_BUILD} TYX_WORK=${CMAKE_BINARY_DIR}/e2e TYX_FIXTURES=${TYX_FIXTURES}
    TYX_SCREENSHOT=${CMAKE_BINARY_DIR}/e2e/window.bmp)
add_test(NAME shipped_exe COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_shipped_exe.py
         ${CMAKE_BINARY_DIR}/windows-i686/TyxUpdate.exe)
add_test(NAME wine_setup COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/wine.py setup)
add_test(NAME wine_cleanup COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/wine.py cleanup)
add_test(NAME win32_layer COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/wine.py run
         ${TYX_WINE_BUILD}/TyxWin32Tests.exe --gtest_brief=1)
add_test(NAME end_to_end COMMAND ${Python3_EXECUTABLE} -m unittest discover -s ${CMAKE_SOURCE_DIR}/tests/e2e -p "test_*.py")
add_test(NAME web_update COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/webhost.py run-tests web_update_tests)
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine ENVIRONMENT "${TYX_E2E_ENV}")
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT "${TYX_E2E_ENV}")
set_tests_properties(win32_layer end_to_end web_update PROPERTIES FIXTURES_REQUIRED wine ENVIRONMENT "${TYX_E2E_ENV}")

# Fuzzing: libFuzzer needs clang; a short budget in every test run.
ExternalProject_Add(fuzzers
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
  BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)
add_test(NAME fuzz COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/fuzz/run_fuzzers.py ${CMAKE_BINARY_DIR}/fuzz)
