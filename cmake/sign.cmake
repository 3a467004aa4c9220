# Authenticode signing of the installer, in one of two ways:
# - a PKCS#12 file and a file holding its password (never the password itself);
# - a key that never leaves a PKCS#11 token (hardware token, HSM, a cloud key service's
#   PKCS#11 module): the module, the key's PKCS#11 URI, the certificate chain as a PEM
#   file and a file holding the token's PIN (never the PIN itself).
# MEROLIN_SIGN_TIMESTAMP_URL adds an RFC 3161 time stamp; MEROLIN_RELEASE insists on a
# signature and a time stamp. Each option also takes its first value from the
# environment variable of the same name. The exe is signed in place right after it is
# linked (cmake/sign-exe), and its MSI package with the same arguments (_sign_args) once it
# is made (cmake/msi.cmake).
set(MEROLIN_SIGN_PKCS12 "$ENV{MEROLIN_SIGN_PKCS12}" CACHE FILEPATH
    "The vendor's code-signing certificate and key (PKCS#12); empty: the exe is not signed")
set(MEROLIN_SIGN_PASSWORD_FILE "$ENV{MEROLIN_SIGN_PASSWORD_FILE}" CACHE FILEPATH
    "A file holding the password of MEROLIN_SIGN_PKCS12")
set(MEROLIN_SIGN_PKCS11_MODULE "$ENV{MEROLIN_SIGN_PKCS11_MODULE}" CACHE FILEPATH
    "The PKCS#11 module (shared library) of the token holding the vendor's key")
set(MEROLIN_SIGN_PKCS11_KEY "$ENV{MEROLIN_SIGN_PKCS11_KEY}" CACHE STRING
    "The PKCS#11 URI of the vendor's key in the token (pkcs11:token=...;object=...), without its PIN")
set(MEROLIN_SIGN_CERTS "$ENV{MEROLIN_SIGN_CERTS}" CACHE FILEPATH
    "The certificate chain of the token's key (PEM: the signing certificate first, then its CAs)")
set(MEROLIN_SIGN_PIN_FILE "$ENV{MEROLIN_SIGN_PIN_FILE}" CACHE FILEPATH
    "A file holding the token's PIN")
set(MEROLIN_SIGN_TIMESTAMP_URL "$ENV{MEROLIN_SIGN_TIMESTAMP_URL}" CACHE STRING
    "An RFC 3161 time-stamp server for the signature (optional, required by MEROLIN_RELEASE)")
set(_release_default OFF)
if("$ENV{MEROLIN_RELEASE}")
  set(_release_default ON)
endif()
option(MEROLIN_RELEASE "A release build: the exe must be signed and its signature time-stamped"
       ${_release_default})

set(_pkcs12_way MEROLIN_SIGN_PKCS12 MEROLIN_SIGN_PASSWORD_FILE)
set(_pkcs11_way MEROLIN_SIGN_PKCS11_MODULE MEROLIN_SIGN_PKCS11_KEY MEROLIN_SIGN_CERTS MEROLIN_SIGN_PIN_FILE)
foreach(way pkcs12 pkcs11)
  set(_${way}_given)
  set(_${way}_missing)
  foreach(v ${_${way}_way})
    if(${v})
      list(APPEND _${way}_given ${v})
    else()
      list(APPEND _${way}_missing ${v})
    endif()
  endforeach()
endforeach()
if(_pkcs12_given AND _pkcs11_given)
  message(FATAL_ERROR "signing: both a PKCS#12 file (MEROLIN_SIGN_PKCS12, MEROLIN_SIGN_PASSWORD_FILE) and a "
                      "PKCS#11 token (MEROLIN_SIGN_PKCS11_MODULE, ...) are given: choose one")
endif()
foreach(way pkcs12 pkcs11)
  if(_${way}_given AND _${way}_missing)
    string(REPLACE ";" ", " _given "${_${way}_given}")
    string(REPLACE ";" ", " _missing "${_${way}_missing}")
    message(FATAL_ERROR "signing: ${_given} given without ${_missing}")
  endif()
endforeach()

set(_sign_args)
if(_pkcs12_given)
  set(_sign_files ${MEROLIN_SIGN_PKCS12} ${MEROLIN_SIGN_PASSWORD_FILE})
  set(_sign_args --pkcs12 ${MEROLIN_SIGN_PKCS12} --password-file ${MEROLIN_SIGN_PASSWORD_FILE})
  set(_signer "${MEROLIN_SIGN_PKCS12}")
elseif(_pkcs11_given)
  set(_sign_files ${MEROLIN_SIGN_PKCS11_MODULE} ${MEROLIN_SIGN_CERTS} ${MEROLIN_SIGN_PIN_FILE})
  if(NOT MEROLIN_SIGN_PKCS11_KEY MATCHES "^pkcs11:")
    message(FATAL_ERROR "signing: MEROLIN_SIGN_PKCS11_KEY is not a PKCS#11 URI (pkcs11:...)")
  endif()
  if(MEROLIN_SIGN_PKCS11_KEY MATCHES "pin-value")
    message(FATAL_ERROR "signing: MEROLIN_SIGN_PKCS11_KEY holds a PIN: the PIN goes in MEROLIN_SIGN_PIN_FILE only")
  endif()
  # osslsigncode reaches the token through OpenSSL's PKCS#11 engine (libp11).
  execute_process(COMMAND openssl engine pkcs11 RESULT_VARIABLE _engine OUTPUT_QUIET ERROR_QUIET)
  if(NOT _engine EQUAL 0)
    message(FATAL_ERROR "signing: OpenSSL has no PKCS#11 engine (Debian: libengine-pkcs11-openssl, "
                        "installed by scripts/bootstrap)")
  endif()
  # The URI's attributes are separated by semicolons: one argument all the same.
  string(REPLACE ";" "$<SEMICOLON>" _key "${MEROLIN_SIGN_PKCS11_KEY}")
  set(_sign_args --pkcs11-module ${MEROLIN_SIGN_PKCS11_MODULE} --pkcs11-key ${_key}
                 --certs ${MEROLIN_SIGN_CERTS} --pin-file ${MEROLIN_SIGN_PIN_FILE})
  set(_signer "${MEROLIN_SIGN_PKCS11_KEY} (${MEROLIN_SIGN_PKCS11_MODULE})")
endif()

if(MEROLIN_RELEASE AND NOT _sign_args)
  message(FATAL_ERROR "signing: MEROLIN_RELEASE is on but no key is given (README, Signing): "
                      "a release is never unsigned")
endif()
if(MEROLIN_RELEASE AND NOT MEROLIN_SIGN_TIMESTAMP_URL)
  message(FATAL_ERROR "signing: MEROLIN_RELEASE is on without MEROLIN_SIGN_TIMESTAMP_URL: a release's "
                      "signature carries a time stamp, or it stops verifying when the certificate expires")
endif()
if(MEROLIN_SIGN_TIMESTAMP_URL AND NOT _sign_args)
  message(FATAL_ERROR "signing: MEROLIN_SIGN_TIMESTAMP_URL is given but no key to sign with")
endif()

if(_sign_args)
  foreach(f ${_sign_files})
    if(NOT IS_ABSOLUTE ${f} OR NOT EXISTS ${f})
      message(FATAL_ERROR "signing: ${f} is not the absolute path of an existing file")
    endif()
  endforeach()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  if(MEROLIN_SIGN_TIMESTAMP_URL)
    list(APPEND _sign_args --timestamp ${MEROLIN_SIGN_TIMESTAMP_URL})
    string(APPEND _signer ", time stamp from ${MEROLIN_SIGN_TIMESTAMP_URL}")
  endif()
  if(MEROLIN_RELEASE)
    list(APPEND _sign_args --release)
    string(APPEND _signer ", a release build")
  endif()
  add_custom_command(TARGET MerolinSetup POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign-exe $<TARGET_FILE:MerolinSetup> ${CMAKE_SOURCE_DIR} ${_sign_args}
    VERBATIM)
  message(STATUS "signing: MerolinSetup.exe is signed with ${_signer}")
endif()
