# The test suite of the Windows cross build, included from tests/CMakeLists.txt.
# The programs run under wine (CMAKE_CROSSCOMPILING_EMULATOR) against a native
# PostgreSQL 15 that listens on 127.0.0.1: the Windows libpq has no unix sockets.
#
# Provides the GTest targets (built from Debian's googletest sources), the
# list of test folders built for Windows, and oci_platform_test_target(), which
# the test helpers call on every test program.

set(OCI_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "googletest sources to cross-build")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${OCI_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# The folders whose tests are built and run on Windows: all of them but
#   include            header checks; compiler-only, identical to the Linux run
#   exports            reads an ELF symbol table; windows/ checks the DLL's table
#   examples           starts the demo through a POSIX shell; windows/ runs it
#   node               node-oracledb against the Linux library's drop-in layout
# Plain variables, here and below: a build tree configured with an older
# list keeps no stale copy of it in its cache.
unset(OCICOMPAT_WINDOWS_TEST_DIRS CACHE)
unset(OCICOMPAT_WINDOWS_SKIPPED_TESTS CACHE)
set(OCICOMPAT_WINDOWS_TEST_DIRS
    platform env env/describe
    conn/session conn/transaction conn/control conn/lob conn/nls conn/pool conn/tnsnames
    stmt/execute stmt/bind stmt/executors stmt/pqext stmt/prepare stmt/callgram
    types types/bind types/catalogue types/datetime_api types/datetime_model types/number_api types/result
    decimal diag/errors diag/trace diag/ucb diag/unsupported compat/env compat/stmt
    windows)

# Test programs that cannot run on Windows, each with the reason: they are
# not built, and ctest lists them as disabled; the reason is printed here.
# Entries are "name|reason".
set(OCICOMPAT_WINDOWS_SKIPPED_TESTS
    "types_datetime_api_test|its local times come from TZ set to POSIX rules with daylight-saving dates or to a zoneinfo name, of which the Windows C runtime takes only a fixed offset"
    "types_datetime_format_test|its local times come from TZ set to POSIX rules with daylight-saving dates or to a zoneinfo name, of which the Windows C runtime takes only a fixed offset"
    "types_bind_converters_test|its local times come from TZ set to POSIX rules with daylight-saving dates or to a zoneinfo name, of which the Windows C runtime takes only a fixed offset"
    "diag_unsupported_api|its death tests match the message with extended regular expressions, which GoogleTest does not have on Windows"
    "diag_trace_unit|expects glibc's printf forms, such as (nil) for a null %p"
    "diag_unsupported_unit|expects glibc's printf forms, such as (nil) for a null %p"
    "conn_tnsnames_test|one case builds a directory path longer than the 260 characters of a Windows path")

set(OCI_TEST_LISTS)
foreach(_dir IN LISTS OCICOMPAT_WINDOWS_TEST_DIRS)
  list(APPEND OCI_TEST_LISTS ${PROJECT_SOURCE_DIR}/tests/${_dir}/CMakeLists.txt)
endforeach()

# Message texts carry the Windows prefix: a test source that expects the Linux
# one is compiled from a copy with the prefix replaced, and a test that reads
# translations from TAVLOCALEDIR gets catalogues whose message ids carry it
# too. Test programs also get the few POSIX calls the C runtime lacks.
# Loadable modules of a test folder link against the DLL (a Windows DLL
# resolves every symbol when it is linked), and their directory, named in
# LD_LIBRARY_PATH for Linux, becomes the test's DLL search path.
function(oci_platform_test_target name)
  foreach(_entry IN LISTS OCICOMPAT_WINDOWS_SKIPPED_TESTS)
    string(REPLACE "|" ";" _entry "${_entry}")
    list(GET _entry 0 _skipped)
    if(_skipped STREQUAL name)
      list(GET _entry 1 _reason)
      message(STATUS "Skipped on Windows: ${name}: ${_reason}")
      set_target_properties(${name} PROPERTIES EXCLUDE_FROM_ALL ON)
      set_tests_properties(${name} PROPERTIES DISABLED ON)
      return()
    endif()
  endforeach()
  # Programs under wine run several times slower than natively.
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
  get_target_property(_sources ${name} SOURCES)
  set(_out)
  foreach(_src IN LISTS _sources)
    get_filename_component(_abs ${_src} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    file(READ ${_abs} _text)
    string(FIND "${_text}" "VOSKARI-" _at)
    if(_at EQUAL -1)
      list(APPEND _out ${_abs})
    else()
      get_filename_component(_base ${_abs} NAME)
      set(_copy ${CMAKE_CURRENT_BINARY_DIR}/windows-prefix/${name}/${_base})
      string(REPLACE "VOSKARI-" "VOSKA-" _text "${_text}")
      file(WRITE ${_copy}.tmp "${_text}")
      configure_file(${_copy}.tmp ${_copy} COPYONLY)
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_abs})
      list(APPEND _out ${_copy})
    endif()
  endforeach()
  list(APPEND _out ${PROJECT_SOURCE_DIR}/tests/windows/posix_compat.cpp)
  set_target_properties(${name} PROPERTIES SOURCES "${_out}")
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/windows/posix_compat.h)
  target_include_directories(${name} BEFORE PRIVATE ${PROJECT_SOURCE_DIR}/tests/windows/include)

  get_directory_property(_targets BUILDSYSTEM_TARGETS)
  foreach(_target IN LISTS _targets)
    get_target_property(_type ${_target} TYPE)
    if(_type STREQUAL "MODULE_LIBRARY")
      target_link_libraries(${_target} PRIVATE ocicompat)
    endif()
  endforeach()

  get_test_property(${name} ENVIRONMENT _env)
  if(_env MATCHES "LD_LIBRARY_PATH=([^;]*)")
    string(REPLACE "/" "\\" _winepath "Z:${CMAKE_MATCH_1}")
    list(APPEND _env "WINEPATH=${_winepath}")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${_env}")
  endif()
  if(NOT _env MATCHES "TAVLOCALEDIR=")
    return()
  endif()
  find_program(OCI_MSGFMT msgfmt REQUIRED)
  set(_locale ${CMAKE_CURRENT_BINARY_DIR}/windows-locale)
  file(GLOB _po_files ${CMAKE_CURRENT_SOURCE_DIR}/tavoci-*.po)
  set(_mos)
  foreach(_po IN LISTS _po_files)
    get_filename_component(_lang ${_po} NAME_WE)
    string(REPLACE "tavoci-" "" _lang ${_lang})
    file(READ ${_po} _text)
    string(REPLACE "VOSKARI-" "VOSKA-" _text "${_text}")
    file(WRITE ${_locale}/tavoci-${_lang}.po.tmp "${_text}")
    configure_file(${_locale}/tavoci-${_lang}.po.tmp ${_locale}/tavoci-${_lang}.po COPYONLY)
    set(_mo ${_locale}/${_lang}/LC_MESSAGES/tavoci.mo)
    add_custom_command(OUTPUT ${_mo}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_locale}/${_lang}/LC_MESSAGES
      COMMAND ${OCI_MSGFMT} -o ${_mo} ${_locale}/tavoci-${_lang}.po
      DEPENDS ${_locale}/tavoci-${_lang}.po)
    list(APPEND _mos ${_mo})
  endforeach()
  add_custom_target(${name}_windows_catalogue DEPENDS ${_mos})
  add_dependencies(${name} ${name}_windows_catalogue)
  string(REGEX REPLACE "TAVLOCALEDIR=[^;]*" "TAVLOCALEDIR=${_locale}" _env "${_env}")
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${_env}")
endfunction()
