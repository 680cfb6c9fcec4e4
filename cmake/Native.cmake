# Layer 1 natively with the sanitizers; layers 2 and 3 drive the Windows
# builds under Wine.
add_compile_options(-Wall -Wextra -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)

add_library(tyxcore STATIC ${TYX_CORE_SOURCES})
target_include_directories(tyxcore PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(tyxcore PUBLIC
  TYX_HOST_NORVA="${TYX_HOST_NORVA}" TYX_HOST_TALVIK="${TYX_HOST_TALVIK}" TYX_HOST_BREMO="${TYX_HOST_BREMO}"
  TYX_STALL_SECONDS=${TYX_STALL_SECONDS} TYX_MAX_PACKAGE_MIB=${TYX_MAX_PACKAGE_MIB})

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB TYX_UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp tests/fakes/*.cpp)
add_executable(tyx_unit_tests ${TYX_UNIT_SOURCES})
target_include_directories(tyx_unit_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(tyx_unit_tests PRIVATE tyxcore gtest gtest_main)
target_compile_options(tyx_unit_tests PRIVATE -Wno-missing-field-initializers)  # rows leave trailing fields out

enable_testing()
include(GoogleTest)
gtest_discover_tests(tyx_unit_tests TEST_PREFIX "unit." PROPERTIES LABELS unit)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The Windows builds: i686 is what ships, x86_64 is the same sources, quicker under Wine here. Both know the
# test web hosts, which resolve only inside the tests' namespace; a release build sets the maker's own. A
# stalled download gives up after 10 s there, so that the stalling host's row does not wait a minute a try.
# The x86_64 one lists its Win32 layer cases under Wine once built, in a prefix of its own kept between builds,
# which each test run copies as its own.
include(ExternalProject)
set(TYX_E2E_WORK ${CMAKE_BINARY_DIR}/e2e)
set(wine_run_x86_64 ${Python3_EXECUTABLE})
# The tests' key pair, and a second one that the program does not trust. Both public keys and their folder are
# marked as test keys, which a release build refuses.
set(TYX_TEST_KEYS ${CMAKE_BINARY_DIR}/keys)
foreach(key test other)
  if(NOT EXISTS ${TYX_TEST_KEYS}/${key}.pub.pem)
    file(WRITE ${TYX_TEST_KEYS}/TEST-KEYS "Keys of the tests, whose private keys lie here: never in a release build.\n")
    execute_process(COMMAND openssl genrsa -out ${TYX_TEST_KEYS}/${key}.pem 3072 COMMAND_ERROR_IS_FATAL ANY
                    ERROR_QUIET)
    execute_process(COMMAND openssl rsa -in ${TYX_TEST_KEYS}/${key}.pem -pubout OUTPUT_VARIABLE pem
                    COMMAND_ERROR_IS_FATAL ANY ERROR_QUIET)
    file(WRITE ${TYX_TEST_KEYS}/${key}.pub.pem "TyxUpdate test key: never in a release build\n${pem}")
  endif()
endforeach()
# A test CA and the code-signing certificate it issued, in place of the maker's.
set(TYX_TEST_CODESIGN ${CMAKE_BINARY_DIR}/codesign)
if(NOT EXISTS ${TYX_TEST_CODESIGN}/codesign.pem)
  file(WRITE ${TYX_TEST_CODESIGN}/ext.cnf "basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                          "extendedKeyUsage=codeSigning\n")
  execute_process(COMMAND openssl req -x509 -newkey rsa:3072 -nodes -days 3650 -subj "/CN=TyxUpdate test CA"
                          -keyout ${TYX_TEST_CODESIGN}/ca.key -out ${TYX_TEST_CODESIGN}/ca.pem
                  COMMAND_ERROR_IS_FATAL ANY ERROR_QUIET)
  execute_process(COMMAND openssl req -new -newkey rsa:3072 -nodes -subj "/O=Tyx test/CN=Tyx test code signing"
                          -keyout ${TYX_TEST_CODESIGN}/codesign.key
                  COMMAND openssl x509 -req -CA ${TYX_TEST_CODESIGN}/ca.pem -CAkey ${TYX_TEST_CODESIGN}/ca.key
                          -set_serial 1 -days 3650 -extfile ${TYX_TEST_CODESIGN}/ext.cnf
                          -out ${TYX_TEST_CODESIGN}/codesign.pem
                  COMMAND_ERROR_IS_FATAL ANY ERROR_QUIET)
endif()
foreach(arch i686 x86_64)
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake -DCMAKE_BUILD_TYPE=Release
               -DTYX_WINE_RUN=${wine_run_${arch}}
               -DTYX_HOST_NORVA=norva.tyx.test -DTYX_HOST_TALVIK=talvik.tyx.test -DTYX_HOST_BREMO=bremo.tyx.test
               -DTYX_STALL_SECONDS=10
               -DTYX_WINE_LIST_DIR=${CMAKE_BINARY_DIR}/wine-list
               -DTYX_TEST_BUILD=ON -DTYX_PACKAGE_KEYS=${TYX_TEST_KEYS}/test.pub.pem
               -DTYX_CODESIGN_CERT=${TYX_TEST_CODESIGN}/codesign.pem -DTYX_CODESIGN_KEY=${TYX_TEST_CODESIGN}/codesign.key
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON
    STEP_TARGETS configure)
endforeach()
# What the demo runs, without the tests' programs: the whole build takes several times as long.
add_custom_target(demo-programs USES_TERMINAL
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}/windows-i686 --target TyxUpdate
  COMMAND ${CMAKE_COMMAND} --build ${CMAKE_BINARY_DIR}/windows-x86_64 --target TyxPack StubApp)
add_dependencies(demo-programs windows-i686-configure windows-x86_64-configure)

set(wine_py ${CMAKE_SOURCE_DIR}/tests/e2e/wine.py)
add_test(NAME wine_setup COMMAND ${Python3_EXECUTABLE} ${wine_py} setup)
add_test(NAME wine_cleanup COMMAND ${Python3_EXECUTABLE} ${wine_py} cleanup)
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine
  ENVIRONMENT "TYX_WORK=${TYX_E2E_WORK};TYX_WINE_TEMPLATE=${CMAKE_BINARY_DIR}/wine-list/e2e/wineprefix")
set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine ENVIRONMENT TYX_WORK=${TYX_E2E_WORK})
add_test(NAME i686.shipped_exe COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/check_shipped_exe.py
         ${TYX_TEST_CODESIGN}/ca.pem ${CMAKE_BINARY_DIR}/windows-i686/TyxUpdate.exe
         ${CMAKE_BINARY_DIR}/windows-i686/TyxPack.exe)
set_tests_properties(i686.shipped_exe PROPERTIES LABELS "i686;release")

# Layer 2: the cases the x86_64 build listed, one entry each, in the test run's prefix. The i686 build runs
# them all in one process: every emulated 32-bit process start costs about a minute of processor time.
set(listed "${CMAKE_BINARY_DIR}/windows-x86_64/TyxWin32Tests[1]_tests.cmake")
file(CONFIGURE OUTPUT win32-x86_64.cmake @ONLY CONTENT [[
if(EXISTS "@listed@")
  include("@listed@")
  set_tests_properties(${TyxWin32Tests_TESTS} PROPERTIES LABELS win32 FIXTURES_REQUIRED wine
    ENVIRONMENT "TYX_WORK=@TYX_E2E_WORK@")
else()
  add_test(win32.x86_64.NOT_BUILT "@CMAKE_COMMAND@" -E false)
endif()
]])
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/win32-x86_64.cmake)
add_test(NAME win32.i686 COMMAND ${Python3_EXECUTABLE} ${wine_py} run
         ${CMAKE_BINARY_DIR}/windows-i686/TyxWin32Tests.exe --gtest_brief=1)
set_tests_properties(win32.i686 PROPERTIES LABELS "win32;i686" FIXTURES_REQUIRED wine
  ENVIRONMENT "TYX_WORK=${TYX_E2E_WORK}")

# Layer 3: one entry per Python scenario ("module.Class.test_name"), read from the test files. The x86_64
# build runs them all; the shipped i686 build, several times slower under emulation, a representative set.
function(tyx_scenarios file out)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  get_filename_component(module ${file} NAME_WE)
  file(STRINGS ${file} lines REGEX "^class |^    def test_")
  set(cases)
  foreach(line IN LISTS lines)
    if(line MATCHES "^class ([A-Za-z0-9_]+)")
      set(class ${CMAKE_MATCH_1})
    elseif(line MATCHES "def (test_[A-Za-z0-9_]+)")
      list(APPEND cases ${module}.${class}.${CMAKE_MATCH_1})
    endif()
  endforeach()
  set(${out} ${cases} PARENT_SCOPE)
endfunction()
set(TYX_I686_SCENARIOS
  LocalUpdate.test_installed_under_another_name
  LocalUpdate.test_running_instance_is_asked_to_quit_and_awaited
  LocalUpdate.test_killed_while_copying_and_while_restoring_then_installed
  WebUpdate.test_release_channel_over_https_and_type_2_through_the_proxy
  WebUpdate.test_failed_downloads_leave_the_window_open_and_change_nothing
  WebUpdate.test_broken_downloads_go_on_where_they_broke
  WebUpdate.test_delta_packages
  SignedPackages.test_updates)
set(e2e_dir ${CMAKE_SOURCE_DIR}/tests/e2e)
tyx_scenarios(${e2e_dir}/test_local_update.py local)
tyx_scenarios(${e2e_dir}/test_signed_packages.py signed)
tyx_scenarios(${e2e_dir}/web_update_tests.py web)
foreach(case IN LISTS local signed web)
  string(REGEX REPLACE "^[a-z_]+\\." "" name ${case})
  if(case IN_LIST web)
    set(command ${e2e_dir}/webhost.py run-tests ${case})
    set(labels e2e web)
  else()
    set(command -m unittest ${case})
    set(labels e2e)
  endif()
  set(archs x86_64)
  if(name IN_LIST TYX_I686_SCENARIOS)
    list(APPEND archs i686)
  endif()
  foreach(arch IN LISTS archs)
    set(test_labels ${labels})
    if(arch STREQUAL i686)
      list(APPEND test_labels i686)
    endif()
    add_test(NAME ${arch}.${name} COMMAND ${Python3_EXECUTABLE} ${command} WORKING_DIRECTORY ${e2e_dir})
    set_tests_properties(${arch}.${name} PROPERTIES LABELS "${test_labels}" FIXTURES_REQUIRED wine
      ENVIRONMENT "TYX_WIN_BUILD=${CMAKE_BINARY_DIR}/windows-x86_64;TYX_UPDATER=${CMAKE_BINARY_DIR}/windows-${arch}/TyxUpdate.exe;TYX_WORK=${TYX_E2E_WORK};TYX_KEYS=${TYX_TEST_KEYS};TYX_ARCH=${arch}")
  endforeach()
endforeach()

# The guides: their links and named paths, and TyxPack's runnable examples under Wine.
add_test(NAME docs.guides COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/docs/check_docs.py)
set_tests_properties(docs.guides PROPERTIES LABELS docs FIXTURES_REQUIRED wine
  ENVIRONMENT "TYX_WIN_BUILD=${CMAKE_BINARY_DIR}/windows-x86_64;TYX_WORK=${TYX_E2E_WORK};TYX_KEYS=${TYX_TEST_KEYS}")

# Fuzzing: libFuzzer needs clang; a short budget for each target in every test run.
ExternalProject_Add(fuzzers
  SOURCE_DIR ${CMAKE_SOURCE_DIR}/tests/fuzz
  BINARY_DIR ${CMAKE_BINARY_DIR}/fuzz
  CMAKE_ARGS -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)
# libFuzzer runs the kept inputs first, failing on any that crashes again, then fuzzes into the corpus.
set(TYX_FUZZ_SECONDS 20 CACHE STRING "Seconds each fuzz target fuzzes in a test run")
foreach(target cabinet_names package_inf)
  set(out ${CMAKE_BINARY_DIR}/fuzz)
  file(MAKE_DIRECTORY ${out}/corpus/${target} ${out}/artifacts/${target})
  add_test(NAME fuzz.${target} COMMAND ${out}/fuzz_${target} -max_total_time=${TYX_FUZZ_SECONDS} -timeout=10
           -rss_limit_mb=2048 -artifact_prefix=${out}/artifacts/${target}/ ${out}/corpus/${target}
           ${CMAKE_SOURCE_DIR}/tests/fuzz/regressions/${target})
  set_tests_properties(fuzz.${target} PROPERTIES LABELS fuzz)
endforeach()
