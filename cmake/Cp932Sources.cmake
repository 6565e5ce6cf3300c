# nerolit_cp932_sources(OUT_VAR FILE...) - the module's sources with their
# texts in code page 932, for every compiler alike: each FILE (absolute, under
# the source tree) is run through tools/cp932-literals.py into
# ${CMAKE_BINARY_DIR}/cp932/<same path>, and OUT_VAR receives the generated
# files.  A target compiles those, with ${NEROLIT_CP932_DIR} ahead of the
# source tree in its include path, so that the module's own headers come
# from the generated tree too.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(NEROLIT_CP932_DIR ${CMAKE_BINARY_DIR}/cp932)
set(NEROLIT_CP932_SCRIPT ${CMAKE_SOURCE_DIR}/tools/cp932-literals.py)

function(nerolit_cp932_sources out_var)
  set(outputs)
  foreach(source IN LISTS ARGN)
    file(RELATIVE_PATH relative ${CMAKE_SOURCE_DIR} ${source})
    set(output ${NEROLIT_CP932_DIR}/${relative})
    add_custom_command(OUTPUT ${output}
      COMMAND Python3::Interpreter ${NEROLIT_CP932_SCRIPT} ${source} ${output}
      DEPENDS ${source} ${NEROLIT_CP932_SCRIPT}
      COMMENT "Code page 932 texts of ${relative}"
      VERBATIM)
    list(APPEND outputs ${output})
  endforeach()
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()
