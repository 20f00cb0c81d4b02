# Embeds the module's bitmap files (resources/bitmaps/*.bmp) in the extension
# library: at build time each file becomes an array of bytes in a generated
# source, with a table of the files by name (resources/EmbeddedFiles.h).
# Included once after the library is made; run by itself with -P it writes
# that source (OUTPUT: the source, FILES: the files, ;-separated).

if(CMAKE_SCRIPT_MODE_FILE)
  set(arrays "")
  set(table "")
  set(index 0)
  foreach(path IN LISTS FILES)
    get_filename_component(name "${path}" NAME)
    file(READ "${path}" hex HEX)
    string(LENGTH "${hex}" digits)
    math(EXPR size "${digits} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
    string(APPEND arrays "constexpr unsigned char kFile${index}[${size}] = {\n    ${bytes}};\n")
    string(APPEND table "    {\"${name}\", kFile${index}, ${size}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  file(WRITE "${OUTPUT}.tmp"
       "// Made by cmake/EmbedFiles.cmake from the files named below; do not edit.\n"
       "#include \"resources/EmbeddedFiles.h\"\n\nnamespace blastsearch {\nnamespace {\n\n${arrays}\n"
       "constexpr CEmbeddedFile kFiles[] = {\n${table}};\n\n}  // namespace\n\n"
       "std::span<const CEmbeddedFile> EmbeddedFiles() { return kFiles; }\n\n"
       "}  // namespace blastsearch\n")
  file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT}.tmp")
  return()
endif()

file(GLOB EMBEDDED_BITMAPS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/bitmaps/*.bmp)
set(EMBEDDED_SOURCE ${PROJECT_BINARY_DIR}/generated/EmbeddedFiles.cpp)
add_custom_command(
  OUTPUT ${EMBEDDED_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} "-DOUTPUT=${EMBEDDED_SOURCE}" "-DFILES=${EMBEDDED_BITMAPS}"
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${EMBEDDED_BITMAPS} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the module's bitmaps"
  VERBATIM)
target_sources(blastsearch_ext PRIVATE ${EMBEDDED_SOURCE})
