# Authenticode signing of the installer, when the vendor's certificate is given: a
# PKCS#12 file and a file holding its password (never the password itself). Each
# option also takes its first value from the environment variable of the same name.
# The exe is signed in place right after it is linked (cmake/sign-exe).
set(MEROLIN_SIGN_PKCS12 "$ENV{MEROLIN_SIGN_PKCS12}" CACHE FILEPATH
    "The vendor's code-signing certificate and key (PKCS#12); empty: the exe is not signed")
set(MEROLIN_SIGN_PASSWORD_FILE "$ENV{MEROLIN_SIGN_PASSWORD_FILE}" CACHE FILEPATH
    "A file holding the password of MEROLIN_SIGN_PKCS12")
set(MEROLIN_SIGN_TIMESTAMP_URL "$ENV{MEROLIN_SIGN_TIMESTAMP_URL}" CACHE STRING
    "An RFC 3161 time-stamp server for the signature (optional)")

if(MEROLIN_SIGN_PKCS12)
  if(NOT MEROLIN_SIGN_PASSWORD_FILE)
    message(FATAL_ERROR "MEROLIN_SIGN_PKCS12 is given without MEROLIN_SIGN_PASSWORD_FILE")
  endif()
  foreach(f ${MEROLIN_SIGN_PKCS12} ${MEROLIN_SIGN_PASSWORD_FILE})
    if(NOT IS_ABSOLUTE ${f} OR NOT EXISTS ${f})
      message(FATAL_ERROR "signing: ${f} is not the absolute path of an existing file")
    endif()
  endforeach()
  find_program(OSSLSIGNCODE osslsigncode REQUIRED)
  add_custom_command(TARGET MerolinSetup POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign-exe $<TARGET_FILE:MerolinSetup> ${MEROLIN_SIGN_PKCS12}
            ${MEROLIN_SIGN_PASSWORD_FILE} ${CMAKE_SOURCE_DIR} ${MEROLIN_SIGN_TIMESTAMP_URL}
    VERBATIM)
  message(STATUS "signing: MerolinSetup.exe is signed with ${MEROLIN_SIGN_PKCS12}")
endif()
