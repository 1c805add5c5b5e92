# Adds every direct subfolder of the current source folder that has a CMakeLists.txt, so each
# subsystem's tests, benchmarks and fuzz targets are added by their own folder alone.
function(velmoranth_add_subfolders)
  file(GLOB entries LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/*)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${entry} AND EXISTS ${entry}/CMakeLists.txt)
      add_subdirectory(${entry})
    endif()
  endforeach()
endfunction()
