# Build helpers: type libraries from IDL, COM server libraries, and tests run under Wine.

find_program(TIDVEX_WIDL NAMES ${TIDVEX_TRIPLE}-widl widl REQUIRED)
set(TIDVEX_WINE_IDL_DIR /usr/include/wine/wine/windows CACHE PATH "Wine's IDL files (libwine-dev)")
set(TIDVEX_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Folder of Wine's stdole2.tlb")

# tidvex_typelib(<name> <idl>): compiles <idl> into <name>.h, <name>_i.c and
# <name>.tlb in the current binary folder, and makes the static library
# <name>_guids (the identifiers, with the header's folder on its include path).
function(tidvex_typelib name idl)
  set(out ${CMAKE_CURRENT_BINARY_DIR})
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  add_custom_command(
    OUTPUT ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND ${TIDVEX_WIDL} ${TIDVEX_WIDL_ARCH} -I${TIDVEX_WINE_IDL_DIR} -L${TIDVEX_STDOLE_DIR}
            -h -H ${out}/${name}.h -u -U ${out}/${name}_i.c -t -T ${out}/${name}.tlb ${idl_abs}
    DEPENDS ${idl_abs}
    COMMENT "widl ${name}"
    VERBATIM)
  add_library(${name}_guids STATIC ${out}/${name}_i.c ${out}/${name}.h)
  target_include_directories(${name}_guids PUBLIC ${out})
  set_source_files_properties(${out}/${name}.tlb PROPERTIES GENERATED TRUE)
  add_custom_target(${name}_tlb DEPENDS ${out}/${name}.tlb)
endfunction()

# tidvex_com_server(<target> TYPELIB <name> LIBID <guid> RC <rc> SOURCES ...):
# an in-process COM server with the four standard exports, its type library
# embedded as TYPELIB 1 (the .rc names <name>.tlb), checked after every build.
function(tidvex_com_server target)
  cmake_parse_arguments(A "" "TYPELIB;LIBID;RC" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${A_SOURCES} ${A_RC}
              ${CMAKE_SOURCE_DIR}/common/com/server_exports.cpp ${CMAKE_SOURCE_DIR}/common/com/server.def)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${target})
  if(TIDVEX_ARCH STREQUAL "i686")
    # The exports are stdcall; the .def names them undecorated.
    target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE tidvex_com ${A_TYPELIB}_guids tidvex_flags ${A_LIBS})
  add_dependencies(${target} ${A_TYPELIB}_tlb)
  set_property(SOURCE ${A_RC} APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${A_TYPELIB}.tlb)
  if(TIDVEX_CAN_RUN)
    # widl can silently damage a type library (a wrong LIBID, bases that do not
    # resolve to IDispatch); refuse to build a library that carries such a one.
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${TIDVEX_WINE_RUN} --prefix tlbcheck-${target} $<TARGET_FILE:tlbcheck> "Y:\\$<TARGET_FILE_NAME:${target}>" ${A_LIBID}
      COMMENT "Checking the type library of ${target}"
      VERBATIM)
    add_dependencies(${target} tlbcheck)
  endif()
endfunction()

# The wine-run environment that registers the listed libraries before a test runs.
function(_tidvex_register_env out)
  set(env "")
  if(ARGN)
    list(TRANSFORM ARGN APPEND ".dll" OUTPUT_VARIABLE dlls)
    list(JOIN dlls " " dlls)
    set(env "TIDVEX_REGISTER=${dlls}")
  endif()
  set(${out} "${env}" PARENT_SCOPE)
endfunction()

# tidvex_add_test(<name> SOURCES ... [LIBS ...] [REGISTER dll...] [DEPENDS target...] [DRIVES spec...]
#                 [IMAGE_ABSENT spec...] [IMAGE_PRESENT spec...] [TIMEOUT s] [NO_MAIN])
# A GoogleTest program run by CTest under Wine in a fresh sandboxed prefix of its own.
function(tidvex_add_test name)
  cmake_parse_arguments(A "NO_MAIN" "TIMEOUT" "SOURCES;LIBS;REGISTER;DRIVES;IMAGE_ABSENT;IMAGE_PRESENT;DEPENDS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE tidvex_flags tidvex_test_support GTest::gtest ${A_LIBS})
  if(NOT A_NO_MAIN)
    target_link_libraries(${name} PRIVATE tidvex_test_main)
  endif()
  foreach(dep ${A_REGISTER} ${A_DEPENDS})
    add_dependencies(${name} ${dep})
  endforeach()
  if(NOT TIDVEX_CAN_RUN)
    return()
  endif()
  add_test(NAME ${name} COMMAND ${name})
  _tidvex_register_env(env ${A_REGISTER})
  foreach(var DRIVES IMAGE_ABSENT IMAGE_PRESENT)
    if(A_${var})
      list(JOIN A_${var} " " v)
      list(APPEND env "TIDVEX_${var}=${v}")
    endif()
  endforeach()
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${A_TIMEOUT} ENVIRONMENT "${env}")
endfunction()

# tidvex_add_script_test(<name> SCRIPT <file.js> [REGISTER dll...]): runs a script
# with Wine's cscript in a sandboxed prefix. cscript ends with status 0 even after
# an uncaught error, so the test passes only when the script's last line is
# "SCRIPT PASSED" (tools/script-test), printed after every check, and it quit with 0.
function(tidvex_add_script_test name)
  cmake_parse_arguments(A "" "SCRIPT" "REGISTER" ${ARGN})
  get_filename_component(script_name ${A_SCRIPT} NAME)
  configure_file(${A_SCRIPT} ${CMAKE_BINARY_DIR}/bin/scripts/${script_name} COPYONLY)
  if(NOT TIDVEX_CAN_RUN)
    return()
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/tools/script-test
                   ${TIDVEX_WINE_RUN} --prefix ${name} --system cscript.exe //nologo "Y:\\scripts\\${script_name}")
  _tidvex_register_env(env ${A_REGISTER})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 ENVIRONMENT "${env}")
endfunction()
