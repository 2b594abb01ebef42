# The Windows DLL: voskarioci.dll with its import library, exporting exactly
# the names of the export list through a generated module-definition file.
# Included from src/CMakeLists.txt in place of the ELF shared library.

# Windows-only libraries: gettext and iconv are separate DLLs there, sockets
# come from winsock.
set(OCICOMPAT_WIN_LIBS ${OCICOMPAT_WIN_DEPS}/lib/libintl.dll.a ${OCICOMPAT_WIN_DEPS}/lib/libiconv.dll.a ws2_32)
target_link_libraries(ocicompat_core PUBLIC ${OCICOMPAT_WIN_LIBS})
target_include_directories(ocicompat_core SYSTEM PUBLIC ${OCICOMPAT_WIN_DEPS}/include)
# localtime_r and gmtime_r; the C99 printf family (%zu, %lld); windows.h
# without its min and max macros.
target_compile_definitions(ocicompat_core PUBLIC _POSIX_THREAD_SAFE_FUNCTIONS=200112L __USE_MINGW_ANSI_STDIO=1
  PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)

set(OCICOMPAT_DEF_FILE ${CMAKE_CURRENT_BINARY_DIR}/voskarioci.def)
set(_def "LIBRARY voskarioci.dll\nEXPORTS\n")
foreach(_name IN LISTS OCICOMPAT_EXPORT_NAMES)
  string(APPEND _def "    ${_name}\n")
endforeach()
file(WRITE ${OCICOMPAT_DEF_FILE}.tmp "${_def}")
configure_file(${OCICOMPAT_DEF_FILE}.tmp ${OCICOMPAT_DEF_FILE} COPYONLY)

add_library(ocicompat SHARED ${CMAKE_CURRENT_SOURCE_DIR}/empty.cpp ${OCICOMPAT_DEF_FILE})
set_target_properties(ocicompat PROPERTIES
  OUTPUT_NAME voskarioci PREFIX "" IMPORT_PREFIX "lib" VERSION ${PROJECT_VERSION})
target_include_directories(ocicompat PUBLIC ${PROJECT_SOURCE_DIR}/include)
target_link_libraries(ocicompat PRIVATE
  -Wl,--whole-archive ocicompat_core -Wl,--no-whole-archive -Wl,--no-undefined)
target_link_libraries(ocicompat PRIVATE PkgConfig::LIBPQ PkgConfig::DECIMAL_LIBS Threads::Threads
  ${OCICOMPAT_WIN_LIBS})

# The DLLs it needs at run time, copied beside it.
foreach(_dll libpq.dll iconv.dll libintl-8.dll)
  add_custom_command(TARGET ocicompat POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OCICOMPAT_WIN_DEPS}/bin/${_dll}
            $<TARGET_FILE_DIR:ocicompat>/${_dll})
endforeach()
