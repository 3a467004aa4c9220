# The winget manifests of the installer: dist/winget/ holds the version, installer and
# default-locale files (manifest schema 1.6) with the SHA-256 of dist/MerolinSetup.exe.
# They are written after every link of the exe, by a step added after the signing
# step (cmake/sign.cmake), so the hash is that of the exe as shipped, signed or not.
# Name, version, publisher and the package facts come from manifest/manifest.h, the
# copyright from the exe's version resource (res/release.rc), the rest from the options
# below (cmake/write-winget.cmake reads and writes them).
set(MEROLIN_DOWNLOAD_PLACEHOLDER "https://example.invalid/MerolinSetup.exe")
set(MEROLIN_DOWNLOAD_URL ${MEROLIN_DOWNLOAD_PLACEHOLDER} CACHE STRING
    "Where MerolinSetup.exe is downloaded from (InstallerUrl of the winget manifest); the default is a placeholder")
set(MEROLIN_LICENSE_URL "" CACHE STRING
    "The web page of the licence agreement (LicenseUrl of the winget manifest); empty: none is named")
set(MEROLIN_PUBLISHER_URL "" CACHE STRING
    "The publisher's home page (PublisherUrl of the winget manifest); empty: none is named")
set(MEROLIN_DESCRIPTION
    "Merolin helps teachers, trainers and examiners write, give and grade tests: it prints test sheets, shuffled if asked, with their answer keys, gives a test on screen, grades it at once and keeps a grade book."
    CACHE STRING "What the product does, in a few sentences (Description of the winget manifest)")
set(MEROLIN_TAGS "education;grading;quiz;teachers;tests" CACHE STRING
    "Search terms of the winget manifest (Tags), separated by semicolons: at most 16, lower case, no blanks")
set(MEROLIN_MINIMUM_OS "10.0.0.0" CACHE STRING
    "MinimumOSVersion of the winget manifest: winget itself runs on Windows 10 and later only")
foreach(_url MEROLIN_DOWNLOAD_URL MEROLIN_LICENSE_URL MEROLIN_PUBLISHER_URL)
  if(${_url} AND NOT ${_url} MATCHES "^[Hh][Tt][Tt][Pp][Ss]?://.")
    message(FATAL_ERROR "winget: ${_url} is not an http:// or https:// address: ${${_url}}")
  endif()
endforeach()
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_winget_arch x86)
else()
  set(_winget_arch x64)
endif()
string(REPLACE ";" "$<SEMICOLON>" _winget_tags "${MEROLIN_TAGS}")
string(REPLACE ";" "$<SEMICOLON>" _winget_description "${MEROLIN_DESCRIPTION}")
add_custom_command(TARGET MerolinSetup POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:MerolinSetup> -DOUT=${CMAKE_BINARY_DIR}/dist/winget
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DARCH=${_winget_arch} -DURL=${MEROLIN_DOWNLOAD_URL}
          -DLICENSE_URL=${MEROLIN_LICENSE_URL} -DPUBLISHER_URL=${MEROLIN_PUBLISHER_URL}
          -DDESCRIPTION=${_winget_description} -DTAGS=${_winget_tags} -DMINIMUM_OS=${MEROLIN_MINIMUM_OS}
          -P ${CMAKE_SOURCE_DIR}/cmake/write-winget.cmake
  VERBATIM)
# A change of the writer writes the manifests anew.
set_property(TARGET MerolinSetup APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/write-winget.cmake)
