# Fails unless every name in NAMES appears, unmangled, among the undefined
# symbols of OBJECTS (the C++ entry-point table).  A mangled reference means
# the declaration it came from has C++ linkage and would never match the
# library's exported symbol.
cmake_minimum_required(VERSION 3.25)

if(NOT NM OR NOT NAMES OR NOT OBJECTS)
  message(FATAL_ERROR "usage: -DNM=<nm> -DNAMES=<list file> -DOBJECTS=<objects> -P check_linkage.cmake")
endif()

set(_symbols "")
foreach(_obj IN LISTS OBJECTS)
  execute_process(COMMAND ${NM} -u ${_obj} OUTPUT_VARIABLE _out RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${_obj}")
  endif()
  string(APPEND _symbols "${_out}")
endforeach()
string(REGEX REPLACE "[ \t]*U[ \t]+" "" _symbols "${_symbols}")
string(REPLACE "\n" ";" _symbols "${_symbols}")

file(STRINGS ${NAMES} _lines)
set(_missing "")
set(_count 0)
foreach(_name IN LISTS _lines)
  string(STRIP "${_name}" _name)
  if(_name STREQUAL "" OR _name MATCHES "^#")
    continue()
  endif()
  math(EXPR _count "${_count} + 1")
  if(NOT _name IN_LIST _symbols)
    list(APPEND _missing ${_name})
  endif()
endforeach()

set(_mangled "")
foreach(_sym IN LISTS _symbols)
  if(_sym MATCHES "^_Z.*(OCI|oci|xao)")
    list(APPEND _mangled ${_sym})
  endif()
endforeach()

if(_missing OR _mangled)
  message(FATAL_ERROR "entry points without C linkage or not referenced: ${_missing}\n"
                      "mangled references: ${_mangled}")
endif()
message(STATUS "${_count} entry points referenced with C linkage")
