# Packs the seven product files into the installer: each is compressed by the
# native szdd command into an "MSZ" resource (language 1033) of the number the
# payload table gives. Output: MEROLIN_PAYLOAD_RC (the generated resource script)
# and MEROLIN_PAYLOAD_TARGET (the target that makes the compressed files).

set(MEROLIN_PAYLOAD_RC "" )
set(MEROLIN_PAYLOAD_TARGET "")
if(NOT EXISTS ${CMAKE_SOURCE_DIR}/tools/szdd/CMakeLists.txt OR NOT EXISTS ${CMAKE_SOURCE_DIR}/payload/CMakeLists.txt)
  message(STATUS "payload: the codec or the stand-in payload is not there yet; the installer carries no payload")
  return()
endif()
