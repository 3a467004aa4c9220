# The Windows side: the framework, the installer, the stand-in payload, and the
# component and end-to-end tests (x86_64 tree, run under wine64).

set(MEROLIN_PAYLOAD_DIR "" CACHE PATH
    "Folder holding the seven product files to pack; empty: the stand-in payload of this repository")
set(SZDD_EXECUTABLE "" CACHE FILEPATH "A native szdd command; empty: built from tools/szdd")

# Product code: small, no exceptions, no RTTI, no C++ library at run time.
# Arguments are pushed rather than stored into a frame reserved in advance, which
# needs the stack probes away; they only matter for frames beyond a page, and such
# a frame is an error here. Data keeps the alignment the ABI asks for, not a cache
# line's, and no frame pointer is kept.
add_library(merolin_options INTERFACE)
target_compile_options(merolin_options INTERFACE
  -Os -mno-accumulate-outgoing-args -mno-stack-arg-probe -Werror=frame-larger-than=4000
  -fomit-frame-pointer -malign-data=abi
  -fno-exceptions -fno-rtti -fno-threadsafe-statics -ffunction-sections -fdata-sections
  -fno-asynchronous-unwind-tables -fno-unwind-tables
  -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
target_compile_definitions(merolin_options INTERFACE
  __USE_MINGW_ANSI_STDIO=0 NOMINMAX WINVER=0x0501 _WIN32_WINNT=0x0501 _WIN32_IE=0x0500)
# The layers, one static library each: app -> ui -> install -> ops -> manifest -> afx.
# Each library sees its own folder and, through what it links, the folders below it,
# never one above: an include that points up does not compile.
# merolin_layer(NAME FOLDER [LOWER...]): FOLDER/*.cpp on top of the lower libraries.
function(merolin_layer name folder)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/${folder})
  target_link_libraries(${name} PRIVATE merolin_options PUBLIC ${ARGN})
endfunction()

# The framework: application, windows, dialogs, strings, the two test seams. It
# knows nothing of the product; the entry point belongs to the executable only.
file(GLOB AFX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/framework/*.cpp)
list(REMOVE_ITEM AFX_SOURCES ${CMAKE_SOURCE_DIR}/framework/winmain.cpp ${CMAKE_SOURCE_DIR}/framework/startup.cpp)
add_library(afx STATIC ${AFX_SOURCES})
target_include_directories(afx PUBLIC ${CMAKE_SOURCE_DIR}/framework)
target_link_libraries(afx PRIVATE merolin_options
  PUBLIC comctl32 shell32 ole32 uuid advapi32 gdi32 user32 kernel32)

# The product manifest and the resource identifiers, at the bottom of the installer.
merolin_layer(merolin_manifest manifest afx)
target_include_directories(merolin_manifest PUBLIC ${CMAKE_SOURCE_DIR}/res)
merolin_layer(merolin_ops ops merolin_manifest)
# The payload's compressed header is read by the one reader the codec uses too.
target_include_directories(merolin_ops PRIVATE ${CMAKE_SOURCE_DIR}/tools/szdd/header)
merolin_layer(merolin_install install merolin_ops)
merolin_layer(merolin_ui ui merolin_install)
# app/theapp.cpp holds the one application object and belongs to the executable only.
file(GLOB _app_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*.cpp)
list(REMOVE_ITEM _app_sources ${CMAKE_SOURCE_DIR}/app/theapp.cpp)
add_library(merolin STATIC ${_app_sources})
target_include_directories(merolin PUBLIC ${CMAKE_SOURCE_DIR}/app)
target_link_libraries(merolin PRIVATE merolin_options PUBLIC merolin_ui)

# Linking: static, stripped, no time stamp, only system DLLs, our own small entry point.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_entry _WinMainStartup)
else()
  set(_entry WinMainStartup)
endif()
# No auto-imported data: without the runtime's start-up code nothing would fix it up.
set(MEROLIN_EXE_LINK_OPTIONS -static -s -mwindows -nostartfiles -Wl,-e,${_entry} -Wl,--disable-auto-import
  -Wl,--gc-sections -Wl,--no-insert-timestamp)

include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)

add_executable(MerolinSetup WIN32
  ${CMAKE_SOURCE_DIR}/app/theapp.cpp ${CMAKE_SOURCE_DIR}/framework/winmain.cpp ${CMAKE_SOURCE_DIR}/framework/startup.cpp
  ${CMAKE_SOURCE_DIR}/res/installer.rc ${CMAKE_SOURCE_DIR}/res/release.rc ${MEROLIN_PAYLOAD_RC})
target_link_libraries(MerolinSetup PRIVATE merolin merolin_options)
target_link_options(MerolinSetup PRIVATE ${MEROLIN_EXE_LINK_OPTIONS})
set_target_properties(MerolinSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/release.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/res/app.manifest)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/installer.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/merolin.ico;${CMAKE_SOURCE_DIR}/res/license.txt;${CMAKE_SOURCE_DIR}/res/resource.h")
if(MEROLIN_PAYLOAD_TARGET)
  add_dependencies(MerolinSetup ${MEROLIN_PAYLOAD_TARGET})
  add_custom_command(TARGET MerolinSetup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:MerolinSetup> -DMSZ_DIR=${CMAKE_BINARY_DIR}/payload-msz
            -P ${CMAKE_SOURCE_DIR}/cmake/print-size.cmake
    VERBATIM)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/sign.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/winget.cmake)  # after signing: the hash of the signed exe

if(EXISTS ${CMAKE_SOURCE_DIR}/tests/target/CMakeLists.txt)
  add_subdirectory(tests/target)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()

# Checks of the built executable, run natively.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_pe_format pei-i386)
else()
  set(_pe_format pei-x86-64)
endif()
add_test(NAME release.imports
  COMMAND ${CMAKE_SOURCE_DIR}/tests/release/check-imports.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:MerolinSetup> ${_pe_format})
add_test(NAME release.resources
  COMMAND ${CMAKE_SOURCE_DIR}/tests/release/check-resources.sh $<TARGET_FILE:MerolinSetup>)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  add_test(NAME release.size
    COMMAND ${CMAKE_SOURCE_DIR}/tests/release/check-size.sh $<TARGET_FILE:MerolinSetup>
            ${CMAKE_BINARY_DIR}/payload-msz 49152)
  add_test(NAME release.reproducible
    COMMAND ${CMAKE_SOURCE_DIR}/tests/release/check-reproducible.sh
            ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/repro ${CMAKE_TOOLCHAIN_FILE})
  set_tests_properties(release.reproducible PROPERTIES TIMEOUT 900)
endif()
