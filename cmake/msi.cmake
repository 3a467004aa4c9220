# The Windows Installer package of the installer, dist/MerolinSetup.msi, for the deployment
# tools that take MSI packages only (docs/deploy.md, "Windows Installer package"). It is made
# from the exe as shipped, so after the exe's signing step, by cmake/build-msi (wixl and
# msibuild from Debian's msitools), and is signed the same way as the exe.
# The product's name, version and maker are the MEROLIN_* defines of manifest/manifest.h.
#
# The codes: the upgrade code is fixed for all of Merolin's packages, whatever their version,
# so that a later one finds and replaces an earlier one. The product code is a name-based
# (SHA-1) UUID from the upgrade code and "<name> <version> <x86|x64>": the same version and
# architecture always have the same product code, and a rebuild of the same sources is the
# same package (release.reproducible).
set(MEROLIN_UPGRADE_CODE "{E504E89D-3623-417B-87EC-6B32955F4CBA}")
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
file(STRINGS ${CMAKE_SOURCE_DIR}/manifest/manifest.h _msi_defines REGEX "^#define MEROLIN_(NAME|VERSION|MAKER) \"[^\"]*\"$")
foreach(_line IN LISTS _msi_defines)
  string(REGEX MATCH "^#define (MEROLIN_[A-Z]+) \"([^\"]*)\"$" _ "${_line}")
  set(_msi_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/manifest/manifest.h)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  set(MEROLIN_MSI_ARCH x86)
else()
  set(MEROLIN_MSI_ARCH x64)
endif()

# merolin_msi_product_code(VAR VERSION): the product code of Merolin's package of VERSION.
function(merolin_msi_product_code var version)
  string(REGEX REPLACE "[{}]" "" _namespace ${MEROLIN_UPGRADE_CODE})
  string(UUID _code NAMESPACE ${_namespace} NAME "${_msi_MEROLIN_NAME} ${version} ${MEROLIN_MSI_ARCH}"
         TYPE SHA1 UPPER)
  set(${var} "{${_code}}" PARENT_SCOPE)
endfunction()

# merolin_msi_command(VAR MSI VERSION): the command that makes MSI, a package of VERSION,
# from the tree's exe.
function(merolin_msi_command var msi version)
  merolin_msi_product_code(_code ${version})
  set(${var} ${CMAKE_SOURCE_DIR}/cmake/build-msi $<TARGET_FILE:MerolinSetup> ${msi} ${CMAKE_SOURCE_DIR}
      ${MEROLIN_MSI_ARCH} ${_msi_MEROLIN_NAME} ${version} ${_msi_MEROLIN_MAKER} ${_code} ${MEROLIN_UPGRADE_CODE}
      PARENT_SCOPE)
endfunction()

set(MEROLIN_MSI ${CMAKE_BINARY_DIR}/dist/MerolinSetup.msi)
merolin_msi_command(_msi_build ${MEROLIN_MSI} ${_msi_MEROLIN_VERSION})
set(_msi_sign)
if(_sign_args)  # cmake/sign.cmake: the exe is signed, and so is its package
  set(_msi_sign COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign-exe ${MEROLIN_MSI} ${CMAKE_SOURCE_DIR} ${_sign_args})
endif()
add_custom_command(TARGET MerolinSetup POST_BUILD COMMAND ${_msi_build} ${_msi_sign} VERBATIM)
# A change of the package's sources makes it anew.
set_property(TARGET MerolinSetup APPEND PROPERTY LINK_DEPENDS
  ${CMAKE_SOURCE_DIR}/cmake/build-msi ${CMAKE_SOURCE_DIR}/res/MerolinSetup.wxs)
merolin_msi_product_code(MEROLIN_MSI_PRODUCT_CODE ${_msi_MEROLIN_VERSION})
message(STATUS "msi: dist/MerolinSetup.msi, ${_msi_MEROLIN_NAME} ${_msi_MEROLIN_VERSION} (${MEROLIN_MSI_ARCH}), "
               "ProductCode ${MEROLIN_MSI_PRODUCT_CODE}, UpgradeCode ${MEROLIN_UPGRADE_CODE}")
