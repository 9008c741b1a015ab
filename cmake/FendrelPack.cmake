# fendrel_append_files(TARGET [FILES file...] [TARGETS target...])
#
# After TARGET is linked, appends the FILES (relative to the calling directory) and the files of
# the TARGETS, in that order, to it as its container, with fendrel-pack. TARGET is linked again
# whenever one of them, or the packer, changes, so the executable never carries stale copies.
# Stored names are the file names without directory, so give TARGETS the names the program
# extracts them under (PREFIX, OUTPUT_NAME). With FENDREL_STRIP, TARGET is stripped first.
option(FENDREL_STRIP "Strip the programs that carry files before the files are appended" OFF)

function(fendrel_append_files target)
  cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "FILES;TARGETS")
  set(files "")
  foreach(file IN LISTS ARG_FILES)
    cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND files "${file}")
  endforeach()
  foreach(file IN LISTS ARG_TARGETS)
    list(APPEND files "$<TARGET_FILE:${file}>")
  endforeach()
  if(ARG_TARGETS)
    add_dependencies(${target} ${ARG_TARGETS})
  endif()
  add_dependencies(${target} fendrel-pack)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${files}
               "$<TARGET_FILE:fendrel-pack>")
  # strip rewrites a program from its sections and would drop the container after them, so a
  # stripped program is stripped before its files are appended, never after.
  set(strip "")
  if(FENDREL_STRIP)
    set(strip COMMAND "${CMAKE_STRIP}" "$<TARGET_FILE:${target}>")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    ${strip}
    COMMAND fendrel-pack "$<TARGET_FILE:${target}>" ${files}
    COMMENT "Appending the container to ${target}"
    VERBATIM)
endfunction()
