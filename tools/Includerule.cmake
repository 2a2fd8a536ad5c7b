# The include rule: every file of a source folder includes only files of the folders below it
# (and of its own). Each include is resolved to the file it names, whatever its spelling:
# "dir/x.h" or <dir/x.h>, relative to the including file ("../../dir/x.h") or to the source root,
# with any spaces around the '#'. The logic folders include no Qt header at all.
#   cmake -DSRC=<source root> [-DSTAMP=<file touched when the rule holds>] -P Includerule.cmake
# Exits with an error naming every file that breaks the rule.

if(NOT SRC)
  message(FATAL_ERROR "Includerule: SRC (the source root) is not given")
endif()
get_filename_component(src "${SRC}" ABSOLUTE)
if(NOT IS_DIRECTORY "${src}")
  message(FATAL_ERROR "Includerule: ${src} is not a folder")
endif()

# What each folder may include besides itself; a folder not named here may not exist.
set(below_platform "")
set(below_common platform)
set(below_link platform common)
set(below_device platform common link)
set(below_panel platform common link device)
set(below_service platform common link device panel)
set(below_zcomponents platform)
set(below_link/ui platform common link zcomponents)
set(below_panel/ui platform common link device panel zcomponents link/ui)
set(below_service/ui platform common link device panel service zcomponents link/ui panel/ui)
set(below_app platform common link device panel service zcomponents link/ui panel/ui service/ui)
# The flash library the program loads: built from its own folder and the service's image check.
set(below_flashlib platform common link device panel service)
# Folders compiled without Qt.
set(plain_folders platform common link device panel service flashlib)

file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${src}" "${src}/*.h" "${src}/*.cpp")
list(SORT files)
set(faults "")
foreach(rel ${files})
  get_filename_component(folder "${rel}" DIRECTORY)
  if(NOT DEFINED below_${folder})
    list(APPEND faults "${rel}: its folder '${folder}' has no place among the layers")
    continue()
  endif()
  set(allowed ${folder} ${below_${folder}})
  list(FIND plain_folders "${folder}" plain)

  file(READ "${src}/${rel}" text)
  # Only the include itself is taken, so nothing else of the line reaches the list.
  string(REGEX MATCHALL "(^|\n)[ \t]*#[ \t]*include[ \t]*[<\"][^>\"\n]+[>\"]" includes "${text}")
  foreach(line ${includes})
    string(REGEX REPLACE "^\n?[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"\n]+)[>\"]$" "\\1" opener "${line}")
    string(REGEX REPLACE "^\n?[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"\n]+)[>\"]$" "\\2" name "${line}")
    string(STRIP "${name}" name)

    # As the compiler looks: a quoted name beside the including file first, then the root.
    set(candidates "")
    if(opener STREQUAL "\"")
      get_filename_component(here "${src}/${rel}" DIRECTORY)
      list(APPEND candidates "${here}/${name}")
    endif()
    list(APPEND candidates "${src}/${name}")
    set(target "")
    foreach(c ${candidates})
      get_filename_component(c "${c}" ABSOLUTE)
      if(EXISTS "${c}" AND NOT IS_DIRECTORY "${c}")
        set(target "${c}")
        break()
      endif()
    endforeach()

    if(target STREQUAL "")
      # A header of the system or of a library; the logic folders take nothing of Qt.
      if(plain GREATER -1 AND name MATCHES "^Q[A-Za-z0-9_]*(/|$)")
        list(APPEND faults "${rel}: includes the Qt header <${name}>, and ${folder} compiles without Qt")
      endif()
      continue()
    endif()
    file(RELATIVE_PATH target_rel "${src}" "${target}")
    if(target_rel MATCHES "^\\.\\./")
      list(APPEND faults "${rel}: includes '${name}', a file outside the source folders")
      continue()
    endif()
    get_filename_component(target_folder "${target_rel}" DIRECTORY)
    list(FIND allowed "${target_folder}" ok)
    if(ok EQUAL -1)
      list(APPEND faults "${rel}: includes '${name}' (${target_rel}), a file of ${target_folder}, which ${folder} may not include")
    endif()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults count)
  string(REPLACE ";" "\n  " listing "${faults}")
  message(FATAL_ERROR "The include rule is broken ${count} time(s):\n  ${listing}")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
