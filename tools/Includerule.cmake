# The include rule: every file of a source folder reads only files of its own folder and of the
# folders below it, and the logic folders and the tools read nothing of Qt.
#
# The rule is checked against what the compiler read, not against the text of the files: after
# the build, Ninja's record of the headers each object read (`ninja -t deps`, which the compiler's
# dependency files fill) is compared with the layers below (tools/Includerule.sh). Whatever form
# an include takes, the compiler decides whether it is read: a header it read counts, one in a
# branch it skipped does not. An object counts for the folder of its source. So that a header
# counts for its own folder too (a header of device read only by panel's files still may not
# read panel), every header of a folder is also compiled alone, with its folder's settings, into
# an object that no program uses; every other file of a folder that a file may include (a part
# such as Table.inc or Impl.tcc, which need not compile alone, a data file, a name without an
# ending) is read alone by the preprocessor, which decides what it reads. Only the build's own
# scripts and notes in a folder are not read. A file read through a link counts where the link
# leads; a header generated into the build folder or anywhere else counts for nothing itself, and
# what it reads counts for the file that read it. In the folders compiled without Qt, a header
# of Qt's include folders is refused however it was named.
#
#   include(tools/Includerule.cmake)
#   orrery_include_rule(<folder> <target> [<folder> <target> ...])
# names each folder's target (its settings compile the folder's headers alone) and, after every
# target of the calling directory that compiles a file of src or tools, checks the rule: a
# target orrery_includerule, built with all, that fails naming each file that read what its
# folder may not read. Needs the Ninja generator: under another one it warns and checks nothing.

# What each folder may read besides itself; a folder not named here may hold no file the
# compiler may read.
set(ORRERY_LAYERS
  "platform|plain|"
  "common|plain|platform"
  "link|plain|platform common"
  "device|plain|platform common link"
  "panel|plain|platform common link device"
  "service|plain|platform common link device panel"
  "zcomponents|qt|platform"
  "link/ui|qt|platform common link zcomponents"
  "panel/ui|qt|platform common link device panel zcomponents link/ui"
  "service/ui|qt|platform common link device panel service zcomponents link/ui panel/ui"
  "app|qt|platform common link device panel service zcomponents link/ui panel/ui service/ui"
  # The flash library the program loads: built from its own folder and the service's image check.
  "flashlib|plain|platform common link device panel service"
  # The simulated unit and the link soak are built on the device layer; the soak drives the
  # simulated unit. The files directly in tools are no program's but are held to the same.
  "tools/simunit|plain|platform common link device"
  "tools/soak|plain|platform common link device tools/simunit"
  "tools|plain|platform common link device tools/simunit")

# How the files of a folder are read alone, by their endings: sources are their targets'; headers
# are compiled alone; the build's own scripts and notes are never read; every other file is
# preprocessed alone.
set(ORRERY_RULE_SOURCES .cpp .cc .cxx .c)
set(ORRERY_RULE_HEADERS .h .hh .hpp .hxx)
set(ORRERY_RULE_NOT_READ .cmake .sh .md)

set(ORRERY_RULE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/Includerule.sh)

function(orrery_include_rule)
  if(NOT CMAKE_GENERATOR MATCHES "Ninja")
    message(WARNING "The include rule is checked only in a build made with Ninja, whose record of "
                    "the headers each object read it reads")
    return()
  endif()
  set(src ${CMAKE_SOURCE_DIR}/src)
  set(tools ${CMAKE_SOURCE_DIR}/tools)
  set(probes ${CMAKE_BINARY_DIR}/includerule)

  # Qt's include folders, as its targets give them (the folders of every module of it).
  set(qt_roots)
  foreach(qt Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Network Qt6::PrintSupport)
    if(TARGET ${qt})
      get_target_property(dirs ${qt} INTERFACE_INCLUDE_DIRECTORIES)
      foreach(dir IN LISTS dirs)
        if(dir AND IS_DIRECTORY "${dir}")
          file(REAL_PATH "${dir}" dir)
          # The system's own include folders hold more than Qt.
          if(NOT dir MATCHES "^/usr(/local)?/include(/[^/]+-linux-gnu)?$")
            list(APPEND qt_roots "${dir}")
          endif()
        endif()
      endforeach()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES qt_roots)
  if(NOT qt_roots)
    message(FATAL_ERROR "The include rule needs Qt's targets (find_package(Qt6 ...)) to know its headers")
  endif()

  # Every header of a folder compiled alone with the settings of the folder's target.
  set(checked)
  set(folders)
  set(args ${ARGN})
  while(args)
    list(POP_FRONT args folder target)
    if(NOT TARGET ${target})
      message(FATAL_ERROR "orrery_include_rule: ${folder}: no target ${target}")
    endif()
    list(APPEND folders ${folder})
    if(folder MATCHES "^tools(/(.*))?$")
      set(dir ${tools}/${CMAKE_MATCH_2})
    else()
      set(dir ${src}/${folder})
    endif()
    file(GLOB files LIST_DIRECTORIES false CONFIGURE_DEPENDS ${dir}/*)
    set(compiled)
    set(preprocessed)
    foreach(file IN LISTS files)
      get_filename_component(name ${file} NAME)
      get_filename_component(ending ${file} LAST_EXT)
      string(TOLOWER "${ending}" ending)
      # An editor's files beside the one it edits (hidden, #autosaved#, backup~) are no one's.
      if(ending IN_LIST ORRERY_RULE_SOURCES OR ending IN_LIST ORRERY_RULE_NOT_READ OR name MATCHES "^[.#]|~$")
        continue()
      endif()
      file(CONFIGURE OUTPUT ${probes}/${folder}/${name}.cpp CONTENT "#include \"${file}\"\n")
      if(ending IN_LIST ORRERY_RULE_HEADERS)
        list(APPEND compiled ${probes}/${folder}/${name}.cpp)
      else()
        list(APPEND preprocessed ${probes}/${folder}/${name}.cpp)
      endif()
    endforeach()
    string(MAKE_C_IDENTIFIER "includerule_${folder}" probe)
    foreach(how compiled preprocessed)
      if(${how})
        add_library(${probe}_${how} OBJECT EXCLUDE_FROM_ALL ${${how}})
        target_link_libraries(${probe}_${how} PRIVATE ${target})
        set_target_properties(${probe}_${how} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
        list(APPEND checked ${probe}_${how})
      endif()
    endforeach()
    if(preprocessed)
      # What the preprocessor reads is all the rule asks; its output is no object.
      target_compile_options(${probe}_preprocessed PRIVATE -E -w)
    endif()
  endwhile()

  # Every target of this directory that compiles a file of src or tools.
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(NOT type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
      continue()
    endif()
    get_target_property(sources ${t} SOURCES)
    get_target_property(source_dir ${t} SOURCE_DIR)
    foreach(s IN LISTS sources)
      if(NOT IS_ABSOLUTE "${s}")
        set(s ${source_dir}/${s})
      endif()
      if(s MATCHES "^(${src}|${tools})/")
        list(APPEND checked ${t})
        break()
      endif()
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES checked)

  # What the check reads: the folders, Qt's include folders and the layers.
  set(rules "src\t${src}\ntools\t${tools}\ntop\t${CMAKE_SOURCE_DIR}\nprobes\t${probes}\n")
  list(JOIN ORRERY_RULE_NOT_READ " " not_read)
  string(APPEND rules "notread\t${not_read}\n")
  foreach(root IN LISTS qt_roots)
    string(APPEND rules "qt\t${root}\n")
  endforeach()
  foreach(layer IN LISTS ORRERY_LAYERS)
    string(REPLACE "|" "\t" layer "${layer}")
    string(APPEND rules "layer\t${layer}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${probes}/rules.txt CONTENT "${rules}")

  add_custom_target(orrery_includerule ALL
    COMMAND bash ${ORRERY_RULE_SCRIPT} ${CMAKE_BINARY_DIR} ${probes}/rules.txt ${CMAKE_MAKE_PROGRAM}
    COMMENT "Checking the include rule against the headers each object read"
    VERBATIM)
  add_dependencies(orrery_includerule ${checked})
endfunction()
