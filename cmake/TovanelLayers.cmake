# Layers: which headers a target may include.
#
# Each folder of the source tree is a layer (their order stands in README's
# layout table), and its headers are included as "<folder>/<name>.h". A
# library offers the headers of its own folder to whoever links it, and the
# link dependencies pass them on; a target sees only the folders of the
# libraries it links. A lower layer that includes a header of an upper one
# therefore does not compile ("No such file or directory").
#
# All folders share one parent, so no include path could offer one of them
# alone. Each folder gets a root of its own in the build tree instead,
# layers/<folder>/<folder>/, holding one line per header of the folder that
# includes the real one; a new header appears there at the next build.

# tovanel_layer(<target>): <target>, a library of the current folder, offers
# that folder's headers.
function(tovanel_layer target)
  file(RELATIVE_PATH folder ${CMAKE_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/layers/${folder})
  get_property(done GLOBAL PROPERTY tovanel_layer_${folder})
  if(NOT done)
    set_property(GLOBAL PROPERTY tovanel_layer_${folder} TRUE)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    # A header that was moved or removed must not stay reachable.
    file(GLOB stale RELATIVE ${root}/${folder} ${root}/${folder}/*.h)
    foreach(h IN LISTS stale)
      if(NOT h IN_LIST headers)
        file(REMOVE ${root}/${folder}/${h})
      endif()
    endforeach()
    # Rewritten only when changed, so that a new configure rebuilds nothing.
    foreach(h IN LISTS headers)
      file(CONFIGURE OUTPUT ${root}/${folder}/${h} CONTENT "#include \"${CMAKE_CURRENT_SOURCE_DIR}/${h}\"\n" @ONLY)
    endforeach()
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
