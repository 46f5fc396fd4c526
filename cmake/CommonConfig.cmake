# Flags every target of the project carries.
add_library(zora_common INTERFACE)
target_compile_options(zora_common INTERFACE
  -Wall -Wextra -pedantic -Wnon-virtual-dtor -Wold-style-cast)
target_compile_definitions(zora_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_USE_QSTRINGBUILDER
  ZORA_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  ZORA_BINARY_DIR="${CMAKE_BINARY_DIR}")
if(ZORA_SANITIZE)
  target_compile_options(zora_common INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(zora_common INTERFACE -fsanitize=address,undefined)
endif()

# zora_core_library(NAME DIR DEPS...): every .cpp directly in DIR (not in ui/) becomes
# part of a library that links no QtWidgets.
function(zora_core_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC zora_common ${ARGN})
  # Qt's headers dominate the build; each library parses them once.
  target_precompile_headers(${name} PRIVATE <QtCore/QtCore>)
endfunction()
