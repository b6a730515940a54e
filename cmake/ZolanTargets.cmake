# Helpers that turn the source folders into targets.

# zlib ships as a plain static library for both mingw triplets.
find_library(ZOLAN_ZLIB NAMES libz.a z REQUIRED)
add_library(zlibstatic_import INTERFACE)
target_link_libraries(zlibstatic_import INTERFACE ${ZOLAN_ZLIB})

# Strict warnings for our own code only (GoogleTest keeps its own settings).
function(zolan_strict target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN=1 _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
endfunction()

# A subsystem folder becomes a static library of the same name when it holds sources.
set(ZOLAN_LIBRARIES "" CACHE INTERNAL "")
function(zolan_subsystem_library name)
  file(GLOB sources CONFIGURE_DEPENDS
       ${PROJECT_SOURCE_DIR}/${name}/*.cpp ${PROJECT_SOURCE_DIR}/${name}/*.c)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  zolan_strict(${name})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/lang)
  target_link_libraries(${name} PUBLIC zlibstatic_import)
  set(ZOLAN_LIBRARIES ${ZOLAN_LIBRARIES} ${name} CACHE INTERNAL "")
endfunction()

# A resource-only DLL: no code, no entry point, no runtime.
function(zolan_resource_dll name rcfile)
  add_library(${name} SHARED ${rcfile})
  set_target_properties(${name} PROPERTIES PREFIX "" LINKER_LANGUAGE C
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/dist)
  target_link_options(${name} PRIVATE -nostdlib -Wl,-e,0 -s)
endfunction()
