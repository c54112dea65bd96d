# Layers: a target sees the headers of its own folder and of the targets it
# links, nothing else. Each folder is linked into an include root of its own
# in the build tree, so `#include "upload/..."` only resolves in a target that
# links torvex_upload, and a folder that reaches a layer above it fails to
# build. docs/architecture.md says who may link whom.
function(torvex_layer target folder)
  string(REPLACE "/" "_" name ${folder})
  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  if(NOT IS_SYMLINK ${root}/${folder})
    get_filename_component(parent ${root}/${folder} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  elseif(kind MATCHES "LIBRARY")
    target_include_directories(${target} PUBLIC ${root})
  else()
    target_include_directories(${target} PRIVATE ${root})
  endif()
endfunction()
