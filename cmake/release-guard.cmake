# A release (MEROLIN_RELEASE), or a build whose winget manifest names a real download
# address (MEROLIN_DOWNLOAD_URL other than its placeholder), ships the files it packs:
# never the stand-in payload of this repository. The stand-in is known by what its files
# say, not by where they lie, so a copy of it elsewhere is refused too: each data file
# begins "STAND-IN FILE", and the two stand-in programs show "Stand-in for Merolin" and
# "...stand-in uninstaller of Merolin". Without MEROLIN_PAYLOAD_DIR the programs are
# built from payload/standin/ and are the stand-in's in any case.
set(_uses "")
if(MEROLIN_RELEASE)
  list(APPEND _uses "a release (MEROLIN_RELEASE)")
endif()
if(NOT MEROLIN_DOWNLOAD_URL STREQUAL MEROLIN_DOWNLOAD_PLACEHOLDER)
  list(APPEND _uses "a download address (MEROLIN_DOWNLOAD_URL ${MEROLIN_DOWNLOAD_URL})")
endif()
if(NOT _uses)
  return()
endif()

set(_standin "")
foreach(_row ${MEROLIN_PAYLOAD_ROWS})
  string(REGEX REPLACE "^[0-9]+\\|" "" _name "${_row}")
  if(MEROLIN_PAYLOAD_DIR)
    set(_file ${MEROLIN_PAYLOAD_DIR}/${_name})
  elseif(EXISTS ${MEROLIN_STANDIN_DATA_DIR}/${_name})
    set(_file ${MEROLIN_STANDIN_DATA_DIR}/${_name})
  else()
    list(APPEND _standin ${_name})
    continue()
  endif()
  file(STRINGS ${_file} _marks REGEX "STAND-IN FILE|Stand-in for Merolin|stand-in uninstaller of Merolin"
       LIMIT_COUNT 1)
  if(_marks)
    list(APPEND _standin ${_name})
  endif()
endforeach()
if(_standin)
  list(JOIN _uses " and " _uses)
  list(JOIN _standin ", " _standin)
  message(FATAL_ERROR "payload: ${_uses} with the stand-in payload (the stand-in's ${_standin}): "
                      "give the folder of the product's seven files as MEROLIN_PAYLOAD_DIR")
endif()
