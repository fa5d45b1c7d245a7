# Game packaging: turns a game's source folder into a game folder that tessera runs (with
# TESSERA_PROGRAM_DIR pointing at it, or with tessera copied beside it).
#
# tessera_game(NAME target SOURCE_DIR dir OUTPUT_DIR dir VERSION number
#              [FILES pack member file ...] [DEPENDS target ...])
#
# Every folder directly below SOURCE_DIR is one pack: the folder "res" becomes "<OUTPUT_DIR>/res.dat",
# "system" becomes "system.dat", "resS" becomes "resS.dat", and so on. The files below a pack's
# folder are its members, named by their path inside that folder; Squirrel sources (".nut") are
# compiled by sqc and packed as ".cnut". The pack "system" always exists and also holds what the
# runtime itself reads: "sys/renderer.csa", the "sys/posteffect/" shaders and "sys/font.ttf" (IPA
# Gothic, found through fontconfig). FILES adds members made by the build (pack, member name,
# file; DEPENDS names the targets that make them). "<OUTPUT_DIR>/ver" holds VERSION as one
# big-endian u32. The target builds with ALL.

# The IPA Gothic font file, found once through fontconfig (fc-match from the fontconfig package,
# the font from fonts-ipafont-gothic; scripts/deps installs both).
function(tessera_game_font_source out_var)
  if(NOT TESSERA_GAME_FONT_SOURCE)
    find_program(TESSERA_FC_MATCH fc-match REQUIRED)
    execute_process(COMMAND ${TESSERA_FC_MATCH} -f "%{family}\t%{file}" "IPAGothic"
      OUTPUT_VARIABLE match RESULT_VARIABLE status)
    string(FIND "${match}" "\t" tab)
    if(NOT status EQUAL 0 OR tab LESS 0)
      message(FATAL_ERROR "fc-match cannot find a font (run scripts/deps)")
    endif()
    string(SUBSTRING "${match}" 0 ${tab} families)
    math(EXPR after "${tab} + 1")
    string(SUBSTRING "${match}" ${after} -1 file)
    if(NOT families MATCHES "IPAGothic" OR NOT EXISTS "${file}")
      message(FATAL_ERROR "IPA Gothic is not installed (fonts-ipafont-gothic; run scripts/deps)")
    endif()
    file(REAL_PATH "${file}" file)
    set(TESSERA_GAME_FONT_SOURCE "${file}" CACHE INTERNAL "The font file packed as sys/font.ttf")
  endif()
  set(${out_var} "${TESSERA_GAME_FONT_SOURCE}" PARENT_SCOPE)
endfunction()

# The build's copy of the font, made once for every game: "<build>/data/sys/font.ttf".
function(tessera_game_font out_var)
  set(font "${CMAKE_BINARY_DIR}/data/sys/font.ttf")
  if(NOT TARGET game_font)
    tessera_game_font_source(source)
    add_custom_command(OUTPUT "${font}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/data/sys"
      COMMAND ${CMAKE_COMMAND} -E copy "${source}" "${font}"
      DEPENDS "${source}"
      COMMENT "Copying sys/font.ttf" VERBATIM)
    add_custom_target(game_font DEPENDS "${font}")
  endif()
  set(${out_var} "${font}" PARENT_SCOPE)
endfunction()

function(tessera_game)
  cmake_parse_arguments(ARG "" "NAME;SOURCE_DIR;OUTPUT_DIR;VERSION" "FILES;DEPENDS" ${ARGN})
  foreach(required NAME SOURCE_DIR OUTPUT_DIR VERSION)
    if(NOT DEFINED ARG_${required})
      message(FATAL_ERROR "tessera_game: ${required} is missing")
    endif()
  endforeach()
  list(LENGTH ARG_FILES file_words)
  math(EXPR leftover "${file_words} % 3")
  if(NOT leftover EQUAL 0)
    message(FATAL_ERROR "tessera_game(${ARG_NAME}): FILES takes pack, member and file triples")
  endif()

  set(work "${CMAKE_CURRENT_BINARY_DIR}/${ARG_NAME}.pack")
  # Per pack: pack_<name>_lines (the list file's lines) and pack_<name>_files (its inputs).
  set(packs system)
  file(GLOB children LIST_DIRECTORIES true CONFIGURE_DEPENDS "${ARG_SOURCE_DIR}/*")
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${child}")
      get_filename_component(pack "${child}" NAME)
      list(APPEND packs ${pack})
      file(GLOB_RECURSE members RELATIVE "${child}" CONFIGURE_DEPENDS "${child}/*")
      list(SORT members)
      foreach(member IN LISTS members)
        set(file "${child}/${member}")
        if(member MATCHES "\\.nut$")
          string(REGEX REPLACE "\\.nut$" ".cnut" member "${member}")
          set(compiled "${work}/${pack}/${member}")
          get_filename_component(compiled_dir "${compiled}" DIRECTORY)
          add_custom_command(OUTPUT "${compiled}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${compiled_dir}"
            COMMAND sqc compile "${file}" "${compiled}"
            DEPENDS sqc "${file}"
            COMMENT "Compiling ${pack}/${member}" VERBATIM)
          set(file "${compiled}")
        endif()
        string(APPEND pack_${pack}_lines "${member}\t${file}\n")
        list(APPEND pack_${pack}_files "${file}")
      endforeach()
    endif()
  endforeach()

  # What the runtime itself reads from the system pack.
  tessera_game_font(font)
  get_property(posteffect_shaders GLOBAL PROPERTY TESSERA_POSTEFFECT_SHADERS)
  string(APPEND pack_system_lines "sys/renderer.csa\t${TESSERA_RENDERER_CSA}\n")
  string(APPEND pack_system_lines "sys/font.ttf\t${font}\n")
  list(APPEND pack_system_files "${TESSERA_RENDERER_CSA}" "${font}")
  foreach(shader IN LISTS posteffect_shaders)
    get_filename_component(name "${shader}" NAME)
    string(APPEND pack_system_lines "sys/posteffect/${name}\t${shader}\n")
    list(APPEND pack_system_files "${shader}")
  endforeach()

  while(ARG_FILES)
    list(POP_FRONT ARG_FILES pack member file)
    list(APPEND packs ${pack})
    string(APPEND pack_${pack}_lines "${member}\t${file}\n")
    list(APPEND pack_${pack}_files "${file}")
  endwhile()
  list(REMOVE_DUPLICATES packs)

  set(outputs "${ARG_OUTPUT_DIR}/ver")
  add_custom_command(OUTPUT "${ARG_OUTPUT_DIR}/ver"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${ARG_OUTPUT_DIR}"
    COMMAND apfcpack ver "${ARG_OUTPUT_DIR}/ver" "${ARG_VERSION}"
    DEPENDS apfcpack
    COMMENT "Writing ${ARG_NAME}'s ver" VERBATIM)
  foreach(pack IN LISTS packs)
    set(list_file "${work}/${pack}.list")
    file(GENERATE OUTPUT "${list_file}" CONTENT "${pack_${pack}_lines}")
    set(archive "${ARG_OUTPUT_DIR}/${pack}.dat")
    add_custom_command(OUTPUT "${archive}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${ARG_OUTPUT_DIR}"
      COMMAND apfcpack pack "${archive}" "${list_file}"
      DEPENDS apfcpack "${list_file}" ${pack_${pack}_files}
      COMMENT "Packing ${ARG_NAME}'s ${pack}.dat" VERBATIM)
    list(APPEND outputs "${archive}")
  endforeach()
  add_custom_target(${ARG_NAME} ALL DEPENDS ${outputs})
  add_dependencies(${ARG_NAME} renderer_csa posteffect_shaders game_font ${ARG_DEPENDS})
endfunction()
