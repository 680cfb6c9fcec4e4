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

file(GLOB TYX_WIN32_SOURCES CONFIGURE_DEPENDS src/platform/win32/*.cpp)
list(FILTER TYX_WIN32_SOURCES EXCLUDE REGEX "(WinMain|TyxPackMain)\\.cpp$")
add_library(tyxwin32 STATIC ${TYX_WIN32_SOURCES})
target_link_libraries(tyxwin32 PUBLIC tyxcore setupapi wininet shell32 ole32 oleaut32 uuid user32 gdi32 advapi32 crypt32 cabinet)
# The program still runs on Windows XP.
target_compile_definitions(tyxwin32 PRIVATE _WIN32_WINNT=0x0501)

# The maker's public keys (PEM, at most two while keys change hands).
set(TYX_PACKAGE_KEYS "" CACHE STRING "PEM files of the public keys that packages are signed with")
option(TYX_SIGNED_PACKAGES_ONLY "Refuse packages without update.inf" OFF)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/generated/PackageKeys.h
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/package_keys.py ${CMAKE_BINARY_DIR}/generated/PackageKeys.h
          ${TYX_PACKAGE_KEYS}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/package_keys.py ${TYX_PACKAGE_KEYS})
add_custom_target(package_keys DEPENDS ${CMAKE_BINARY_DIR}/generated/PackageKeys.h)

function(tyx_program name signedOnly)
  add_executable(${name} WIN32 src/platform/win32/WinMain.cpp src/platform/win32/TyxUpdate.rc)
  add_dependencies(${name} package_keys)
  target_include_directories(${name} PRIVATE ${CMAKE_BINARY_DIR}/generated)
  target_compile_definitions(${name} PRIVATE TYX_SIGNED_ONLY=$<BOOL:${signedOnly}>)
  target_link_libraries(${name} PRIVATE tyxwin32)
endfunction()
# The resource compiler's input names the manifest; without this a changed manifest is not built in.
set_source_files_properties(src/platform/win32/TyxUpdate.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/win32/TyxUpdate.manifest)
tyx_program(TyxUpdate ${TYX_SIGNED_PACKAGES_ONLY})

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
add_executable(TyxPack src/platform/win32/TyxPackMain.cpp)
add_dependencies(TyxPack package_keys)
target_include_directories(TyxPack PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(TyxPack PRIVATE tyxwin32)
target_link_options(TyxPack PRIVATE -municode)
