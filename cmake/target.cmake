# The Windows side: the framework, the installer, the stand-in payload, and the
# component and end-to-end tests (x86_64 tree, run under wine64).

set(MEROLIN_PAYLOAD_DIR "" CACHE PATH
    "Folder holding the seven product files to pack; empty: the stand-in payload of this repository")
set(SZDD_EXECUTABLE "" CACHE FILEPATH "A native szdd command; empty: built from tools/szdd")

# Product code: small, no exceptions, no RTTI, no C++ library at run time. One
# flag a line, with what it is for. The x86_64 tree, which the component and
# end-to-end tests run, takes the very same flags rather than options of its own:
# it stands in for the shipped i686 code, and several of these change what the code
# does, not only how big it is (no exceptions, no thread-safe statics, no unwind
# tables, the frame limit), so a test must see the code as it ships. The x86-only
# ones (argument pushing, stack probes, data alignment) are valid for both.
add_library(merolin_options INTERFACE)
target_compile_options(merolin_options INTERFACE
  # Smallest code: the installer's own part of the download has a budget (release.size).
  # -Oz rather than -Os: shorter encodings where they cost a few more instructions
  # (push and pop for a constant, say), which an installer never notices.
  -Oz
  # A function called from one place is not merged into its caller: measured, that
  # makes this program's code smaller, not larger (850 bytes of the whole-program
  # compile; the callers are long, and what is merged into them costs more than a call).
  -fno-inline-functions-called-once
  # No loop optimisations (induction variables, invariant motion, unrolling...): the
  # installer's loops are short and few, and the code 80 bytes smaller without them.
  -fno-tree-loop-optimize
  # A switch is a chain of comparisons, never a table of addresses in the read-only
  # data: each entry of such a table is a relocation besides.
  -fno-jump-tables
  # Equal read-only constants (texts, tables) are kept once, also where they are
  # variables of different names; nothing here tells two constants apart by address.
  -fmerge-all-constants
  # Arguments are pushed rather than stored into a frame reserved in advance: shorter
  # calls, and the code is mostly calls into the system. Pushing is only right
  # without stack probes (GCC warns otherwise), hence the next two flags.
  -mno-accumulate-outgoing-args
  # No stack probe for large frames: a probe only matters for a frame beyond a page...
  -mno-stack-arg-probe
  # ...and such a frame is a compile error here.
  -Werror=frame-larger-than=4000
  # No frame pointer: a register more and no prologue to keep it.
  -fomit-frame-pointer
  # Data aligned as the ABI asks, not to a cache line: tables and strings pack tighter.
  -malign-data=abi
  # No exceptions: the framework reports failures by return values, and no unwinder
  # is linked in.
  -fno-exceptions
  # No run-time type information: nothing uses dynamic_cast or typeid.
  -fno-rtti
  # No guard around function-local statics: the installer runs its windows on one
  # thread, and the guards would bring the C++ runtime's locking in.
  -fno-threadsafe-statics
  # Each function and datum in a section of its own, so that the linker's
  # --gc-sections can drop whatever nothing calls.
  -ffunction-sections
  -fdata-sections
  # No unwind tables: without exceptions nothing reads them.
  -fno-asynchronous-unwind-tables
  -fno-unwind-tables
  # Each object carries the compiler's intermediate form beside its machine code: the
  # exe is compiled once more as a whole at its link (MEROLIN_EXE_LINK_OPTIONS), while
  # the test programs link the machine code as it is.
  -flto
  -ffat-lto-objects
  # 32-bit Windows keeps the stack 4-byte aligned, and calls the window and dialog
  # procedures so; GCC's 16-byte default only adds code to every frame that keeps
  # it. Nothing here needs more (no SSE), so the ABI's own 4 bytes it is.
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-mpreferred-stack-boundary=2>
  # The 386's instruction set: the shipped exe runs on every processor that any Windows
  # it supports ran on, down to the 386 of Windows 95. The compiler's own default for
  # this target is the Pentium Pro's, whose conditional moves stop a 486, a Pentium or a
  # K6 at the first one; the Pentium's set would give the same code here, and the 386's
  # costs nothing over it (release.instructions holds the exe to it).
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-march=i386>
  # Among those, the forms chosen as for a Pentium: 56 bytes shorter than as for a 386
  # (-mtune picks, it never adds instructions; the x86_64 compiler knows no such 32-bit
  # processor).
  $<$<STREQUAL:${CMAKE_SYSTEM_PROCESSOR},i686>:-mtune=pentium>
  # Warnings on...
  -Wall
  -Wextra
  # ...but message handlers and system callbacks have fixed signatures whose
  # parameters they need not use,
  -Wno-unused-parameter
  # and procedures found at run time (GetProcAddress) and message-map entries are
  # cast between function types on purpose.
  -Wno-cast-function-type)
target_compile_definitions(merolin_options INTERFACE
  # No min and max macros from windows.h.
  NOMINMAX
  # The headers declare nothing newer than Windows XP and Internet Explorer 5's
  # shell, so that a newer call does not slip in unnoticed.
  WINVER=0x0501
  _WIN32_WINNT=0x0501
  _WIN32_IE=0x0500)

# The layers, one static library each: app -> ui -> install -> ops -> manifest -> afx.
# Each library sees its own folder and, through what it links, the folders below it,
# never one above: an include that points up does not compile.
#
# merolin_layer(NAME FOLDER [LOWER...] [EXCLUDE FILE...]): FOLDER/*.cpp, less the
# files named after EXCLUDE (names within FOLDER), on top of the lower libraries
# (for the framework: the system's). A file added to or removed from FOLDER is
# picked up when the tree is built next.
function(merolin_layer name folder)
  cmake_parse_arguments(PARSE_ARGV 2 L "" "" "EXCLUDE")
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
  foreach(_file ${L_EXCLUDE})
    set(_path ${CMAKE_SOURCE_DIR}/${folder}/${_file})
    if(NOT _path IN_LIST _sources)
      message(FATAL_ERROR "merolin_layer(${name}): ${folder}/${_file} is excluded but does not exist")
    endif()
    list(REMOVE_ITEM _sources ${_path})
  endforeach()
  add_library(${name} STATIC ${_sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/${folder})
  target_link_libraries(${name} PRIVATE merolin_options PUBLIC ${L_UNPARSED_ARGUMENTS})
endfunction()

# The files that belong to the executable only, never to a layer's library: the
# entry point, the start-up code and the C library's few functions (the test programs
# have GoogleTest's main and the C runtime instead), and the one application object
# (each test makes its own). Listed here in the order they are linked.
set(MEROLIN_EXE_SOURCES
  ${CMAKE_SOURCE_DIR}/app/theapp.cpp
  ${CMAKE_SOURCE_DIR}/framework/winmain.cpp
  ${CMAKE_SOURCE_DIR}/framework/startup.cpp
  ${CMAKE_SOURCE_DIR}/framework/crt.cpp)
# Machine code only, outside the whole-program compile: the calls of memcpy and the like
# that the compiler makes only there must find them. Their loops stay loops, never calls of
# the functions they make up.
set_source_files_properties(${CMAKE_SOURCE_DIR}/framework/crt.cpp PROPERTIES
  COMPILE_OPTIONS "-fno-lto;-fno-tree-loop-distribute-patterns")

# The framework: application, windows, dialogs, strings, the two test seams. It
# knows nothing of the product.
merolin_layer(afx framework comctl32 shell32 ole32 uuid advapi32 gdi32 user32 kernel32
  EXCLUDE winmain.cpp startup.cpp crt.cpp)
# The product manifest and the resource identifiers, at the bottom of the installer.
merolin_layer(merolin_manifest manifest afx)
target_include_directories(merolin_manifest PUBLIC ${CMAKE_SOURCE_DIR}/res)
merolin_layer(merolin_ops ops merolin_manifest)
# The payload's compressed header is read by the one reader the codec uses too.
target_include_directories(merolin_ops PRIVATE ${CMAKE_SOURCE_DIR}/tools/szdd/header)
merolin_layer(merolin_install install merolin_ops)
merolin_layer(merolin_ui ui merolin_install)
merolin_layer(merolin app merolin_ui EXCLUDE theapp.cpp)

# Linking the executable: static, stripped, no time stamp, only system DLLs, our own
# small entry point. One option a line, with what it is for.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_entry _WinMainStartup)  # the C name as the 32-bit ABI decorates it
else()
  set(_entry WinMainStartup)
endif()
set(MEROLIN_EXE_LINK_OPTIONS
  # The runtime libraries linked in: the exe needs no DLL but the system's.
  -static
  # None of the compiler's default libraries, the C runtime's import library among them:
  # the exe imports no C runtime (Windows 95 has none), and a call that would need one
  # fails the link. The system's libraries come with the framework's library.
  -nodefaultlibs
  # No symbol table: it only makes the download bigger.
  -s
  # A window program: no console opens beside it.
  -mwindows
  # None of the runtime's start-up objects, whose start-up code would be linked in;
  # framework/startup.cpp does what the installer needs of it...
  -nostartfiles
  # ...and its function is where the program begins.
  -Wl,-e,${_entry}
  # No auto-imported data: without the runtime's start-up code nothing would fix it up.
  -Wl,--disable-auto-import
  # Drops every section nothing refers to (see -ffunction-sections above): here what
  # the runtime libraries would bring in unused.
  -Wl,--gc-sections
  # The whole program compiled as one at the link, from the objects' intermediate form
  # (see -flto above): calls, constants and tables are resolved across the layers, and a
  # function or datum nothing reaches is left out. 3 KB smaller than linking the
  # objects' machine code. The per-function options and the -m options come with the
  # objects; the optimisation level, the merging of constants and the frame limit are
  # said here again, as the compiler reads them from the link. Without
  # -ffunction-sections and -fdata-sections here: as one section each, functions and
  # data are not padded to 4 bytes apiece.
  -flto
  # One partition: the same code however many processors the build machine has.
  -flto-partition=one
  -Oz
  -fmerge-all-constants
  -Werror=frame-larger-than=4000
  # No link time in the header: two builds of the same sources are the same file
  # (release.reproducible).
  -Wl,--no-insert-timestamp
  # What the import libraries add that no loader reads (a word a function, 540 bytes of
  # the i686 exe) and the lookup table, which loaders do without (532): left out by these
  # rules, added to the linker's own (cmake/exe.ld).
  -Wl,-T,${CMAKE_SOURCE_DIR}/cmake/exe.ld)

include(${CMAKE_SOURCE_DIR}/cmake/payload.cmake)

add_executable(MerolinSetup WIN32 ${MEROLIN_EXE_SOURCES}
  ${CMAKE_SOURCE_DIR}/res/installer.rc ${CMAKE_SOURCE_DIR}/res/release.rc ${MEROLIN_PAYLOAD_RC})
target_link_libraries(MerolinSetup PRIVATE merolin merolin_options)
target_link_options(MerolinSetup PRIVATE ${MEROLIN_EXE_LINK_OPTIONS})
set_target_properties(MerolinSetup PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dist
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/exe.ld)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/release.rc PROPERTIES
  OBJECT_DEPENDS ${CMAKE_BINARY_DIR}/res-gen/app.min.manifest)
set_source_files_properties(${CMAKE_SOURCE_DIR}/res/installer.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/res/merolin.ico;${CMAKE_BINARY_DIR}/res-gen/license.msz;${CMAKE_BINARY_DIR}/res-gen/checksums.crc;${CMAKE_SOURCE_DIR}/res/resource.h")
add_dependencies(MerolinSetup ${MEROLIN_RES_GEN_TARGET})
if(MEROLIN_PAYLOAD_TARGET)
  add_dependencies(MerolinSetup ${MEROLIN_PAYLOAD_TARGET})
  add_custom_command(TARGET MerolinSetup POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:MerolinSetup> -DMSZ_DIR=${CMAKE_BINARY_DIR}/payload-msz
            -P ${CMAKE_SOURCE_DIR}/cmake/print-size.cmake
    VERBATIM)
endif()
include(${CMAKE_SOURCE_DIR}/cmake/size-report.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/sign.cmake)
include(${CMAKE_SOURCE_DIR}/cmake/winget.cmake)  # after signing: the hash of the signed exe
include(${CMAKE_SOURCE_DIR}/cmake/msi.cmake)     # after signing: the package carries the signed exe

# The tests, each kind in a folder of its own: checks of the built executable (run
# natively), component tests and end-to-end scenarios (tests/README.md).
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/release/CMakeLists.txt)
  add_subdirectory(tests/release)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/target/CMakeLists.txt)
  add_subdirectory(tests/target)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
