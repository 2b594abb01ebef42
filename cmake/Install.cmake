# Drop-in packaging: the library laid out the way the vendor's Instant Client
# is, so that programs and drivers written for that client find it unchanged.
#
#   <dir>/libocicompat.so.<version>          the library
#   <dir>/libocicompat.so.<major>, .so       its usual links
#   <dir>/libclntsh.so, .so.11.1, .so.12.1, .so.19.1
#                                            the names drivers dlopen or link
#   <dir>/sdk/include/*.h                    the public headers
#   <libdir>/pkgconfig/ocicompat.pc          compile and link flags
#
# <dir> is <prefix>/OCICOMPAT_CLIENT_DIR after `cmake --install`; the build
# tree gets the same shape in <build>/instantclient (target `instantclient`,
# built by default), which tests and the demo use without installing.
#
# Users point node-oracledb's initOracleClient({libDir}) at <dir>, or put
# <dir> in LD_LIBRARY_PATH for C programs linked with -lclntsh.

include(GNUInstallDirs)

set(OCICOMPAT_CLIENT_DIR "${CMAKE_INSTALL_LIBDIR}/ocicompat" CACHE STRING
    "Instant-Client-shaped directory, relative to the install prefix")
# The names the vendor's client is found by: the unversioned one ODPI-C and
# linkers use first, then the versioned ones drivers try in turn.
set(OCICOMPAT_CLIENT_NAMES libclntsh.so libclntsh.so.11.1 libclntsh.so.12.1 libclntsh.so.19.1)

if(IS_ABSOLUTE "${OCICOMPAT_CLIENT_DIR}")
  message(FATAL_ERROR "OCICOMPAT_CLIENT_DIR must be relative to the install prefix")
endif()

# ---- build tree ---------------------------------------------------------
set(OCICOMPAT_BUILD_CLIENT_DIR ${PROJECT_BINARY_DIR}/instantclient)
if(UNIX)
  set(_ic_commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${OCICOMPAT_BUILD_CLIENT_DIR}/sdk
    COMMAND ${CMAKE_COMMAND} -E create_symlink ${PROJECT_SOURCE_DIR}/include
            ${OCICOMPAT_BUILD_CLIENT_DIR}/sdk/include
    COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_SONAME_FILE:ocicompat>
            ${OCICOMPAT_BUILD_CLIENT_DIR}/$<TARGET_SONAME_FILE_NAME:ocicompat>)
  foreach(_name IN LISTS OCICOMPAT_CLIENT_NAMES)
    list(APPEND _ic_commands
      COMMAND ${CMAKE_COMMAND} -E create_symlink $<TARGET_SONAME_FILE_NAME:ocicompat>
              ${OCICOMPAT_BUILD_CLIENT_DIR}/${_name})
  endforeach()
  add_custom_target(instantclient ALL ${_ic_commands}
    DEPENDS ocicompat VERBATIM
    COMMENT "Instant-Client-shaped directory in ${OCICOMPAT_BUILD_CLIENT_DIR}")
endif()

# ---- install ------------------------------------------------------------
install(TARGETS ocicompat
  LIBRARY DESTINATION ${OCICOMPAT_CLIENT_DIR}
  RUNTIME DESTINATION ${OCICOMPAT_CLIENT_DIR}
  ARCHIVE DESTINATION ${OCICOMPAT_CLIENT_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/
  DESTINATION ${OCICOMPAT_CLIENT_DIR}/sdk/include
  FILES_MATCHING PATTERN "*.h")

if(UNIX)
  # Relative links, so that the installed directory can be moved or copied.
  foreach(_name IN LISTS OCICOMPAT_CLIENT_NAMES)
    install(CODE "
      set(_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${OCICOMPAT_CLIENT_DIR}/${_name}\")
      message(STATUS \"Installing: \${_link} -> $<TARGET_SONAME_FILE_NAME:ocicompat>\")
      file(CREATE_LINK \"$<TARGET_SONAME_FILE_NAME:ocicompat>\" \"\${_link}\" SYMBOLIC)")
  endforeach()

  # The .pc file finds the prefix from its own location, so it stays right
  # under `cmake --install --prefix`, DESTDIR and a moved tree.
  set(_pc_up "..")
  string(REPLACE "/" ";" _libdir_parts "${CMAKE_INSTALL_LIBDIR}")
  foreach(_part IN LISTS _libdir_parts)
    string(APPEND _pc_up "/..")
  endforeach()
  set(OCICOMPAT_PC_PREFIX "\${pcfiledir}/${_pc_up}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/ocicompat.pc.in
                 ${PROJECT_BINARY_DIR}/ocicompat.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/ocicompat.pc
          DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endif()
