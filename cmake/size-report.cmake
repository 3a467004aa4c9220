# Where the bytes of the shipped exe go (bench/size-report.py): the same objects linked once
# more as MerolinSetup_symbols, keeping the symbol table and writing a map, so that each
# function and constant can be named and put in its folder. Its sections are the shipped
# exe's byte for byte (the report checks). release.size prints the report; the target
# size_report writes it to docs/size.md. i686 only: the exe users download.
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  return()
endif()
set(_size_dir ${CMAKE_BINARY_DIR}/size)
set(_link ${MEROLIN_EXE_LINK_OPTIONS})
list(REMOVE_ITEM _link -s)
add_executable(MerolinSetup_symbols WIN32 ${MEROLIN_EXE_SOURCES}
  ${CMAKE_SOURCE_DIR}/res/installer.rc ${CMAKE_SOURCE_DIR}/res/release.rc ${MEROLIN_PAYLOAD_RC})
target_link_libraries(MerolinSetup_symbols PRIVATE merolin merolin_options msvcrt)
target_link_options(MerolinSetup_symbols PRIVATE ${_link} -Wl,-Map=${_size_dir}/MerolinSetup.map)
set_target_properties(MerolinSetup_symbols PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_size_dir}
  LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/exe.ld)
add_dependencies(MerolinSetup_symbols ${MEROLIN_RES_GEN_TARGET} ${MEROLIN_PAYLOAD_TARGET})

set(MEROLIN_SIZE_REPORT python3 ${CMAKE_SOURCE_DIR}/bench/size-report.py
  --exe $<TARGET_FILE:MerolinSetup> --symbols $<TARGET_FILE:MerolinSetup_symbols>
  --map ${_size_dir}/MerolinSetup.map --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR}
  --msz ${CMAKE_BINARY_DIR}/payload-msz --nm ${CMAKE_NM})
add_custom_target(size_report
  COMMAND ${MEROLIN_SIZE_REPORT} --out ${CMAKE_SOURCE_DIR}/docs/size.md
  COMMAND ${CMAKE_COMMAND} -E echo "size report: ${CMAKE_SOURCE_DIR}/docs/size.md"
  DEPENDS MerolinSetup MerolinSetup_symbols
  VERBATIM)
