# The built-in picture's file is compiled into the core, so the program needs no files
# beside it. The assembler copies the bytes; OBJECT_DEPENDS rebuilds them when the
# committed BMP changes.
set(RF_BUILTIN_BMP "${CMAKE_CURRENT_SOURCE_DIR}/resources/builtin.bmp")
set(RF_BUILTIN_DATA "${CMAKE_CURRENT_SOURCE_DIR}/resources/builtin_bmp.cpp")
target_sources(relief_core PRIVATE "${RF_BUILTIN_DATA}")
set_source_files_properties("${RF_BUILTIN_DATA}" PROPERTIES
  COMPILE_DEFINITIONS "RF_BUILTIN_BMP=\"${RF_BUILTIN_BMP}\""
  OBJECT_DEPENDS "${RF_BUILTIN_BMP}")

# Writes resources/builtin.bmp; run by hand, never part of a build:
#   cmake --build <dir> --target make_builtin_picture && <dir>/make_builtin_picture resources/builtin.bmp
add_executable(make_builtin_picture EXCLUDE_FROM_ALL resources/make_builtin_picture.cpp)
