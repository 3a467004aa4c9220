# The winget manifests of the installer: dist/winget/ holds the version, installer and
# default-locale files (manifest schema 1.6) with the SHA-256 of dist/MerolinSetup.exe.
# They are written after every link of the exe, by a step added after the signing
# step (cmake/sign.cmake), so the hash is that of the exe as shipped, signed or not.
# Name, version, publisher and the package facts come from manifest/manifest.h, the
# licence from res/license.txt (cmake/write-winget.cmake reads them).
set(MEROLIN_DOWNLOAD_URL "https://example.invalid/MerolinSetup.exe" CACHE STRING
    "Where MerolinSetup.exe is downloaded from (InstallerUrl of the winget manifest); the default is a placeholder")
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(_winget_arch x86)
else()
  set(_winget_arch x64)
endif()
add_custom_command(TARGET MerolinSetup POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:MerolinSetup> -DOUT=${CMAKE_BINARY_DIR}/dist/winget
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DARCH=${_winget_arch} -DURL=${MEROLIN_DOWNLOAD_URL}
          -P ${CMAKE_SOURCE_DIR}/cmake/write-winget.cmake
  VERBATIM)
# A change of the writer writes the manifests anew.
set_property(TARGET MerolinSetup APPEND PROPERTY LINK_DEPENDS ${CMAKE_SOURCE_DIR}/cmake/write-winget.cmake)
