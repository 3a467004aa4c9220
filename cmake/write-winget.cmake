# Writes the winget manifests of the installer EXE into the folder OUT:
# <id>.yaml (version), <id>.installer.yaml and <id>.locale.en-US.yaml, schema 1.6.
#   cmake -DEXE=... -DOUT=... -DSOURCE_DIR=... -DARCH=x86|x64 -DURL=... -P write-winget.cmake
# The product's facts are the MEROLIN_* defines of manifest/manifest.h.
file(STRINGS ${SOURCE_DIR}/manifest/manifest.h _defines REGEX "^#define MEROLIN_[A-Z_]+ \"[^\"]*\"$")
foreach(_line IN LISTS _defines)
  string(REGEX MATCH "^#define (MEROLIN_[A-Z_]+) \"([^\"]*)\"$" _ "${_line}")
  set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
foreach(_fact NAME VERSION MAKER PACKAGE_ID SUMMARY LICENSE)
  if(NOT MEROLIN_${_fact})
    message(FATAL_ERROR "write-winget: no #define MEROLIN_${_fact} \"...\" in manifest/manifest.h")
  endif()
endforeach()

file(SHA256 ${EXE} _sha256)
string(TOUPPER ${_sha256} _sha256)
# The licence: its first line (less the colon) is the label, the rest the text, as a
# literal block.
file(READ ${SOURCE_DIR}/res/license.txt _license)
string(REPLACE "\r" "" _license "${_license}")
string(STRIP "${_license}" _license)
string(REGEX MATCH "^[^\n]*" _label "${_license}")
string(LENGTH "${_label}" _n)
string(SUBSTRING "${_license}" ${_n} -1 _text)
string(STRIP "${_text}" _text)
string(REGEX REPLACE ":$" "" _label "${_label}")
string(REPLACE "\n" "\n      " _text "${_text}")

set(_id ${MEROLIN_PACKAGE_ID})
set(_head "# Written by the build of MerolinSetup.exe (cmake/write-winget.cmake).
PackageIdentifier: ${_id}
PackageVersion: \"${MEROLIN_VERSION}\"")
set(_tail "ManifestVersion: 1.6.0\n")
set(_schema "# yaml-language-server: $schema=https://aka.ms/winget-manifest")

file(WRITE ${OUT}/${_id}.yaml "${_schema}.version.1.6.0.schema.json
${_head}
DefaultLocale: en-US
ManifestType: version
${_tail}")

# The switches are those of an unattended installation (README.md); /D takes the rest
# of the command line, so it stands last. The exit codes other than 0 are named.
file(WRITE ${OUT}/${_id}.installer.yaml "${_schema}.installer.1.6.0.schema.json
${_head}
InstallerType: exe
Scope: machine
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  Log: /LOG=\"<LOGPATH>\"
  InstallLocation: /D=<INSTALLPATH>
ExpectedReturnCodes:
  - InstallerReturnCode: 1
    ReturnResponse: packageInUse
  - InstallerReturnCode: 2
    ReturnResponse: contactSupport
  - InstallerReturnCode: 3
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 4
    ReturnResponse: cancelledByUser
  - InstallerReturnCode: 1618
    ReturnResponse: installInProgress
UpgradeBehavior: install
ElevationRequirement: elevatesSelf
ProductCode: ${MEROLIN_NAME}
AppsAndFeaturesEntries:
  - DisplayName: ${MEROLIN_NAME} ${MEROLIN_VERSION}
    Publisher: ${MEROLIN_MAKER}
    DisplayVersion: \"${MEROLIN_VERSION}\"
    ProductCode: ${MEROLIN_NAME}
Installers:
  - Architecture: ${ARCH}
    InstallerUrl: ${URL}
    InstallerSha256: ${_sha256}
ManifestType: installer
${_tail}")

file(WRITE ${OUT}/${_id}.locale.en-US.yaml "${_schema}.defaultLocale.1.6.0.schema.json
${_head}
PackageLocale: en-US
Publisher: ${MEROLIN_MAKER}
PackageName: ${MEROLIN_NAME}
License: ${MEROLIN_LICENSE}
ShortDescription: ${MEROLIN_SUMMARY}
Agreements:
  - AgreementLabel: ${_label}
    Agreement: |-
      ${_text}
ManifestType: defaultLocale
${_tail}")
message("winget: ${OUT}/${_id}.*.yaml, SHA-256 ${_sha256}")
