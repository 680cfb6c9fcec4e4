# TyxUpdate.exe and the Windows-side test programs.
enable_language(RC)
add_compile_options(-Wall -Wextra)
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE)

add_library(tyxcore STATIC ${TYX_CORE_SOURCES})
target_include_directories(tyxcore PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_compile_definitions(tyxcore PUBLIC
  TYX_HOST_NORVA="${TYX_HOST_NORVA}" TYX_HOST_TALVIK="${TYX_HOST_TALVIK}" TYX_HOST_BREMO="${TYX_HOST_BREMO}"
  TYX_STALL_SECONDS=${TYX_STALL_SECONDS} TYX_MAX_PACKAGE_MIB=${TYX_MAX_PACKAGE_MIB})

# The Win32 layer; the programs' entry points stand above it in src/, as they start the update logic.
file(GLOB TYX_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
add_library(tyxwin32 STATIC ${TYX_WIN32_SOURCES})
target_link_libraries(tyxwin32 PUBLIC tyxcore setupapi wininet shell32 ole32 oleaut32 uuid user32 gdi32 advapi32 crypt32 cabinet)
# The program still runs on Windows XP.
target_compile_definitions(tyxwin32 PRIVATE _WIN32_WINNT=0x0501)

# The maker's public keys (PEM, at most two while keys change hands), read when configuring: a release build
# stops there on a key that no shipped updater may trust, a test build takes the test setup's.
set(TYX_PACKAGE_KEYS "" CACHE STRING "PEM files of the public keys that packages are signed with")
option(TYX_TEST_BUILD "A build for the tests: test keys and certificates, no key required" OFF)
option(TYX_SIGNED_PACKAGES_ONLY "Refuse packages without update.inf" OFF)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(test_build)
if(TYX_TEST_BUILD)
  set(test_build --test-build)
endif()
set(key_files)
foreach(key IN LISTS TYX_PACKAGE_KEYS)
  file(REAL_PATH ${key} key)  # relative to the source folder
  list(APPEND key_files ${key})
endforeach()
execute_process(COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/package_keys.py
                        ${CMAKE_BINARY_DIR}/generated/PackageKeys.h ${test_build} ${key_files}
                RESULT_VARIABLE failed ERROR_VARIABLE refusal)
if(failed)
  message(FATAL_ERROR "${refusal}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/package_keys.py ${key_files})

# Code signing, so that virus scanners and SmartScreen see the maker's name on the shipped programs: a
# certificate chain and its key (PEM or DER), or both in one PKCS#12 file; a password, if any, in a file.
set(TYX_CODESIGN_CERT "" CACHE FILEPATH "Code-signing certificate, with its chain (PEM or DER)")
set(TYX_CODESIGN_KEY "" CACHE FILEPATH "Private key of the code-signing certificate (PEM or DER)")
set(TYX_CODESIGN_PKCS12 "" CACHE FILEPATH "Code-signing certificate and key in one PKCS#12 file, instead")
set(TYX_CODESIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the password of the key or the PKCS#12 file")
set(TYX_CODESIGN_TIMESTAMP "" CACHE STRING "RFC 3161 time-stamp server (empty: no time stamp)")
set(codesign)
if(TYX_CODESIGN_PKCS12)
  set(codesign -pkcs12 ${TYX_CODESIGN_PKCS12})
elseif(TYX_CODESIGN_CERT AND TYX_CODESIGN_KEY)
  set(codesign -certs ${TYX_CODESIGN_CERT} -key ${TYX_CODESIGN_KEY})
elseif(TYX_CODESIGN_CERT OR TYX_CODESIGN_KEY)
  message(FATAL_ERROR "TyxUpdate: code signing needs both TYX_CODESIGN_CERT and TYX_CODESIGN_KEY (or TYX_CODESIGN_PKCS12).")
elseif(NOT TYX_TEST_BUILD)
  message(WARNING "TyxUpdate: TyxUpdate.exe and TyxPack.exe will not be code-signed (no TYX_CODESIGN_CERT and "
                  "TYX_CODESIGN_KEY, nor TYX_CODESIGN_PKCS12).")
endif()
if(codesign)
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  if(TYX_CODESIGN_PASSWORD_FILE)
    list(APPEND codesign -readpass ${TYX_CODESIGN_PASSWORD_FILE})
  endif()
  if(TYX_CODESIGN_TIMESTAMP)
    list(APPEND codesign -ts ${TYX_CODESIGN_TIMESTAMP})
  endif()
endif()
function(tyx_codesign target description)
  if(codesign)
    set(exe $<TARGET_FILE:${target}>)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E rm -f ${exe}.signed
      COMMAND ${OSSLSIGNCODE} sign ${codesign} -h sha256 -n ${description} -in ${exe} -out ${exe}.signed
      COMMAND ${CMAKE_COMMAND} -E rename ${exe}.signed ${exe}
      VERBATIM)
  endif()
endfunction()

function(tyx_program name signedOnly)
  add_executable(${name} WIN32 src/TyxUpdateMain.cpp src/platform/win32/TyxUpdate.rc)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_compile_definitions(${name} PRIVATE TYX_SIGNED_ONLY=$<BOOL:${signedOnly}>)
  target_link_libraries(${name} PRIVATE tyxwin32)
endfunction()
# The resource compiler's input names the manifest; without this a changed manifest is not built in.
set_source_files_properties(src/platform/win32/TyxUpdate.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/TyxUpdate.manifest)
tyx_program(TyxUpdate ${TYX_SIGNED_PACKAGES_ONLY})
tyx_codesign(TyxUpdate "TyxUpdate")

# Layer 2: the Win32 layer against Wine's real services.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB TYX_WIN32_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
add_executable(TyxWin32Tests ${TYX_WIN32_TEST_SOURCES})
target_link_libraries(TyxWin32Tests PRIVATE tyxwin32 gtest gtest_main)
target_compile_definitions(TyxWin32Tests PRIVATE _WIN32_WINNT=0x0600)
target_include_directories(TyxWin32Tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
if(TYX_WINE_RUN)
  # The cases, listed under Wine; the test build's CTest runs them in its own prefix.
  include(GoogleTest)
  file(MAKE_DIRECTORY ${TYX_WINE_LIST_DIR})
  set_property(TARGET TyxWin32Tests PROPERTY CROSSCOMPILING_EMULATOR
               ${TYX_WINE_RUN} ${CMAKE_SOURCE_DIR}/tests/e2e/wine.py run)
  gtest_discover_tests(TyxWin32Tests TEST_PREFIX "win32.${CMAKE_SYSTEM_PROCESSOR}." DISCOVERY_TIMEOUT 1800
                       WORKING_DIRECTORY ${TYX_WINE_LIST_DIR})
endif()

# Stand-ins for the products in the end-to-end runs.
add_executable(StubApp WIN32 tests/helpers/StubApp.cpp)
target_link_libraries(StubApp PRIVATE user32)
add_executable(DismissBox tests/helpers/DismissBox.cpp)
target_link_libraries(DismissBox PRIVATE user32)
target_link_options(DismissBox PRIVATE -municode)

# The benchmark's floor of the platform; not shipped.
add_executable(Floor bench/Floor.cpp)
target_link_libraries(Floor PRIVATE wininet setupapi)
target_link_options(Floor PRIVATE -municode)

# For the tests: the updater as built with TYX_SIGNED_PACKAGES_ONLY on.
tyx_program(TyxUpdateSignedOnly ON)

# The release engineers' packaging tool, shipped beside the updater.
add_executable(TyxPack src/TyxPackMain.cpp)
target_include_directories(TyxPack PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(TyxPack PRIVATE tyxwin32)
target_link_options(TyxPack PRIVATE -municode)
tyx_codesign(TyxPack "TyxPack")
