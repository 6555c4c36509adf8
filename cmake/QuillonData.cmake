# quillon_add_data(): pictures become LCD data while a project builds.
#
#   quillon_add_data(<target> PICTURES <picture>... [FORMAT <format>] [INVERSE]
#                    [FIT <fit>] [BACKGROUND <colour>] [DITHER <dither>]
#                    [THRESHOLD <0..255>] [ROTATE <degrees>] [FLIP <h|v>]
#                    [FRAME <n> | FRAMES all] [OUTPUT_DIR <dir>] [OUTPUTS <variable>])
#
# Each picture gets a build rule running Quillon::quillon-cli convert, which
# writes its file into OUTPUT_DIR (default: the current build folder; relative
# to it when relative), never beside the picture. A picture is converted again
# when it, or quillon-cli, changes; the others are left as they are. <target>
# is built after the data: a custom target <target>_quillon_data[_<n>] depends
# on the files. Every source of <target> depends on them too (OBJECT_DEPENDS),
# so a changed picture rebuilds what includes its data even with a compiler
# that reports no header dependencies (SDCC), and a target that compiles gets
# OUTPUT_DIR on its include path. Their paths go to <variable> (OUTPUTS) and
# are appended to the target's property QUILLON_DATA_FILES, for the firmware
# to include or assemble. FORMAT is handed to quillon-cli as --format, and
# FIT, BACKGROUND, DITHER, THRESHOLD, ROTATE, FLIP, FRAME and FRAMES as the
# options of the same names (how a picture other than an exact 1-bit 122 x 32
# BMP becomes dots; FRAMES all: every frame of an animated GIF, as one
# animation's table), each only when given. The PICTURES may be PNG, GIF,
# JPEG, PNM or BMP.
include_guard(GLOBAL)

# The values quillon-cli takes for each picture option, as a regular expression.
set(_quillon_data_choices
    FIT "contain|cover|stretch|none" BACKGROUND "white|black" DITHER "none|floyd-steinberg|atkinson|bayer"
    THRESHOLD "[0-9]|[1-9][0-9]|1[0-9][0-9]|2[0-4][0-9]|25[0-5]" ROTATE "0|90|180|270" FLIP "h|v" FRAME "[0-9]+"
    FRAMES "all")

# The file quillon-cli writes for <picture> in <format>: the listing is
# lcd_<name> with every ".bmp" (any case) turned into ".txt", as the tool names
# it beside a picture, or lcd_<stem>.txt for a name ending as another picture
# format's (logo.png); every other format is lcd_<stem><extension>, <stem>
# being the picture's name without its last extension.
function(_quillon_data_file_name format picture out_var)
  # The formats quillon-cli knows, each with the extension of its file.
  set(extensions listing=.txt a51=.a51 as31=.asm sdas=.s c=.h bin=.bin bmp=.bmp)
  set(known)
  foreach(entry IN LISTS extensions)
    string(REPLACE "=" ";" entry "${entry}")
    list(GET entry 0 name)
    list(GET entry 1 extension)
    list(APPEND known ${name})
    if(name STREQUAL format)
      get_filename_component(file_name "${picture}" NAME)
      get_filename_component(last "${picture}" LAST_EXT)
      string(TOLOWER "${last}" last)
      if(format STREQUAL "listing" AND NOT last MATCHES "^\\.(png|gif|jpg|jpeg|jpe|jfif|pnm|pbm|pgm|ppm|pam)$")
        string(REGEX REPLACE "\\.[Bb][Mm][Pp]" "${extension}" file_name "${file_name}")
      else()
        get_filename_component(file_name "${picture}" NAME_WLE)
        string(APPEND file_name "${extension}")
      endif()
      set(${out_var} "lcd_${file_name}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
  list(JOIN known ", " known)
  message(FATAL_ERROR "quillon_add_data: unknown FORMAT ${format}; quillon-cli writes ${known}")
endfunction()

# Every source of <target> depends on the data files: any of them may include
# one, and not every compiler tells the build which headers it read.
function(_quillon_data_object_depends target outputs)
  get_target_property(sources "${target}" SOURCES)
  if(NOT sources)
    return()
  endif()
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\$<")
      set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" APPEND PROPERTY OBJECT_DEPENDS ${outputs})
    endif()
  endforeach()
endfunction()

function(quillon_add_data target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "INVERSE"
                        "FORMAT;FIT;BACKGROUND;DITHER;THRESHOLD;ROTATE;FLIP;FRAME;FRAMES;OUTPUT_DIR;OUTPUTS" "PICTURES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "quillon_add_data: unexpected arguments: ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT TARGET "${target}")
    message(FATAL_ERROR "quillon_add_data: ${target} is not a target")
  endif()
  get_target_property(aliased "${target}" ALIASED_TARGET)
  if(aliased)
    set(target "${aliased}")
  endif()
  get_target_property(imported "${target}" IMPORTED)
  if(imported)
    message(FATAL_ERROR "quillon_add_data: ${target} is imported; give a target this project builds")
  endif()
  if(NOT arg_PICTURES)
    message(FATAL_ERROR "quillon_add_data: no PICTURES given for ${target}")
  endif()
  if(NOT TARGET Quillon::quillon-cli)
    message(FATAL_ERROR "quillon_add_data: Quillon::quillon-cli is missing; use find_package(Quillon) "
                        "or add_subdirectory() of Quillon's source first")
  endif()

  set(format listing)
  set(format_option)
  if(DEFINED arg_FORMAT)
    set(format "${arg_FORMAT}")
    set(format_option --format "${arg_FORMAT}")
  endif()
  set(inverse_option)
  if(arg_INVERSE)
    set(inverse_option --inverse)
  endif()
  set(picture_options)
  set(choices ${_quillon_data_choices})
  while(choices)
    list(POP_FRONT choices keyword pattern)
    if(DEFINED arg_${keyword})
      if(NOT arg_${keyword} MATCHES "^(${pattern})$")
        string(REPLACE "|" ", " takes "${pattern}")
        if(keyword STREQUAL "THRESHOLD")
          set(takes "0 to 255")
        elseif(keyword STREQUAL "FRAME")
          set(takes "a frame number from 0")
        endif()
        message(FATAL_ERROR "quillon_add_data: ${keyword} ${arg_${keyword}}; quillon-cli takes ${takes}")
      endif()
      string(TOLOWER "${keyword}" option)
      list(APPEND picture_options "--${option}" "${arg_${keyword}}")
    endif()
  endwhile()
  set(output_dir "${CMAKE_CURRENT_BINARY_DIR}")
  if(arg_OUTPUT_DIR)
    get_filename_component(output_dir "${arg_OUTPUT_DIR}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
  endif()

  set(outputs)
  foreach(picture IN LISTS arg_PICTURES)
    get_filename_component(picture "${picture}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    _quillon_data_file_name("${format}" "${picture}" file_name)
    set(output "${output_dir}/${file_name}")
    if(output IN_LIST outputs)
      message(FATAL_ERROR "quillon_add_data: two pictures of ${target} would both write ${output}; "
                          "give them separate OUTPUT_DIRs")
    endif()
    list(APPEND outputs "${output}")
    file(RELATIVE_PATH shown "${CMAKE_CURRENT_SOURCE_DIR}" "${picture}")
    add_custom_command(
      OUTPUT "${output}"
      COMMAND "${CMAKE_COMMAND}" -E make_directory "${output_dir}"
      COMMAND Quillon::quillon-cli convert --quiet ${format_option} ${inverse_option} ${picture_options} -o "${output}" "${picture}"
      DEPENDS "${picture}" Quillon::quillon-cli
      COMMENT "Converting ${shown} to ${file_name}"
      VERBATIM)
  endforeach()

  # One custom target per call, so that a target may take several calls.
  set(data_target "${target}_quillon_data")
  set(number 1)
  while(TARGET "${data_target}")
    math(EXPR number "${number} + 1")
    set(data_target "${target}_quillon_data_${number}")
  endwhile()
  add_custom_target("${data_target}" DEPENDS ${outputs})
  add_dependencies("${target}" "${data_target}")
  get_target_property(type "${target}" TYPE)
  if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
    target_include_directories("${target}" PRIVATE "${output_dir}")
  endif()
  # Sources may still be added to the target after this call: they are looked
  # at once the folder's CMakeLists.txt has run to its end.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL _quillon_data_object_depends [[${target}]] [[${outputs}]])")
  set_property(TARGET "${target}" APPEND PROPERTY QUILLON_DATA_FILES ${outputs})
  if(arg_OUTPUTS)
    set(${arg_OUTPUTS} ${outputs} PARENT_SCOPE)
  endif()
endfunction()
