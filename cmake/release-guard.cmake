# A release (MEROLIN_RELEASE), or a build whose winget manifest names a real download
# address (MEROLIN_DOWNLOAD_URL other than its placeholder), is one that goes out. Its
# manifest says where the exe is fetched from, over https (not the placeholder, nor a
# plain http:// address that anyone on the way could answer), and where the licence
# agreement can be read (LicenseUrl: the silent run that winget starts accepts it). It
# ships the files it packs, never the stand-in payload of this repository. The stand-in
# is known by what its files say, not by where they lie, so a copy of it elsewhere is
# refused too: each data file begins "STAND-IN FILE", and the two stand-in programs show
# "Stand-in for Merolin" and "...stand-in uninstaller of Merolin". Without
# MEROLIN_PAYLOAD_DIR the programs are built from payload/standin/ and are the
# stand-in's in any case. The configure stops with every reason, a line each.
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
list(JOIN _uses " and " _use)

set(_refusals "")
if(MEROLIN_DOWNLOAD_URL STREQUAL MEROLIN_DOWNLOAD_PLACEHOLDER)
  list(APPEND _refusals "winget: ${_use} with the placeholder InstallerUrl ${MEROLIN_DOWNLOAD_PLACEHOLDER}: \
give the address the exe will be published at as MEROLIN_DOWNLOAD_URL")
elseif(NOT MEROLIN_DOWNLOAD_URL MATCHES "^[Hh][Tt][Tt][Pp][Ss]://")
  list(APPEND _refusals "winget: ${_use}: the InstallerUrl is not an https:// address")
endif()
if(NOT MEROLIN_LICENSE_URL)
  list(APPEND _refusals "winget: ${_use} with an empty LicenseUrl: \
give the web page of the licence agreement as MEROLIN_LICENSE_URL")
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
  list(JOIN _standin ", " _standin)
  list(APPEND _refusals "payload: ${_use} with the stand-in payload (the stand-in's ${_standin}): \
give the folder of the product's seven files as MEROLIN_PAYLOAD_DIR")
endif()
if(_refusals)
  list(JOIN _refusals "\n" _refusals)
  message(FATAL_ERROR "${_refusals}")
endif()
