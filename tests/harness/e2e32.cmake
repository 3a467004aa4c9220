# The end-to-end scenarios against the i686 exe as shipped, under 32-bit Wine
# (tests/harness/e2e32), for the i686 tree; included by tests/e2e/CMakeLists.txt,
# which gives E2E_SCENARIOS and the e2e_driver target (built for i686 here). The
# scenarios wow64_* run the exe in a 64-bit prefix instead, as a 32-bit program of
# 64-bit Windows (WoW64); the guest way runs them in the same boot as the others.
#
#   e2e32.tree        makes or finds the cached Debian tree with 32-bit Wine (fixture)
#   e2e32.harness     checks the way's probe, the tree and the guest's initramfs
#   direct way: e2e32.<scenario> for every scenario, each in a chroot of the tree
#   guest way:  e2e32.guest boots the tree under qemu and runs MEROLIN_E2E32_GUEST_SCENARIOS;
#               e2e32.<scenario> then reports each one's result
# The way is chosen when the tree is configured: direct where the kernel runs 32-bit
# programs; MEROLIN_E2E32_WAY (cache or environment: auto, direct, guest) overrides.

set(MEROLIN_E2E32_WAY "$ENV{MEROLIN_E2E32_WAY}" CACHE STRING
    "How the i686 exe is run under 32-bit Wine: auto (empty), direct or guest")
set(MEROLIN_E2E32_GUEST_SCENARIOS "clean_install;failed_then_cancel;reinstall_custom_path" CACHE STRING
    "The scenarios the guest way runs (all: every one)")
# The guest's time limits in seconds (cache or environment; empty: 600 each), for a
# machine slower or busier than usual.
set(MEROLIN_E2E32_BOOT_LIMIT "$ENV{MEROLIN_E2E32_BOOT_LIMIT}" CACHE STRING
    "The guest's limit for booting and making its Wine prefix, in seconds (empty: 600)")
set(MEROLIN_E2E32_SCENARIO_LIMIT "$ENV{MEROLIN_E2E32_SCENARIO_LIMIT}" CACHE STRING
    "The guest's limit for each scenario, in seconds (empty: 600)")

set(_e2e32 ${CMAKE_SOURCE_DIR}/tests/harness/e2e32)
set(_e2e32_dir ${CMAKE_BINARY_DIR}/e2e32)
file(MAKE_DIRECTORY ${_e2e32_dir})
# In a 64-bit prefix. wow64_remove needs the /REMOVE switch: it runs once the usage
# text names it (manifest/manifest.h).
set(_wow64 wow64_silent_install wow64_msi_install)
file(READ ${CMAKE_SOURCE_DIR}/manifest/manifest.h _manifest)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/manifest/manifest.h)
if(_manifest MATCHES "/REMOVE")
  list(APPEND _wow64 wow64_remove)
endif()
set(_scenarios ${E2E_SCENARIOS} ${_wow64})
string(REPLACE ";" "\n" _all "${_scenarios}")
file(WRITE ${_e2e32_dir}/scenarios.txt "${_all}\n")

set(_way_env "")
if(MEROLIN_E2E32_WAY)
  set(_way_env MEROLIN_E2E32_WAY=${MEROLIN_E2E32_WAY})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env ${_way_env} ${_e2e32} way ${_e2e32_dir}
  OUTPUT_VARIABLE _way ERROR_VARIABLE _why OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE _rc)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${_why}")
endif()
message(STATUS "${_why}")
file(WRITE ${_e2e32_dir}/way.txt "${_why}\n")

set(_guest_opt "")
if(_way STREQUAL "guest")
  set(_guest_opt --guest)
endif()
add_test(NAME e2e32.tree COMMAND ${_e2e32} tree ${_guest_opt})
set_tests_properties(e2e32.tree PROPERTIES FIXTURES_SETUP e2e32_tree TIMEOUT 1800 LABELS "e2e32")

# The probe that chose the way, the tree's 32-bit Wine, the guest's initramfs.
add_test(NAME e2e32.harness COMMAND ${CMAKE_SOURCE_DIR}/tests/harness/check-e2e32.sh ${CMAKE_BINARY_DIR})
set_tests_properties(e2e32.harness PROPERTIES FIXTURES_REQUIRED e2e32_tree TIMEOUT 120 LABELS "e2e32")

if(_way STREQUAL "direct")
  foreach(s ${_scenarios})
    add_test(NAME e2e32.${s} COMMAND ${_e2e32} direct ${CMAKE_BINARY_DIR} ${s})
    set_tests_properties(e2e32.${s} PROPERTIES FIXTURES_REQUIRED e2e32_tree TIMEOUT 300 LABELS "e2e32;e2e32-direct")
  endforeach()
else()
  set(_list ${MEROLIN_E2E32_GUEST_SCENARIOS})
  if(_list STREQUAL "all")
    set(_list ${E2E_SCENARIOS})
  endif()
  list(APPEND _list ${_wow64})
  list(LENGTH _list _n)
  set(_boot 600)
  set(_each 600)
  if(MEROLIN_E2E32_BOOT_LIMIT)
    set(_boot ${MEROLIN_E2E32_BOOT_LIMIT})
  endif()
  if(MEROLIN_E2E32_SCENARIO_LIMIT)
    set(_each ${MEROLIN_E2E32_SCENARIO_LIMIT})
  endif()
  if(NOT _boot MATCHES "^[1-9][0-9]*$" OR NOT _each MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "MEROLIN_E2E32_BOOT_LIMIT and MEROLIN_E2E32_SCENARIO_LIMIT are seconds: ${_boot}, ${_each}")
  endif()
  # The guest's own limit (e2e32: to boot and make each kind of prefix, 32-bit and
  # 64-bit, then each scenario), and a little more.
  math(EXPR _timeout "${_boot} * 2 + ${_each} * ${_n} + 60")
  add_test(NAME e2e32.guest COMMAND ${CMAKE_COMMAND} -E env MEROLIN_E2E32_BOOT_LIMIT=${_boot}
    MEROLIN_E2E32_SCENARIO_LIMIT=${_each} ${_e2e32} guest ${CMAKE_BINARY_DIR} ${_list})
  set_tests_properties(e2e32.guest PROPERTIES FIXTURES_REQUIRED e2e32_tree FIXTURES_SETUP e2e32_guest
    TIMEOUT ${_timeout} LABELS "e2e32;e2e32-guest")
  foreach(s ${_list})
    add_test(NAME e2e32.${s} COMMAND ${_e2e32} result ${CMAKE_BINARY_DIR} ${s})
    set_tests_properties(e2e32.${s} PROPERTIES FIXTURES_REQUIRED e2e32_guest TIMEOUT 30 LABELS "e2e32;e2e32-guest")
  endforeach()
endif()
