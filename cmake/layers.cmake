# Headers are included by folder ("link/glb.h"). A target sees a folder only
# when it asks for it here or links a library that does: each folder is
# linked alone into a directory of its own under the build tree, and that
# directory is the include path. So a file that includes a header of a layer
# its target does not link (fuel/ including ui/, say) fails to compile.

function(quelt_folder_include_dir out folder)
  set(dir ${CMAKE_BINARY_DIR}/layers/${folder})
  if(NOT IS_SYMLINK ${dir}/${folder})
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${folder} ${dir}/${folder} SYMBOLIC)
  endif()
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

# quelt_headers(target PUBLIC|PRIVATE|INTERFACE folder...)
function(quelt_headers target scope)
  foreach(folder IN LISTS ARGN)
    quelt_folder_include_dir(dir ${folder})
    target_include_directories(${target} ${scope} ${dir})
  endforeach()
endfunction()

# The layers, bottom up: text, lang (the translated texts; fuel links it, so
# front, control, ui and win see it too), link, fuel, front, control, then
# the windows (ui with Qt, win with Win32) and the programs; sim beside them
# for the programs and the tests.
