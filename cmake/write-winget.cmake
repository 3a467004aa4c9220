# Writes the winget manifests of the installer EXE into the folder OUT:
# <id>.yaml (version), <id>.installer.yaml and <id>.locale.en-US.yaml, schema 1.6, in the
# form the community repository takes (no agreement text: that is for verified
# publishers only).
#   cmake -DEXE=... -DOUT=... -DSOURCE_DIR=... -DARCH=x86|x64 -DURL=... -DLICENSE_URL=...
#         -DPUBLISHER_URL=... -DDESCRIPTION=... -DTAGS=a;b -DMINIMUM_OS=... -P write-winget.cmake
# The product's facts are the MEROLIN_* defines of manifest/manifest.h, the copyright the
# exe's own (res/release.rc); an empty URL leaves its field out.
file(STRINGS ${SOURCE_DIR}/manifest/manifest.h _defines REGEX "^#define MEROLIN_[A-Z_]+ \"[^\"]*\"$")
foreach(_line IN LISTS _defines)
  string(REGEX MATCH "^#define (MEROLIN_[A-Z_]+) \"([^\"]*)\"$" _ "${_line}")
  set(${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
endforeach()
file(STRINGS ${SOURCE_DIR}/res/release.rc _copyright REGEX "VALUE \"LegalCopyright\", \"[^\"]+\"")
string(REGEX REPLACE ".*, \"([^\"]+)\".*" "\\1" MEROLIN_COPYRIGHT "${_copyright}")
foreach(_fact NAME VERSION MAKER PACKAGE_ID SUMMARY LICENSE COPYRIGHT)
  if(NOT MEROLIN_${_fact})
    message(FATAL_ERROR "write-winget: no MEROLIN_${_fact} in manifest/manifest.h or res/release.rc")
  endif()
endforeach()

file(SHA256 ${EXE} _sha256)
string(TOUPPER ${_sha256} _sha256)
# The release date is the day of the signing time: SOURCE_DATE_EPOCH, else the last
# commit's time (string(TIMESTAMP) takes SOURCE_DATE_EPOCH when it is set), so a
# rebuild of the same sources writes the same manifests.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE _when OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(_when MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${_when})
  endif()
endif()
set(_release_date "")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  string(TIMESTAMP _date "%Y-%m-%d" UTC)
  set(_release_date "ReleaseDate: ${_date}\n")
else()
  message("winget: no ReleaseDate (no SOURCE_DATE_EPOCH, and the sources have no git history)")
endif()
# A free text as a YAML string in double quotes.
function(yaml_quote var text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${var} "\"${text}\"" PARENT_SCOPE)
endfunction()
yaml_quote(_copyright "${MEROLIN_COPYRIGHT}")
yaml_quote(_description "${DESCRIPTION}")
set(_tags "")
foreach(_tag IN LISTS TAGS)
  yaml_quote(_tag "${_tag}")
  string(APPEND _tags "\n  - ${_tag}")
endforeach()
if(_tags)
  set(_tags "Tags:${_tags}\n")
endif()
set(_publisher_url "")
if(PUBLISHER_URL)
  set(_publisher_url "PublisherUrl: ${PUBLISHER_URL}\n")
endif()
set(_license_url "")
if(LICENSE_URL)
  set(_license_url "LicenseUrl: ${LICENSE_URL}\n")
endif()
# The exit codes: every outcome of install/outcome.h but 0, by its value, with winget's
# response to it from this table; an outcome without one stops the build.
set(_responses kOutcomeProductRunning packageInUse kOutcomeFailed contactSupport
    kOutcomeBadCommandLine invalidParameter kOutcomeUserEnded cancelledByUser
    kOutcomeNewerInstalled downgrade kOutcomeNoRights contactSupport kOutcomeAnotherInstaller installInProgress)
file(STRINGS ${SOURCE_DIR}/install/outcome.h _outcomes REGEX "^ *kOutcome[A-Za-z]+ = [0-9]+,")
set(_return_codes "")
foreach(_line IN LISTS _outcomes)
  string(REGEX MATCH "(kOutcome[A-Za-z]+) = ([0-9]+)" _ "${_line}")
  list(FIND _responses ${CMAKE_MATCH_1} _at)
  if(CMAKE_MATCH_2 EQUAL 0)
    continue()
  elseif(_at LESS 0)
    message(FATAL_ERROR "write-winget: no winget response for ${CMAKE_MATCH_1} of install/outcome.h")
  endif()
  math(EXPR _at "${_at} + 1")
  list(GET _responses ${_at} _response)
  string(APPEND _return_codes "\n  - InstallerReturnCode: ${CMAKE_MATCH_2}\n    ReturnResponse: ${_response}")
endforeach()
# The default directory: the program-files folder that the installer, a 32-bit program
# on 64-bit Windows, finds in its registry view.
if(ARCH STREQUAL "x86")
  set(_program_files "%ProgramFiles(x86)%")
else()
  set(_program_files "%ProgramFiles%")
endif()

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
# of the command line, so it stands last (winget puts Custom before it). Two installers of
# the same exe: for the machine (it asks for the rights itself) and for the user
# (/CURRENTUSER, never elevated). Every exit code but 0 is named (above). The
# entry in the list of programs leaves out its DisplayVersion: it is PackageVersion, and
# the community repository asks for it only where the two differ.
file(WRITE ${OUT}/${_id}.installer.yaml "${_schema}.installer.1.6.0.schema.json
${_head}
MinimumOSVersion: ${MINIMUM_OS}
InstallerType: exe
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  Log: /LOG=\"<LOGPATH>\"
  InstallLocation: /D=<INSTALLPATH>
ExpectedReturnCodes:${_return_codes}
UpgradeBehavior: install
ProductCode: ${MEROLIN_NAME}
AppsAndFeaturesEntries:
  - DisplayName: ${MEROLIN_NAME} ${MEROLIN_VERSION}
    Publisher: ${MEROLIN_MAKER}
    ProductCode: ${MEROLIN_NAME}
${_release_date}Installers:
  - Architecture: ${ARCH}
    Scope: machine
    InstallerUrl: ${URL}
    InstallerSha256: ${_sha256}
    ElevationRequirement: elevatesSelf
    InstallationMetadata:
      DefaultInstallLocation: '${_program_files}\\${MEROLIN_NAME}'
  - Architecture: ${ARCH}
    Scope: user
    InstallerUrl: ${URL}
    InstallerSha256: ${_sha256}
    InstallerSwitches:
      Silent: /S
      SilentWithProgress: /S
      Log: /LOG=\"<LOGPATH>\"
      InstallLocation: /D=<INSTALLPATH>
      Custom: /CURRENTUSER
    ElevationRequirement: elevationProhibited
    InstallationMetadata:
      DefaultInstallLocation: '%LOCALAPPDATA%\\Programs\\${MEROLIN_NAME}'
ManifestType: installer
${_tail}")

file(WRITE ${OUT}/${_id}.locale.en-US.yaml "${_schema}.defaultLocale.1.6.0.schema.json
${_head}
PackageLocale: en-US
Publisher: ${MEROLIN_MAKER}
${_publisher_url}PackageName: ${MEROLIN_NAME}
License: ${MEROLIN_LICENSE}
${_license_url}Copyright: ${_copyright}
ShortDescription: ${MEROLIN_SUMMARY}
Description: ${_description}
${_tags}ManifestType: defaultLocale
${_tail}")
message("winget: ${OUT}/${_id}.*.yaml, SHA-256 ${_sha256}")
